// The captured picture: a complete 24-bit, uncompressed, bottom-up BMP file.
#pragma once

#include <string>

#include "compose/raster/raster.hpp"

namespace miaoyu::compose {

// Length of one pixel row: 3 bytes a pixel, padded to a multiple of 4.
constexpr std::size_t bmp_stride(int width) { return (24 * static_cast<std::size_t>(width) + 31) / 32 * 4; }

// The file's bytes for the raster's pixels (alpha dropped): 54 header bytes,
// then the rows bottom first, padding bytes zero. Nothing follows the rows.
std::string encode_bmp24(const Raster& raster);

}  // namespace miaoyu::compose
