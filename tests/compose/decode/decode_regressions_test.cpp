#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "compose/decode/picture_decoder.hpp"
#include "support/picture_fixtures.hpp"

namespace miaoyu::compose {
namespace {

// Inputs that once crashed a decoder or made it misbehave under the fuzzer.
// Each must now decode or fail cleanly, its raster matching its claim.
TEST(DecodeRegressions, EveryFileDecodesOrFailsCleanly) {
  const std::filesystem::path folder = std::filesystem::path(MIAOYU_FIXTURES) / "regressions";
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string bytes = support::read_fixture("regressions/" + entry.path().filename().string());
    const auto raster = decode_picture(bytes);
    if (raster) {
      EXPECT_GT(raster->width(), 0) << entry.path();
      EXPECT_GT(raster->height(), 0) << entry.path();
    }
    ++files;
  }
  EXPECT_GT(files, 0);
}

}  // namespace
}  // namespace miaoyu::compose
