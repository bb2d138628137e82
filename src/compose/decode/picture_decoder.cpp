#include "compose/decode/picture_decoder.hpp"

#include <exception>

#include "compose/decode/little_endian.hpp"
#include "compose/decode/format_decoders.hpp"

namespace miaoyu::compose {

namespace {

bool starts_with(std::string_view bytes, std::string_view prefix) { return bytes.substr(0, prefix.size()) == prefix; }

bool is_pcx_header(std::string_view bytes) {
  if (bytes.size() < 128 || byte_at(bytes, 0) != 0x0A || byte_at(bytes, 2) != 1) return false;
  const int version = byte_at(bytes, 1);
  const int bits = byte_at(bytes, 3);
  return (version == 0 || (version >= 2 && version <= 5)) && (bits == 1 || bits == 2 || bits == 4 || bits == 8);
}

}  // namespace

PictureFormat sniff_picture_format(std::string_view bytes) {
  using namespace std::string_view_literals;
  if (starts_with(bytes, "\xFF\xD8\xFF"sv)) return PictureFormat::Jpeg;
  if (starts_with(bytes, "\x89PNG\r\n\x1A\n"sv)) return PictureFormat::Png;
  if (starts_with(bytes, "GIF87a"sv) || starts_with(bytes, "GIF89a"sv)) return PictureFormat::Gif;
  if (bytes.size() >= 12 && starts_with(bytes, "RIFF"sv) && bytes.substr(8, 4) == "WEBP"sv) return PictureFormat::Webp;
  if (starts_with(bytes, "BM"sv)) return PictureFormat::Bmp;
  if (is_icon_directory(bytes, 1)) return PictureFormat::Icon;
  if (is_icon_directory(bytes, 2)) return PictureFormat::Cursor;
  if (is_pcx_header(bytes)) return PictureFormat::Pcx;
  return PictureFormat::Unknown;
}

std::optional<Raster> decode_picture(std::string_view bytes) {
  try {
    switch (sniff_picture_format(bytes)) {
      case PictureFormat::Jpeg: return decode_jpeg(bytes);
      case PictureFormat::Png: return decode_png(bytes);
      case PictureFormat::Gif: return decode_gif(bytes);
      case PictureFormat::Bmp: return decode_bmp(bytes);
      case PictureFormat::Icon:
      case PictureFormat::Cursor: return decode_icon(bytes);
      case PictureFormat::Pcx: return decode_pcx(bytes);
      case PictureFormat::Webp:
#ifdef MIAOYU_HAVE_WEBP
        return decode_webp(bytes);
#else
        return std::nullopt;
#endif
      case PictureFormat::Unknown: return std::nullopt;
    }
  } catch (const std::exception&) {
    // A picture that passed the size checks but still does not fit in memory.
  }
  return std::nullopt;
}

}  // namespace miaoyu::compose
