// A drawing board: a raster canvas with a 1-pixel frame, a background colour
// and picture, and a persistent picture that receives drawing while
// auto-redraw is on. The widget that shows a board only paints screen().
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "compose/text/font_value.hpp"
#include "compose/picture_layout.hpp"
#include "compose/raster/raster.hpp"

namespace miaoyu::compose {

// The classic control-face colour; a desktop palette may give another.
inline constexpr Colour kControlFace = 0xF0F0F0;
// Width and Height are held to this range.
inline constexpr int kMaxBoardSide = 32627;

class Board {
 public:
  Board(PictureLayout layout, int width, int height, Colour background = kControlFace, int dpi = 96);

  // Outer size, frame included; the drawing area is 2 pixels smaller each way.
  int width() const { return width_; }
  int height() const { return height_; }
  void set_width(int width);
  void set_height(int height);

  Colour background_colour() const { return background_; }
  void set_background_colour(Colour colour);

  // Keeps a copy of the bytes and repaints. Bytes that do not decode are
  // dropped by that paint, so reading back gives "". With auto-redraw on,
  // the persistent picture starts afresh from the background.
  const std::string& background_picture() const { return picture_bytes_; }
  void set_background_picture(std::string bytes);

  bool auto_redraw() const { return persistent_.has_value(); }
  void set_auto_redraw(bool on);

  Colour text_colour() const { return text_colour_; }
  void set_text_colour(Colour colour) { text_colour_ = colour; }
  const FontValue& font() const { return font_; }
  void set_font(FontValue font) { font_ = std::move(font); }

  // Repaints the drawing area with the background; font, colours and
  // auto-redraw stay.
  void clear();

  int text_width(std::string_view text) const;
  // The text's cell top-left at (x, y) of the drawing area, in the text colour.
  void draw_text_at(int x, int y, std::string_view text);

  // The persistent picture as BMP bytes, or with auto-redraw off the board's
  // current appearance.
  std::string capture_picture();

  // What the board's widget paints inside the frame: at least 1 x 1, of the
  // drawing area's size otherwise.
  const Raster& screen();

  // Called after every change of what screen() shows.
  void set_on_change(std::function<void()> callback) { on_change_ = std::move(callback); }

 private:
  int area_width() const;
  int area_height() const;
  Raster painted_background() const;
  void resize(int width, int height);
  // After a change of the background: the screen and any drawing start afresh.
  void restart_from_background();
  Raster& drawing_target();
  void changed();

  PictureLayout layout_;
  int width_ = 0;
  int height_ = 0;
  int dpi_;
  Colour background_;
  Colour text_colour_ = 0x000000;
  FontValue font_;
  std::string picture_bytes_;
  std::optional<BackgroundPicture> picture_;
  std::optional<Raster> persistent_;
  // Painted on demand: a board nobody looks at never pays for its screen.
  std::optional<Raster> screen_;
  std::function<void()> on_change_;
};

}  // namespace miaoyu::compose
