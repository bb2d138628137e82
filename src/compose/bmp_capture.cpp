#include "compose/bmp_capture.hpp"

#include <cstdint>

#include "compose/raster/huge_pages.hpp"

namespace miaoyu::compose {
namespace {

void put16(char* at, std::uint16_t v) {
  at[0] = static_cast<char>(v);
  at[1] = static_cast<char>(v >> 8);
}

void put32(char* at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<char>(v >> (8 * i));
}

}  // namespace

std::string encode_bmp24(const Raster& raster) {
  constexpr std::size_t kHeaderSize = 54;
  const int width = raster.width();
  const int height = raster.height();
  const std::size_t stride = bmp_stride(width);
  const std::size_t image_size = stride * static_cast<std::size_t>(height);

  std::string bytes;
  bytes.reserve(kHeaderSize + image_size);
  advise_huge_pages(bytes.data(), bytes.capacity());
  bytes.resize(kHeaderSize + image_size);
  char* h = bytes.data();
  h[0] = 'B';
  h[1] = 'M';
  put32(h + 2, static_cast<std::uint32_t>(kHeaderSize + image_size));
  put32(h + 10, kHeaderSize);
  put32(h + 14, 40);
  put32(h + 18, static_cast<std::uint32_t>(width));
  put32(h + 22, static_cast<std::uint32_t>(height));
  put16(h + 26, 1);
  put16(h + 28, 24);
  put32(h + 34, static_cast<std::uint32_t>(image_size));

  auto* out = reinterpret_cast<unsigned char*>(bytes.data() + kHeaderSize);
  for (int y = height - 1; y >= 0; --y, out += stride) {
    const Pixel* in = raster.row(y);
    unsigned char* o = out;
    for (int x = 0; x < width; ++x, o += 3) {
      const Pixel p = in[x];
      o[0] = static_cast<unsigned char>(p);
      o[1] = static_cast<unsigned char>(p >> 8);
      o[2] = static_cast<unsigned char>(p >> 16);
    }
  }
  return bytes;
}

}  // namespace miaoyu::compose
