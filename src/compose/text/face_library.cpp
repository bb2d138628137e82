#include "compose/text/face_library.hpp"

#include FT_TRUETYPE_TABLES_H
#include FT_SIZES_H

#include <algorithm>
#include <cmath>

namespace miaoyu::compose {
namespace {

int scaled(double font_units, int em, int units_per_em) {
  return static_cast<int>(std::lround(font_units * em / units_per_em));
}

FaceMetrics measure(FT_Face face, int em) {
  FaceMetrics m;
  const int upem = face->units_per_EM;
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  const bool has_os2 = os2 != nullptr && os2->version != 0xFFFFu && upem > 0;

  // As Windows sets up a font's text metrics: the OS/2 table's Windows
  // ascent and descent where there is one, else the hhea lines.
  if (has_os2 && os2->usWinAscent + os2->usWinDescent > 0) {
    m.ascent = scaled(os2->usWinAscent, em, upem);
    m.descent = scaled(os2->usWinDescent, em, upem);
  } else if (upem > 0 && face->ascender - face->descender > 0) {
    m.ascent = scaled(face->ascender, em, upem);
    m.descent = scaled(-face->descender, em, upem);
  } else {
    m.ascent = static_cast<int>((face->size->metrics.ascender + 63) / 64);
    m.descent = static_cast<int>((-face->size->metrics.descender + 63) / 64);
  }
  m.ascent = std::max(m.ascent, 0);
  m.descent = std::max(m.descent, 0);

  // FreeType gives the underline's centre; faces without one get lines
  // proportioned like common text faces.
  if (upem > 0 && face->underline_thickness > 0) {
    m.underline_thickness = std::max(1, scaled(face->underline_thickness, em, upem));
    m.underline_top = static_cast<int>(
        std::lround(-face->underline_position * static_cast<double>(em) / upem - m.underline_thickness / 2.0));
  } else {
    m.underline_thickness = std::max(1, static_cast<int>(std::lround(em / 20.0)));
    m.underline_top = static_cast<int>(std::lround(em / 10.0));
  }
  if (has_os2 && os2->yStrikeoutSize > 0) {
    m.strike_thickness = std::max(1, scaled(os2->yStrikeoutSize, em, upem));
    m.strike_top = -scaled(os2->yStrikeoutPosition, em, upem);
  } else {
    m.strike_thickness = m.underline_thickness;
    m.strike_top = -static_cast<int>(std::lround(em * 0.3));
  }
  return m;
}

}  // namespace

FaceLibrary::FaceLibrary() {
  if (FT_Init_FreeType(&library_) != 0) library_ = nullptr;
}

FaceLibrary::~FaceLibrary() {
  for (Face& f : faces_) FT_Done_Face(f.face);
  if (library_ != nullptr) FT_Done_FreeType(library_);
}

FaceId FaceLibrary::open(const std::string& file, int index) {
  auto [it, inserted] = ids_.try_emplace({file, index}, kNoFace);
  if (inserted && library_ != nullptr) {
    FT_Face face = nullptr;
    if (FT_New_Face(library_, file.c_str(), index, &face) == 0) {
      it->second = static_cast<FaceId>(faces_.size());
      faces_.push_back({face, {}, {}});
    }
  }
  return it->second;
}

FT_Face FaceLibrary::sized(FaceId id, int em) {
  if (id < 0) return nullptr;
  Face& f = faces_[static_cast<std::size_t>(id)];
  auto [it, inserted] = f.sizes.try_emplace(em, nullptr);
  if (inserted) {
    FT_Size size = nullptr;
    if (FT_New_Size(f.face, &size) == 0) {
      FT_Activate_Size(size);
      if (FT_Set_Pixel_Sizes(f.face, 0, static_cast<FT_UInt>(em)) == 0) {
        it->second = size;
      } else {
        FT_Done_Size(size);
      }
    }
  }
  if (it->second == nullptr) return nullptr;
  FT_Activate_Size(it->second);
  return f.face;
}

unsigned FaceLibrary::glyph_index(FaceId id, char32_t c) const {
  if (id < 0) return 0;
  return FT_Get_Char_Index(faces_[static_cast<std::size_t>(id)].face, c);
}

const FaceMetrics& FaceLibrary::metrics(FaceId id, int em) {
  static const FaceMetrics none;
  FT_Face face = sized(id, em);
  if (face == nullptr) return none;
  Face& f = faces_[static_cast<std::size_t>(id)];
  auto it = f.metrics.find(em);
  if (it == f.metrics.end()) it = f.metrics.emplace(em, measure(face, em)).first;
  return it->second;
}

FaceStyle FaceLibrary::style(FaceId id) const {
  FaceStyle s;
  if (id < 0) return s;
  FT_Face face = faces_[static_cast<std::size_t>(id)].face;
  // Semibold and heavier count as bold, as the OS/2 weight classes go.
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  s.bold = os2 != nullptr && os2->version != 0xFFFFu ? os2->usWeightClass >= 600
                                                    : (face->style_flags & FT_STYLE_FLAG_BOLD) != 0;
  s.italic = (face->style_flags & FT_STYLE_FLAG_ITALIC) != 0;
  return s;
}

}  // namespace miaoyu::compose
