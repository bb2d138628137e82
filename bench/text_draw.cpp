// Measuring and drawing one 12-character caption line in the caption font,
// with the renderer's caches warm: once, and as the preview does it (a
// black pass and a white one).
#include <benchmark/benchmark.h>

#include "catalogue/gbk.hpp"
#include "compose/text/font_value.hpp"
#include "compose/raster/raster.hpp"
#include "compose/text/text_renderer.hpp"

namespace {

using miaoyu::compose::caption_font;
using miaoyu::compose::FontValue;
using miaoyu::compose::Raster;
using miaoyu::compose::TextRenderer;

const std::string& line() {
  static const std::string text = miaoyu::utf8_to_gbk("妙语画坊把图片配上文字了");
  return text;
}

void BM_MeasureAndDraw(benchmark::State& state) {
  const FontValue font = caption_font();
  Raster board = *Raster::create(1000, 300);
  board.fill(0xFF808080u);
  TextRenderer& renderer = TextRenderer::instance();
  renderer.draw_text(board, 0, 0, line(), font, 0x000000);
  for (auto _ : state) {
    const int width = renderer.text_width(line(), font);
    renderer.draw_text(board, (board.width() - width) / 2, 100, line(), font, 0xFFFFFF);
    benchmark::DoNotOptimize(board.data());
  }
}
BENCHMARK(BM_MeasureAndDraw);

void BM_ShadowedLine(benchmark::State& state) {
  const FontValue font = caption_font();
  Raster board = *Raster::create(1000, 300);
  board.fill(0xFF808080u);
  TextRenderer& renderer = TextRenderer::instance();
  renderer.draw_text(board, 0, 0, line(), font, 0x000000);
  for (auto _ : state) {
    const int width = renderer.text_width(line(), font);
    const int x = (board.width() - width) / 2;
    renderer.draw_text(board, x, 100, line(), font, 0x000000);
    renderer.draw_text(board, x - 1, 99, line(), font, 0xFFFFFF);
    benchmark::DoNotOptimize(board.data());
  }
}
BENCHMARK(BM_ShadowedLine);

void BM_MeasureOnly(benchmark::State& state) {
  const FontValue font = caption_font();
  TextRenderer& renderer = TextRenderer::instance();
  benchmark::DoNotOptimize(renderer.text_width(line(), font));
  for (auto _ : state) benchmark::DoNotOptimize(renderer.text_width(line(), font));
}
BENCHMARK(BM_MeasureOnly);

}  // namespace

BENCHMARK_MAIN();
