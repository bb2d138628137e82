// Arbitrary bytes as picture bytes: every input must decode or fail cleanly.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "compose/picture_decoder.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace miaoyu::compose;
  const auto picture = decode_picture(std::string_view(reinterpret_cast<const char*>(data), size));
  if (picture && (picture->empty() || picture->pixel_count() > kMaxPixels)) __builtin_trap();
  return 0;
}
