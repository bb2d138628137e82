// Rendered glyphs, kept per face, size, synthetic style, angle and glyph, so
// that measuring and drawing a line again costs no FreeType work.
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "compose/text/face_library.hpp"

namespace miaoyu::compose {

struct GlyphKey {
  FaceId face = kNoFace;
  int em = 0;
  unsigned glyph = 0;
  int tenths = 0;  // angle, 0 to 3599
  bool embolden = false;
  bool oblique = false;

  bool operator==(const GlyphKey&) const = default;
};

// A glyph's advance and its grey coverage (0 to 255), `width` x `rows`
// bytes, whose top-left lies at (pen x + left, pen y - top).
struct Glyph {
  int advance = 0;
  int left = 0;
  int top = 0;
  int width = 0;
  int rows = 0;
  std::vector<std::uint8_t> coverage;
};

class GlyphCache {
 public:
  // When the kept bitmaps pass `budget_bytes` the cache starts afresh, which
  // bounds its memory with huge sizes or texts that use many characters.
  explicit GlyphCache(FaceLibrary& faces, std::size_t budget_bytes = std::size_t{64} << 20);

  // The glyph, rendered on first use. The reference is valid until the next
  // call.
  const Glyph& get(const GlyphKey& key);

 private:
  struct KeyHash {
    std::size_t operator()(const GlyphKey& k) const;
  };

  Glyph render(const GlyphKey& key);

  FaceLibrary& faces_;
  std::size_t budget_;
  std::size_t bytes_ = 0;
  std::unordered_map<GlyphKey, Glyph, KeyHash> glyphs_;
};

}  // namespace miaoyu::compose
