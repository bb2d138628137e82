// Decoding of picture bytes. The format is taken from the first bytes, never
// from a file name, so a PNG named .jpg decodes as PNG.
#pragma once

#include <optional>
#include <string_view>

#include "compose/raster/raster.hpp"

namespace miaoyu::compose {

enum class PictureFormat { Unknown, Bmp, Jpeg, Png, Gif, Icon, Cursor, Pcx, Webp };

PictureFormat sniff_picture_format(std::string_view bytes);

// The whole picture as straight (not premultiplied) BGRA pixels; nullopt for
// bytes that are not one complete picture in a known format: truncated,
// corrupt, zero-sized, or larger than kMaxPixels. Never throws, never prints.
std::optional<Raster> decode_picture(std::string_view bytes);

}  // namespace miaoyu::compose
