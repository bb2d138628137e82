// Load catalogue into the in-memory template list, for generated catalogues
// of 1 000, 10 000 and 100 000 templates. "cold" makes every load parse the
// file again, as the program's one load at start does; "warm" finds it
// parsed already.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <ostream>
#include <string>

#include "catalogue/catalogue_loader.hpp"
#include "support/memory_template_list.hpp"

namespace {

using miaoyu::catalogue::load_catalogue;
using miaoyu::support::MemoryTemplateList;

class Catalogues {
 public:
  Catalogues() {
    std::string pattern = std::filesystem::temp_directory_path().string() + "/miaoyu-catalogue-bench-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    root_ = pattern;
  }
  ~Catalogues() { std::filesystem::remove_all(root_); }

  // The folder that holds a pz.ini of n templates, written at the first call.
  const std::string& folder(int n) {
    auto [it, fresh] = folders_.try_emplace(n, root_ + "/" + std::to_string(n));
    if (fresh) {
      std::filesystem::create_directory(it->second);
      std::ofstream out(it->second + "/pz.ini", std::ios::binary);
      for (int i = 1; i <= n; ++i) {
        // 模板 i
        out << "[" << i << "]\r\nname=\xC4\xA3\xB0\xE5" << i << "\r\nurl=t" << i << ".png\r\none=" << 10 + i % 50
            << "\r\ntwo=" << 150 + i % 50 << "\r\nthree=" << 300 + i % 50 << "\r\n\r\n";
      }
      out << "[" << n + 1 << "]\r\nname=\xBD\xE1\xCA\xF8\r\n";
    }
    return it->second;
  }

 private:
  std::string root_;
  std::map<int, std::string> folders_;
};

Catalogues& catalogues() {
  static Catalogues instance;
  return instance;
}

void touch(const std::string& path) {
  static long nanoseconds = 0;
  const timespec when{1700000000, ++nanoseconds % 1000000000};
  const timespec times[2] = {when, when};
  ::utimensat(AT_FDCWD, path.c_str(), times, 0);
}

void load(benchmark::State& state, bool cold) {
  const int n = static_cast<int>(state.range(0));
  const std::string& folder = catalogues().folder(n);
  std::ostream quiet(nullptr);
  for (auto _ : state) {
    if (cold) {
      state.PauseTiming();
      touch(folder + "/pz.ini");
      state.ResumeTiming();
    }
    MemoryTemplateList list;
    load_catalogue(list, folder, quiet);
    if (list.row_count() != n) state.SkipWithError("wrong row count");
    benchmark::DoNotOptimize(list);
  }
  state.counters["per_template"] =
      benchmark::Counter(static_cast<double>(n), benchmark::Counter::kIsIterationInvariantRate |
                                                     benchmark::Counter::kInvert);
}

void BM_LoadCatalogueCold(benchmark::State& state) { load(state, true); }
void BM_LoadCatalogueWarm(benchmark::State& state) { load(state, false); }

BENCHMARK(BM_LoadCatalogueCold)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadCatalogueWarm)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
