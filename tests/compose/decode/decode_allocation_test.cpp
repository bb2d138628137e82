// A short file must not make a decoder allocate what its claimed size
// would need: the size checks come before the raster. This test executable
// routes operator new through a counter of the largest request.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <string>
#include <vector>

#include "compose/decode/picture_decoder.hpp"
#include "support/picture_fixtures.hpp"

namespace {

std::atomic<std::size_t> largest_request{0};

void* allocate(std::size_t size) {
  std::size_t seen = largest_request.load(std::memory_order_relaxed);
  while (size > seen && !largest_request.compare_exchange_weak(seen, size, std::memory_order_relaxed)) {
  }
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace miaoyu::compose {
namespace {

using namespace support;

// Every input here is a few hundred bytes that claims a huge picture.
std::vector<std::pair<std::string, std::string>> hostile_inputs() {
  std::vector<std::pair<std::string, std::string>> inputs;
  const std::string row = Bytes().bgr_row({kRed, kGreen, kBlue}).str();
  inputs.emplace_back("Bmp24", bmp_file(info_header({.width = 16384, .height = 16384}), row + row));
  inputs.emplace_back("BmpRle8", bmp_file(info_header({.width = 1 << 26, .height = 4, .bits = 8, .compression = 1}) +
                                              palette({kRed}),
                                          Bytes().bytes({2, 0, 0, 1})));
  inputs.emplace_back("IconDib", icon_file(1, {info_header({.width = 16384, .height = 32768, .bits = 32}) + row}));
  inputs.emplace_back("Pcx", pcx_header({.x_max = 16383, .y_max = 16383, .bytes_per_line = 16384}) +
                                 pcx_rle(std::string(4000, '\0')));
  std::string gif = read_fixture("gif_static.gif");
  gif[6] = gif[7] = gif[8] = gif[9] = '\x3F';  // a 16191 x 16191 screen
  inputs.emplace_back("Gif", gif);
  std::string jpeg = read_fixture("jpeg_baseline.jpg");
  const std::size_t frame = jpeg.find("\xFF\xC0");
  jpeg[frame + 5] = jpeg[frame + 7] = '\x3F';
  inputs.emplace_back("Jpeg", jpeg);
  const std::filesystem::path regressions = std::filesystem::path(MIAOYU_FIXTURES) / "regressions";
  for (const auto& entry : std::filesystem::directory_iterator(regressions)) {
    inputs.emplace_back(entry.path().filename().string(),
                        read_fixture("regressions/" + entry.path().filename().string()));
  }
  return inputs;
}

TEST(DecodeAllocation, ShortFilesClaimingHugePicturesAllocateLittle) {
  constexpr std::size_t kLimit = std::size_t{64} << 20;
  for (const auto& [name, bytes] : hostile_inputs()) {
    largest_request = 0;
    const auto picture = decode_picture(bytes);
    EXPECT_LE(largest_request.load(), kLimit) << name;
    if (picture) {
      EXPECT_LE(picture->pixel_count() * sizeof(Pixel), kLimit) << name;
    }
  }
}

}  // namespace
}  // namespace miaoyu::compose
