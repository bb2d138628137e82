#include "compose/picture.hpp"

#include "compose/decode/picture_decoder.hpp"
#include "compose/read_file.hpp"

namespace miaoyu::compose {

Picture load_picture(const std::string& native_path) {
  const auto decoded = decode_picture(read_file(native_path));
  if (!decoded) return {};
  return Picture(decoded->width(), decoded->height());
}

}  // namespace miaoyu::compose
