// GIF through giflib, record by record up to the first image, which is the
// picture: an animation's later frames are never read. The picture has the
// size of the logical screen; the first frame lies at its offset, clipped
// to the screen, and the area it leaves uncovered is transparent.
#include <gif_lib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "compose/decode/format_decoders.hpp"

namespace miaoyu::compose {

namespace {

// With 12-bit codes, each code of LZW stands for at most 4096 pixels, so no
// frame draws more than 4096 pixels for 1.5 bytes; the screen is held to
// the same bound, as a frame that could not fill it is not a real picture.
constexpr std::uint64_t kMaxPixelsPerByte = 2731;

constexpr int kGraphicControlExtension = 0xF9;
constexpr int kNoTransparency = -1;

struct MemorySource {
  const GifByteType* data;
  std::size_t size;
  std::size_t position;
};

int read_memory(GifFileType* gif, GifByteType* buffer, int length) {
  auto* source = static_cast<MemorySource*>(gif->UserData);
  const std::size_t count = std::min(static_cast<std::size_t>(std::max(length, 0)), source->size - source->position);
  std::memcpy(buffer, source->data + source->position, count);
  source->position += count;
  return static_cast<int>(count);
}

struct GifCloser {
  void operator()(GifFileType* gif) const {
    int error = 0;
    DGifCloseFile(gif, &error);
  }
};
using GifHandle = std::unique_ptr<GifFileType, GifCloser>;

// The transparent index of a graphic control extension, or kNoTransparency;
// reads the extension's remaining sub-blocks. False on a read error.
bool read_extension(GifFileType* gif, int& transparent_index) {
  int code = 0;
  GifByteType* block = nullptr;
  if (DGifGetExtension(gif, &code, &block) == GIF_ERROR) return false;
  if (code == kGraphicControlExtension && block != nullptr && block[0] >= 4) {
    transparent_index = (block[1] & 1) ? block[4] : kNoTransparency;
  }
  while (block != nullptr) {
    if (DGifGetExtensionNext(gif, &block) == GIF_ERROR) return false;
  }
  return true;
}

// Interlaced frames store rows in four passes: every 8th row from 0, every
// 8th from 4, every 4th from 2, every 2nd from 1.
std::vector<int> stored_row_order(int height, bool interlaced) {
  std::vector<int> order;
  order.reserve(static_cast<std::size_t>(height));
  if (!interlaced) {
    for (int y = 0; y < height; ++y) order.push_back(y);
    return order;
  }
  constexpr int kStart[] = {0, 4, 2, 1};
  constexpr int kStep[] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass) {
    for (int y = kStart[pass]; y < height; y += kStep[pass]) order.push_back(y);
  }
  return order;
}

// Draws the frame whose descriptor giflib has just read. Indices beyond the
// colour map, like the transparent index, leave the pixel transparent.
bool draw_frame(GifFileType* gif, Raster& picture, int transparent_index, std::uint64_t byte_count) {
  const GifImageDesc& frame = gif->Image;
  const ColorMapObject* map = frame.ColorMap != nullptr ? frame.ColorMap : gif->SColorMap;
  if (map == nullptr || frame.Width <= 0 || frame.Height <= 0) return false;
  if (std::uint64_t(frame.Width) * std::uint64_t(frame.Height) > kMaxPixelsPerByte * byte_count) return false;

  Pixel palette[256];
  std::fill(std::begin(palette), std::end(palette), Pixel{0});
  for (int i = 0; i < std::min(map->ColorCount, 256); ++i) {
    const GifColorType& c = map->Colors[i];
    palette[i] = 0xFF000000u | (Pixel{c.Red} << 16) | (Pixel{c.Green} << 8) | c.Blue;
  }
  if (transparent_index != kNoTransparency) palette[transparent_index] = 0;

  std::vector<GifPixelType> line(static_cast<std::size_t>(frame.Width));
  for (const int row : stored_row_order(frame.Height, frame.Interlace)) {
    if (DGifGetLine(gif, line.data(), frame.Width) == GIF_ERROR) return false;
    const int y = frame.Top + row;
    if (y < 0 || y >= picture.height()) continue;
    Pixel* out = picture.row(y);
    const int x_begin = std::max(0, -frame.Left);
    const int x_end = std::min(frame.Width, picture.width() - frame.Left);
    for (int x = x_begin; x < x_end; ++x) out[frame.Left + x] = palette[line[static_cast<std::size_t>(x)]];
  }
  return true;
}

}  // namespace

std::optional<Raster> decode_gif(std::string_view bytes) {
  MemorySource source{reinterpret_cast<const GifByteType*>(bytes.data()), bytes.size(), 0};
  int error = 0;
  GifHandle gif(DGifOpen(&source, read_memory, &error));
  if (!gif) return std::nullopt;
  const std::uint64_t screen = std::uint64_t(std::max(gif->SWidth, 0)) * std::uint64_t(std::max(gif->SHeight, 0));
  if (screen > kMaxPixelsPerByte * bytes.size()) return std::nullopt;

  int transparent_index = kNoTransparency;
  for (;;) {
    GifRecordType record = UNDEFINED_RECORD_TYPE;
    if (DGifGetRecordType(gif.get(), &record) == GIF_ERROR) return std::nullopt;
    if (record == EXTENSION_RECORD_TYPE) {
      if (!read_extension(gif.get(), transparent_index)) return std::nullopt;
    } else if (record == IMAGE_DESC_RECORD_TYPE) {
      if (DGifGetImageDesc(gif.get()) == GIF_ERROR) return std::nullopt;
      auto picture = Raster::create(gif->SWidth, gif->SHeight);
      if (!picture) return std::nullopt;
      picture->fill(0);
      if (!draw_frame(gif.get(), *picture, transparent_index, bytes.size())) return std::nullopt;
      return picture;
    } else {
      // The trailer, or a record giflib does not know, before any image.
      return std::nullopt;
    }
  }
}

}  // namespace miaoyu::compose
