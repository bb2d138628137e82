// Decoding speed of the bundled sample pictures, of a 4000 x 3000 BMP made
// here, and of any picture files named in MIAOYU_BENCH_PICTURES (separated
// by ':'), for instance a large photograph to hold against djpeg.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "compose/decode/picture_decoder.hpp"

namespace {

using miaoyu::compose::decode_picture;

std::string read_file(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void put32(std::string& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>(value >> (8 * i)));
}

// A bottom-up 24-bit BMP with a colour ramp.
std::string synthetic_bmp(int width, int height) {
  const std::uint32_t stride = (static_cast<std::uint32_t>(width) * 3 + 3) / 4 * 4;
  std::string file = "BM";
  put32(file, 54 + stride * height);
  put32(file, 0);
  put32(file, 54);
  for (std::uint32_t field : {40u, static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height)})
    put32(file, field);
  put32(file, 1 | (24 << 16));
  for (int i = 0; i < 6; ++i) put32(file, 0);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      file.push_back(static_cast<char>(x));
      file.push_back(static_cast<char>(y));
      file.push_back(static_cast<char>(x + y));
    }
    file.append(stride - static_cast<std::uint32_t>(width) * 3, '\0');
  }
  return file;
}

void decode(benchmark::State& state, const std::string& bytes) {
  std::int64_t pixels = 0;
  for (auto _ : state) {
    auto raster = decode_picture(bytes);
    if (!raster) {
      state.SkipWithError("does not decode");
      return;
    }
    pixels += static_cast<std::int64_t>(raster->pixel_count());
    benchmark::DoNotOptimize(raster->data());
  }
  state.counters["pixels/s"] = benchmark::Counter(static_cast<double>(pixels), benchmark::Counter::kIsRate);
}

void register_file(const std::filesystem::path& path) {
  benchmark::RegisterBenchmark(("decode/" + path.filename().string()).c_str(), decode, read_file(path))
      ->Unit(benchmark::kMillisecond);
}

}  // namespace

int main(int argc, char** argv) {
  const std::filesystem::path samples = std::filesystem::path(__FILE__).parent_path().parent_path() / "data" / "img";
  for (const auto& entry : std::filesystem::directory_iterator(samples)) {
    if (entry.path().extension() != ".md") register_file(entry.path());
  }
  benchmark::RegisterBenchmark("decode/synthetic_4000x3000.bmp", decode, synthetic_bmp(4000, 3000))
      ->Unit(benchmark::kMillisecond);
  if (const char* list = std::getenv("MIAOYU_BENCH_PICTURES")) {
    std::istringstream paths(list);
    for (std::string path; std::getline(paths, path, ':');) {
      if (!path.empty()) register_file(path);
    }
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
