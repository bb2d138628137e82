#include "compose/board.hpp"

#include <algorithm>

#include "compose/bmp_capture.hpp"
#include "compose/decode/picture_decoder.hpp"
#include "compose/text/text_renderer.hpp"

namespace miaoyu::compose {
namespace {

int clamp_side(int side) { return std::clamp(side, 0, kMaxBoardSide); }

bool all_opaque(const Raster& raster) {
  const Pixel* p = raster.data();
  return std::all_of(p, p + raster.pixel_count(), [](Pixel px) { return px >> 24 == 0xFF; });
}

}  // namespace

Board::Board(PictureLayout layout, int width, int height, Colour background, int dpi)
    : layout_(layout), width_(clamp_side(width)), height_(clamp_side(height)), dpi_(dpi), background_(background) {}

int Board::area_width() const { return std::max(1, width_ - 2); }
int Board::area_height() const { return std::max(1, height_ - 2); }

Raster Board::painted_background() const {
  Raster raster = *Raster::create(area_width(), area_height());
  paint_background(raster, background_, picture_ ? &*picture_ : nullptr, layout_);
  return raster;
}

void Board::set_width(int width) { resize(clamp_side(width), height_); }
void Board::set_height(int height) { resize(width_, clamp_side(height)); }

void Board::resize(int width, int height) {
  if (width == width_ && height == height_) return;
  width_ = width;
  height_ = height;
  screen_.reset();
  if (persistent_) {
    // The drawing so far is kept; only newly exposed parts show the background.
    Raster grown = painted_background();
    const int w = std::min(grown.width(), persistent_->width());
    const int h = std::min(grown.height(), persistent_->height());
    for (int y = 0; y < h; ++y) std::copy_n(persistent_->row(y), w, grown.row(y));
    persistent_ = std::move(grown);
  }
  changed();
}

void Board::set_background_colour(Colour colour) {
  background_ = colour;
  restart_from_background();
}

void Board::set_background_picture(std::string bytes) {
  picture_bytes_ = std::move(bytes);
  picture_.reset();
  if (!picture_bytes_.empty()) {
    if (auto decoded = decode_picture(picture_bytes_)) {
      const bool opaque = all_opaque(*decoded);
      picture_ = BackgroundPicture{std::move(*decoded), opaque};
    } else {
      picture_bytes_.clear();
    }
  }
  restart_from_background();
}

void Board::restart_from_background() {
  screen_.reset();
  if (persistent_) persistent_ = painted_background();
  changed();
}

void Board::set_auto_redraw(bool on) {
  if (on == auto_redraw()) return;
  if (on) {
    persistent_ = painted_background();
  } else {
    persistent_.reset();
  }
  screen_.reset();
  changed();
}

void Board::clear() {
  screen_.reset();
  if (persistent_) paint_background(*persistent_, background_, picture_ ? &*picture_ : nullptr, layout_);
  changed();
}

int Board::text_width(std::string_view text) const {
  if (text.empty()) return 0;
  return TextRenderer::instance().text_width(text, font_, dpi_);
}

Raster& Board::drawing_target() {
  if (persistent_) return *persistent_;
  if (!screen_) screen_ = painted_background();
  return *screen_;
}

void Board::draw_text_at(int x, int y, std::string_view text) {
  if (text.empty()) return;
  TextRenderer::instance().draw_text(drawing_target(), x, y, text, font_, text_colour_, dpi_);
}

std::string Board::capture_picture() { return encode_bmp24(drawing_target()); }

const Raster& Board::screen() { return drawing_target(); }

void Board::changed() {
  if (on_change_) on_change_();
}

}  // namespace miaoyu::compose
