// Drawing: where the ink goes, how it is clipped and how it blends.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "support/text_fixtures.hpp"

namespace miaoyu::compose {
namespace {

using support::Box;
using support::caption_font;
using support::font;
using support::gbk;
using support::ink_box;
using support::InstalledFonts;
using support::kGrey;
using support::renderer;
using support::same_pixels;
using support::uniform;

constexpr Colour kWhite = 0xFFFFFF;
constexpr Colour kBlack = 0x000000;
constexpr Colour kRed = 0x0000FF;

FontValue lined(bool underline, bool strike_out) {
  FontValue f = font(kSongTi, 16);
  f.underline = underline;
  f.strike_out = strike_out;
  return f;
}

struct Sample {
  const char* label;
  std::string text;
  FontValue font;
  // Letters drawn with a negative side bearing, such as the caption face's
  // "A", reach up to this far past the cell's left and right sides.
  int overhang = 0;
};

std::vector<Sample> samples() {
  return {
      {"ASCII", "Miaoyu gjpq|", caption_font()},
      {"Chinese", gbk("妙语画坊"), caption_font()},
      {"mixed", gbk("画坊 Wiki 123，。"), FontValue{}},
      {"invalid bytes", "a\xFF\x81", caption_font()},
      {"large", gbk("妙M"), font(kHeiTi, 40, true)},
      {"underline and strike-out", gbk("一 Mi"), lined(true, true)},
      {"negative side bearings", "AVA", font(kHeiTi, 40, true), 1},
  };
}

// Draws on a raster with room around the cell; the box it returns is in the
// cell's own coordinates.
Box ink_in_cell(const Sample& s, Colour colour = kWhite) {
  constexpr int kMargin = 20;
  const int w = renderer().text_width(s.text, s.font);
  const int h = renderer().cell_height(s.font);
  Raster r = uniform(w + 2 * kMargin, h + 2 * kMargin);
  renderer().draw_text(r, kMargin, kMargin, s.text, s.font, colour);
  Box b = ink_box(r);
  b.left -= kMargin;
  b.right -= kMargin;
  b.top -= kMargin;
  b.bottom -= kMargin;
  return b;
}

void expect_ink_inside_cell(const Sample& s) {
  const int w = renderer().text_width(s.text, s.font);
  const int h = renderer().cell_height(s.font);
  const Box b = ink_in_cell(s);
  ASSERT_FALSE(b.empty()) << s.label;
  EXPECT_GE(b.left, -s.overhang) << s.label;
  EXPECT_GE(b.top, 0) << s.label;
  EXPECT_LE(b.right, w + s.overhang) << s.label;
  EXPECT_LE(b.bottom, h) << s.label;
}

TEST(TextDrawing, InkLiesInsideTheCell) {
  for (const Sample& s : samples()) expect_ink_inside_cell(s);
}

TEST(TextDrawing, CharacterTheFaceLacksFallsBackToAnotherFont) {
  if (!InstalledFonts::get().any_has(U'\u10D0')) GTEST_SKIP() << "no font has Georgian";
  const Sample georgian{"Georgian", gbk(U"妙ა"), caption_font()};
  expect_ink_inside_cell(georgian);

  // Not the missing-glyph shape that stands in when no font has a character.
  const char32_t missing = support::char_no_font_has();
  if (missing == 0) return;
  const Sample stand_in{"missing", gbk(std::u32string{U'妙', missing}), caption_font()};
  Raster a = uniform(80, 40);
  Raster b = uniform(80, 40);
  renderer().draw_text(a, 5, 5, georgian.text, georgian.font, kWhite);
  renderer().draw_text(b, 5, 5, stand_in.text, stand_in.font, kWhite);
  EXPECT_FALSE(same_pixels(a, b));
}

TEST(TextDrawing, CharacterNoFontHasTakesTheMissingGlyph) {
  const char32_t missing = support::char_no_font_has();
  if (missing == 0) GTEST_SKIP() << "every candidate character has a font";
  const Sample s{"missing", gbk(std::u32string{U'M', missing, U'B'}), caption_font()};
  EXPECT_GT(renderer().text_width(s.text, s.font), renderer().text_width("MB", s.font));
  expect_ink_inside_cell(s);
}

TEST(TextDrawing, NothingToDrawChangesNothing) {
  const Raster before = uniform(60, 30);
  for (const std::string& text : {std::string{}, std::string{"\t\r\n\x7f"}}) {
    Raster r = before.clone();
    renderer().draw_text(r, 3, 3, text, caption_font(), kWhite);
    EXPECT_TRUE(same_pixels(r, before));
  }
}

// Clipping: drawing on a small raster gives exactly the window of the same
// drawing on a raster large enough for all of it.
TEST(TextDrawing, ClippedDrawingIsTheWindowOfTheWholeDrawing) {
  constexpr int kW = 50;
  constexpr int kH = 30;
  FontValue turned = lined(true, true);
  turned.angle = 450;
  const std::vector<Sample> fonts = {
      {"caption", gbk("妙语画坊 Ab"), caption_font()},
      {"lines", gbk("画坊 Mi"), lined(true, true)},
      {"turned with lines", gbk("画坊 Mi"), turned},
  };
  for (const Sample& s : fonts) {
    const int w = renderer().text_width(s.text, s.font);
    const int h = renderer().cell_height(s.font);
    const int margin = w + h + 10;
    struct Place {
      const char* where;
      int x;
      int y;
    };
    const Place places[] = {
        {"inside", 1, 1},
        {"over the left edge", -w / 2, 2},
        {"over the right edge", kW - w / 2, 2},
        {"over the top edge", 2, -h / 2},
        {"over the bottom edge", 2, kH - h / 2},
        {"over the top-left corner", -w + 5, -h + 5},
        {"over the bottom-right corner", kW - 5, kH - 5},
        {"wider than the raster", -w / 3, -3},
        {"left of it", -w - 2 * h, 0},
        {"above it", 0, -2 * h - w},
        {"right of it", kW, 0},
        {"below it", 0, kH + w},
    };
    for (const Place& p : places) {
      Raster whole = uniform(kW + 2 * margin, kH + 2 * margin);
      renderer().draw_text(whole, p.x + margin, p.y + margin, s.text, s.font, kRed);
      Raster clipped = uniform(kW, kH);
      renderer().draw_text(clipped, p.x, p.y, s.text, s.font, kRed);
      int differences = 0;
      for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < kW; ++x) differences += clipped.row(y)[x] != whole.row(y + margin)[x + margin];
      }
      EXPECT_EQ(differences, 0) << s.label << ", " << p.where;
    }
  }
}

TEST(TextDrawing, FarAwayCoordinatesDrawNothing) {
  const Raster before = uniform(40, 20);
  FontValue turned = lined(true, true);
  turned.angle = 1234;
  const int far[] = {INT_MIN, INT_MIN + 1, -(1 << 30), 1 << 30, INT_MAX - 1, INT_MAX};
  for (const FontValue& f : {caption_font(), lined(true, true), turned}) {
    for (int x : far) {
      for (int y : {INT_MIN, 0, INT_MAX}) {
        Raster r = before.clone();
        renderer().draw_text(r, x, y, gbk("妙语 Mi"), f, kWhite);
        renderer().draw_text(r, y, x, gbk("妙语 Mi"), f, kWhite);
        EXPECT_TRUE(same_pixels(r, before)) << x << ", " << y;
      }
    }
  }
}

// The pen ends where the width says: two texts drawn one after the other
// give the same pixels as the two drawn as one.
TEST(TextDrawing, PenEndsAtTheMeasuredWidth) {
  const std::string first = gbk("妙语A");
  const std::string second = gbk("画坊 j");
  for (const FontValue& f : {caption_font(), lined(true, false), font("DejaVu Math TeX Gyre", 13, true)}) {
    Raster joined = uniform(200, 60);
    renderer().draw_text(joined, 4, 6, first + second, f, kBlack);
    Raster split = uniform(200, 60);
    renderer().draw_text(split, 4, 6, first, f, kBlack);
    renderer().draw_text(split, 4 + renderer().text_width(first, f), 6, second, f, kBlack);
    EXPECT_TRUE(same_pixels(joined, split)) << f.name;
  }
}

TEST(TextDrawing, ShadowedCaptionHasBlackLowerAndRightEdges) {
  const std::string text = gbk("妙语画坊 Miaoyu");
  const FontValue f = caption_font();
  Raster r = uniform(200, 50);
  renderer().draw_text(r, 10, 10, text, f, kBlack);
  renderer().draw_text(r, 9, 9, text, f, kWhite);

  // Black ink shows as pixels darker than the grey, white ink as lighter ones.
  auto channel = [](Pixel p) { return p & 0xFFu; };
  int white = 0;
  for (std::size_t i = 0; i < r.pixel_count(); ++i) white += channel(r.data()[i]) >= 0xF0;
  int rows = 0;
  int rows_ending_black = 0;
  for (int y = 0; y < r.height(); ++y) {
    for (int x = r.width() - 1; x >= 0; --x) {
      if (r.row(y)[x] == kGrey) continue;
      ++rows;
      rows_ending_black += channel(r.row(y)[x]) < channel(kGrey);
      break;
    }
  }
  int columns = 0;
  int columns_ending_black = 0;
  for (int x = 0; x < r.width(); ++x) {
    for (int y = r.height() - 1; y >= 0; --y) {
      if (r.row(y)[x] == kGrey) continue;
      ++columns;
      columns_ending_black += channel(r.row(y)[x]) < channel(kGrey);
      break;
    }
  }
  EXPECT_GT(white, 100);
  ASSERT_GT(rows, 10);
  ASSERT_GT(columns, 50);
  EXPECT_GE(rows_ending_black * 4, rows * 3);
  EXPECT_GE(columns_ending_black * 4, columns * 3);
}

// Drawing again in an opaque colour inks no new pixels, and pixels of full
// coverage are the colour exactly either way.
TEST(TextDrawing, DrawingTwiceInksTheSamePixels) {
  int full = 0;
  for (const Sample& s : samples()) {
    Raster once = uniform(120, 60);
    renderer().draw_text(once, 5, 5, s.text, s.font, kRed);
    Raster twice = once.clone();
    renderer().draw_text(twice, 5, 5, s.text, s.font, kRed);
    const Pixel red = pixel_from_colour(kRed);
    for (std::size_t i = 0; i < once.pixel_count(); ++i) {
      const Pixel a = once.data()[i];
      const Pixel b = twice.data()[i];
      ASSERT_EQ(a == kGrey, b == kGrey) << s.label << " at " << i;
      if (a == red) {
        ++full;
        EXPECT_EQ(b, red) << s.label << " at " << i;
      }
    }
  }
  EXPECT_GT(full, 100);
}

// Only the inked pixels change, opaque pixels stay opaque and transparent
// ones gain the coverage as alpha.
TEST(TextDrawing, BlendingKeepsOrGainsAlpha) {
  const Sample s = samples()[1];
  for (const Pixel background : {Pixel{0xFF808080u}, Pixel{0x00808080u}, Pixel{0x80336699u}}) {
    Raster r = uniform(100, 40, background);
    renderer().draw_text(r, 3, 3, s.text, s.font, kWhite);
    int inked = 0;
    for (std::size_t i = 0; i < r.pixel_count(); ++i) {
      const Pixel p = r.data()[i];
      if (p == background) continue;
      ++inked;
      EXPECT_GE(p >> 24, background >> 24);
      for (unsigned shift : {0u, 8u, 16u}) EXPECT_GE((p >> shift) & 0xFFu, (background >> shift) & 0xFFu);
    }
    EXPECT_GT(inked, 0);
  }
}

// Rows of the cell that the colour fills from the text's start to its end.
std::vector<int> full_rows(const FontValue& f, const std::string& text) {
  const int w = renderer().text_width(text, f);
  const int h = renderer().cell_height(f);
  Raster r = uniform(w + 20, h + 20);
  renderer().draw_text(r, 10, 10, text, f, kRed);
  std::vector<int> rows;
  for (int y = 0; y < r.height(); ++y) {
    bool full = r.row(y)[9] == kGrey && r.row(y)[10 + w] == kGrey;
    for (int x = 10; x < 10 + w && full; ++x) full = r.row(y)[x] == pixel_from_colour(kRed);
    if (full) rows.push_back(y - 10);
  }
  return rows;
}

TEST(TextDrawing, UnderlineAndStrikeOutSpanTheText) {
  const std::string text = gbk("妙语 Mi");
  EXPECT_TRUE(full_rows(lined(false, false), text).empty());
  const std::vector<int> under = full_rows(lined(true, false), text);
  const std::vector<int> strike = full_rows(lined(false, true), text);
  const std::vector<int> both = full_rows(lined(true, true), text);
  ASSERT_FALSE(under.empty());
  ASSERT_FALSE(strike.empty());
  EXPECT_LT(strike.back(), under.front());
  std::vector<int> union_rows = strike;
  union_rows.insert(union_rows.end(), under.begin(), under.end());
  EXPECT_EQ(both, union_rows);
  EXPECT_LT(under.back(), renderer().cell_height(lined(true, false)));
}

// Mean x of the ink in a row, or -1 without ink.
double ink_centre(const Raster& r, int y) {
  double sum = 0;
  int n = 0;
  for (int x = 0; x < r.width(); ++x) {
    if (r.row(y)[x] == kGrey) continue;
    sum += x;
    ++n;
  }
  return n == 0 ? -1 : sum / n;
}

// The CJK faces have no italic: it is slanted, leaning the upright stroke
// to the right above the baseline, and the advances stay.
TEST(TextDrawing, ItalicWithoutItalicFaceLeansRight) {
  const std::string stroke = gbk("丨");
  FontValue upright = font(kHeiTi, 40);
  FontValue italic = upright;
  italic.italic = true;
  EXPECT_EQ(renderer().text_width(stroke, italic), renderer().text_width(stroke, upright));
  struct Lean {
    double top;
    double bottom;
  };
  auto lean = [&](const FontValue& f) {
    Raster r = uniform(100, 100);
    renderer().draw_text(r, 20, 10, stroke, f, kWhite);
    const Box b = ink_box(r);
    return Lean{ink_centre(r, b.top + 2), ink_centre(r, b.bottom - 3)};
  };
  const Lean straight = lean(upright);
  const Lean slanted = lean(italic);
  EXPECT_NEAR(straight.top, straight.bottom, 0.5);
  // About 0.21 of the stroke's height, some 40 pixels.
  EXPECT_GT(slanted.top - slanted.bottom, 5);
  EXPECT_LT(slanted.top - slanted.bottom, 12);
}

// Turned text: the cell turns counter-clockwise about its top-left corner.
TEST(TextDrawing, AngleTurnsTheCellAboutItsTopLeft) {
  const std::string text = gbk("妙语 Mi");
  FontValue upright = caption_font();
  const int w = renderer().text_width(text, upright);
  const int h = renderer().cell_height(upright);
  constexpr int kX = 100;
  constexpr int kY = 100;
  struct Case {
    int angle;
    Box cell;
  };
  const Case cases[] = {
      {0, {kX, kY, kX + w, kY + h}},
      {900, {kX, kY - w, kX + h, kY}},
      {1800, {kX - w, kY - h, kX, kY}},
      {2700, {kX - h, kY, kX, kY + w}},
      {-900, {kX - h, kY, kX, kY + w}},
      {3600 + 900, {kX, kY - w, kX + h, kY}},
  };
  for (const Case& c : cases) {
    FontValue f = upright;
    f.angle = c.angle;
    EXPECT_EQ(renderer().text_width(text, f), w) << c.angle;
    Raster r = uniform(200, 200);
    renderer().draw_text(r, kX, kY, text, f, kWhite);
    const Box b = ink_box(r);
    ASSERT_FALSE(b.empty()) << c.angle;
    EXPECT_GE(b.left, c.cell.left) << c.angle;
    EXPECT_GE(b.top, c.cell.top) << c.angle;
    EXPECT_LE(b.right, c.cell.right) << c.angle;
    EXPECT_LE(b.bottom, c.cell.bottom) << c.angle;
  }
  // 45 degrees: up and to the right of the corner.
  FontValue f = upright;
  f.angle = 450;
  Raster r = uniform(200, 200);
  renderer().draw_text(r, kX, kY, text, f, kWhite);
  const Box b = ink_box(r);
  ASSERT_FALSE(b.empty());
  EXPECT_GE(b.left, kX - 1);
  EXPECT_LT(b.top, kY - w / 2);
  EXPECT_GT(b.right, kX + w / 2);
  EXPECT_LE(b.bottom, kY + h + 1);
}

}  // namespace
}  // namespace miaoyu::compose
