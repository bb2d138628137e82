// FreeType faces, opened once per font file and face index and kept, each
// with one size object per character height in use.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <map>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace miaoyu::compose {

using FaceId = int;
inline constexpr FaceId kNoFace = -1;

// A face's lines at one character height, in whole pixels. Offsets count
// downward from the baseline, so lines above it are negative.
struct FaceMetrics {
  int ascent = 0;
  int descent = 0;
  int underline_top = 0;
  int underline_thickness = 1;
  int strike_top = 0;
  int strike_thickness = 1;
};

// What a face is drawn as without synthesis.
struct FaceStyle {
  bool bold = false;
  bool italic = false;
};

class FaceLibrary {
 public:
  FaceLibrary();
  ~FaceLibrary();
  FaceLibrary(const FaceLibrary&) = delete;
  FaceLibrary& operator=(const FaceLibrary&) = delete;

  FT_Library library() { return library_; }

  // The face of a font file; kNoFace when it does not open (also remembered).
  FaceId open(const std::string& file, int index);

  // The face with its size for `em` pixels made current; nullptr when the
  // face cannot take that size.
  FT_Face sized(FaceId id, int em);

  // 0 when the face lacks the character (or there is no face).
  unsigned glyph_index(FaceId id, char32_t c) const;

  const FaceMetrics& metrics(FaceId id, int em);
  FaceStyle style(FaceId id) const;

 private:
  struct Face {
    FT_Face face;
    std::unordered_map<int, FT_Size> sizes;  // nullptr: the size failed
    std::unordered_map<int, FaceMetrics> metrics;
  };

  FT_Library library_ = nullptr;
  std::vector<Face> faces_;
  std::map<std::pair<std::string, int>, FaceId> ids_;
};

}  // namespace miaoyu::compose
