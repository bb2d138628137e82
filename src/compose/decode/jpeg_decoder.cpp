// JPEG through libjpeg-turbo, decoded straight into the raster as BGRA.
//
// libjpeg reports errors by calling error_exit, which must not return; it
// longjmps back into a small frame function. Those functions hold only
// trivially destructible locals and get the raster as a raw pointer, so the
// jump never skips a destructor.
#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <vector>

// After <cstdio>: jpeglib.h uses size_t and FILE without including their headers.
#include <jerror.h>
#include <jpeglib.h>

#include "compose/decode/format_decoders.hpp"

namespace miaoyu::compose {

namespace {

// Huffman coding spends at least one bit on the DC coefficient of each block
// of a component, and the component with the widest sampling has a block for
// every 8 x 32 pixels at most (sampling factors are 1 to 4), so a picture
// needs a byte per 2048 pixels. Real photographs use far more; arithmetic
// coding, which could go further, is held to the same bound.
constexpr std::uint64_t kMaxPixelsPerByte = 2048;

// libjpeg's own buffers (the coefficients of a progressive picture) stay
// below this; beyond it libjpeg asks for backing store, which fails the load.
constexpr long kMaxWorkingMemory = 1L << 30;

// Rows handed to jpeg_read_scanlines at once, enough for every upsampler.
constexpr int kRowBatch = 16;

struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
};

[[noreturn]] void jump_out(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1); }

// Nothing is printed. Data that ends early, at the end of the file or at a
// marker inside a scan, is a failed load rather than the grey padding libjpeg
// would give it; other corrupt-data warnings keep the picture.
void on_message(j_common_ptr cinfo, int level) {
  if (level < 0 && (cinfo->err->msg_code == JWRN_JPEG_EOF || cinfo->err->msg_code == JWRN_HIT_MARKER)) {
    jump_out(cinfo);
  }
}

void no_output(j_common_ptr) {}

bool is_cmyk(J_COLOR_SPACE space) { return space == JCS_CMYK || space == JCS_YCCK; }

bool read_header(jpeg_decompress_struct* cinfo, ErrorManager* errors, const unsigned char* data, unsigned long size) {
  if (setjmp(errors->jump)) return false;
  jpeg_create_decompress(cinfo);
  cinfo->mem->max_memory_to_use = kMaxWorkingMemory;
  jpeg_mem_src(cinfo, data, size);
  jpeg_read_header(cinfo, TRUE);
  const J_COLOR_SPACE space = cinfo->jpeg_color_space;
  return space == JCS_GRAYSCALE || space == JCS_RGB || space == JCS_YCbCr || is_cmyk(space);
}

// Adobe writes CMYK inverted (255 is no ink); plain CMYK is taken as written.
void cmyk_to_bgra(const JSAMPLE* cmyk, Pixel* out, JDIMENSION width, bool inverted) {
  for (JDIMENSION x = 0; x < width; ++x, cmyk += 4) {
    unsigned c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
    if (!inverted) {
      c = 255 - c;
      m = 255 - m;
      y = 255 - y;
      k = 255 - k;
    }
    const unsigned r = (c * k + 127) / 255, g = (m * k + 127) / 255, b = (y * k + 127) / 255;
    out[x] = 0xFF000000u | (r << 16) | (g << 8) | b;
  }
}

// `cmyk_rows` holds kRowBatch rows of 4 bytes a pixel for CMYK pictures and
// is unused otherwise.
bool read_pixels(jpeg_decompress_struct* cinfo, ErrorManager* errors, Pixel* pixels, JSAMPLE* cmyk_rows) {
  if (setjmp(errors->jump)) return false;
  const bool cmyk = is_cmyk(cinfo->jpeg_color_space);
  cinfo->out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;
  jpeg_start_decompress(cinfo);
  const JDIMENSION width = cinfo->output_width;
  const JDIMENSION height = cinfo->output_height;
  JSAMPROW rows[kRowBatch];
  while (cinfo->output_scanline < height) {
    const JDIMENSION first = cinfo->output_scanline;
    const JDIMENSION count = std::min<JDIMENSION>(kRowBatch, height - first);
    for (JDIMENSION i = 0; i < count; ++i) {
      rows[i] = cmyk ? cmyk_rows + static_cast<std::size_t>(i) * width * 4
                     : reinterpret_cast<JSAMPROW>(pixels + static_cast<std::size_t>(first + i) * width);
    }
    const JDIMENSION read = jpeg_read_scanlines(cinfo, rows, count);
    if (read == 0) return false;
    if (cmyk) {
      for (JDIMENSION i = 0; i < read; ++i) {
        cmyk_to_bgra(rows[i], pixels + static_cast<std::size_t>(first + i) * width, width, cinfo->saw_Adobe_marker);
      }
    }
  }
  jpeg_finish_decompress(cinfo);
  return true;
}

struct Decompressor {
  jpeg_decompress_struct cinfo{};
  ErrorManager errors{};
  Decompressor() {
    cinfo.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = jump_out;
    errors.base.emit_message = on_message;
    errors.base.output_message = no_output;
  }
  ~Decompressor() { jpeg_destroy_decompress(&cinfo); }
  Decompressor(const Decompressor&) = delete;
  Decompressor& operator=(const Decompressor&) = delete;
};

}  // namespace

std::optional<Raster> decode_jpeg(std::string_view bytes) {
  Decompressor jpeg;
  if (!read_header(&jpeg.cinfo, &jpeg.errors, reinterpret_cast<const unsigned char*>(bytes.data()),
                   static_cast<unsigned long>(bytes.size()))) {
    return std::nullopt;
  }
  const std::uint64_t pixels = std::uint64_t{jpeg.cinfo.image_width} * jpeg.cinfo.image_height;
  if (pixels > kMaxPixelsPerByte * bytes.size()) return std::nullopt;
  auto raster = Raster::create(static_cast<int>(jpeg.cinfo.image_width), static_cast<int>(jpeg.cinfo.image_height));
  if (!raster) return std::nullopt;
  std::vector<JSAMPLE> cmyk_rows;
  if (is_cmyk(jpeg.cinfo.jpeg_color_space)) cmyk_rows.resize(std::size_t{kRowBatch} * raster->width() * 4);
  if (!read_pixels(&jpeg.cinfo, &jpeg.errors, raster->data(), cmyk_rows.data())) return std::nullopt;
  return raster;
}

}  // namespace miaoyu::compose
