// Measuring: character heights, cells, advances and which faces names pick.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "support/text_fixtures.hpp"

namespace miaoyu::compose {
namespace {

using support::caption_font;
using support::font;
using support::gbk;
using support::InstalledFonts;
using support::renderer;

// The CJK faces' ideographs are one em wide, so an ideograph's advance shows
// the character height the size gave.
TEST(TextMetrics, SizeGivesCharacterHeight) {
  struct Case {
    int size;
    int dpi;
    int em;
  };
  const Case cases[] = {
      {13, 96, 17}, {9, 96, 12},  {-13, 96, 17}, {12, 72, 12}, {13, 120, 22},
      {10, 96, 13}, {13, 0, 17},  {13, -96, 17}, {0, 96, 16},  {1, 96, 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(renderer().text_width(gbk("妙"), font(kSongTi, c.size), c.dpi), c.em)
        << "size " << c.size << " at " << c.dpi << " dpi";
  }
}

TEST(TextMetrics, CaptionFontOnNotoSansCjk) {
  if (InstalledFonts::get().has_family("SimHei")) GTEST_SKIP() << "SimHei takes the place of Noto Sans CJK";
  ASSERT_TRUE(InstalledFonts::get().has_bold("Noto Sans CJK SC"));
  const FontValue f = caption_font();
  // Noto Sans CJK SC Bold, em 17: usWinAscent 1160 and usWinDescent 288 per 1000.
  EXPECT_EQ(renderer().text_width(gbk("妙"), f), 17);
  EXPECT_EQ(renderer().cell_height(f), 20 + 5);
  EXPECT_EQ(renderer().text_width(gbk("妙语画坊"), f), 4 * 17);
}

TEST(TextMetrics, WidthGrowsWithTheTextAndIsZeroWhenEmpty) {
  const std::u32string text = U"妙语画坊 Miaoyu 12，。ﾊ€\uFFFDWi";
  for (const FontValue& f : {caption_font(), FontValue{}, font(kHeiTi, 30), font("DejaVu Sans", 11)}) {
    EXPECT_EQ(renderer().text_width("", f), 0);
    int previous = 0;
    for (std::size_t n = 1; n <= text.size(); ++n) {
      const int w = renderer().text_width(gbk(text.substr(0, n)), f);
      EXPECT_GT(w, previous) << "after " << n << " characters in " << f.name << " " << f.size;
      previous = w;
    }
  }
}

TEST(TextMetrics, ControlCharactersTakeNoRoom) {
  const FontValue f = caption_font();
  EXPECT_EQ(renderer().text_width("\t\r\n\x01\x1f\x7f", f), 0);
  EXPECT_EQ(renderer().text_width(gbk("a\tb\n妙\r"), f), renderer().text_width(gbk("ab妙"), f));
}

// A face with no bold is emboldened, which widens every glyph by one pixel.
TEST(TextMetrics, SyntheticBoldAddsOnePixelPerCharacter) {
  const char* family = "DejaVu Math TeX Gyre";
  if (!InstalledFonts::get().has_family(family) || InstalledFonts::get().has_bold(family)) {
    GTEST_SKIP() << "needs a face without a bold weight: " << family;
  }
  const std::string text = "Miaoyu 12";
  EXPECT_EQ(renderer().text_width(text, font(family, 13, true)),
            renderer().text_width(text, font(family, 13, false)) + static_cast<int>(text.size()));
}

// A face that has a bold weight keeps its own advances.
TEST(TextMetrics, RealBoldKeepsItsAdvances) {
  ASSERT_TRUE(InstalledFonts::get().has_bold("Noto Sans CJK SC"));
  const std::string text = gbk("妙语画坊");
  EXPECT_EQ(renderer().text_width(text, font(kHeiTi, 13, true)), renderer().text_width(text, font(kHeiTi, 13, false)));
}

// Names that no board font can carry stand for "宋体"; others reach fontconfig.
TEST(TextMetrics, NamesPickFaces) {
  const std::string text = gbk("妙语 Miaoyu");
  const int song = renderer().text_width(text, font(kSongTi, 20));
  EXPECT_EQ(renderer().text_width(text, font("", 20)), song);
  EXPECT_EQ(renderer().text_width(text, font(std::string(32, 'x'), 20)), song);
  EXPECT_EQ(renderer().text_width(text, font(std::string(40, '\xB0'), 20)), song);
  if (InstalledFonts::get().has_family("DejaVu Sans Mono")) {
    // Monospaced Latin: six letters of equal advance, the ideographs from the fallback.
    const FontValue mono = font("DejaVu Sans Mono", 20);
    EXPECT_EQ(renderer().text_width("Miaoyu", mono), 6 * renderer().text_width("i", mono));
    EXPECT_NE(renderer().text_width("Miaoyu", mono), renderer().text_width("Miaoyu", font(kSongTi, 20)));
  }
}

TEST(TextMetrics, AbsurdSizesStayBounded) {
  for (int size : {INT_MIN, INT_MIN + 1, -100000, 100000, INT_MAX}) {
    for (int dpi : {INT_MIN, -1, 1, 96, INT_MAX}) {
      const FontValue f = font(kHeiTi, size);
      const int w = renderer().text_width(gbk("妙A"), f, dpi);
      const int h = renderer().cell_height(f, dpi);
      EXPECT_GT(w, 0) << size << " at " << dpi;
      EXPECT_GT(h, 0) << size << " at " << dpi;
      EXPECT_LE(h, 4096) << size << " at " << dpi;
    }
  }
}

}  // namespace
}  // namespace miaoyu::compose
