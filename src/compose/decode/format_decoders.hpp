// The decoders behind decode_picture, one per format. Each takes the whole
// file and returns straight BGRA pixels, or nullopt for anything it cannot
// decode completely. None throws except std::bad_alloc, which decode_picture
// turns into a failed load.
#pragma once

#include <optional>
#include <string_view>

#include "compose/raster/raster.hpp"

namespace miaoyu::compose {

std::optional<Raster> decode_jpeg(std::string_view bytes);
std::optional<Raster> decode_png(std::string_view bytes);
std::optional<Raster> decode_gif(std::string_view bytes);
#ifdef MIAOYU_HAVE_WEBP
std::optional<Raster> decode_webp(std::string_view bytes);
#endif
std::optional<Raster> decode_bmp(std::string_view bytes);
std::optional<Raster> decode_icon(std::string_view bytes);
std::optional<Raster> decode_pcx(std::string_view bytes);

// True when the bytes are an icon or cursor directory whose every entry lies
// inside them; `type` is 1 for icons, 2 for cursors.
bool is_icon_directory(std::string_view bytes, int type);

// A device-independent bitmap without file header, as an icon entry holds
// it: the header's height counts the colour image and the 1-bit AND mask
// below it. A 32-bit image with any nonzero alpha keeps its alpha channel;
// otherwise the image is opaque and AND bits of 1 make pixels transparent.
std::optional<Raster> decode_icon_dib(std::string_view dib);

}  // namespace miaoyu::compose
