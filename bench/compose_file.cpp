// Composes one captioned picture the way the program does, from a picture
// file to a BMP file: the work board sized to the picture, the picture decoded
// into it, three shadowed caption lines (six Draw text at), the capture
// written out. compose_vs_tools.py times it beside djpeg and ImageMagick.
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>

#include "catalogue/gbk.hpp"
#include "compose/board.hpp"
#include "compose/read_file.hpp"

int main(int argc, char** argv) {
  using namespace miaoyu::compose;
  if (argc != 5) {
    std::cerr << "usage: compose_file PICTURE WIDTH HEIGHT OUT.bmp\n";
    return 2;
  }
  Board board(PictureLayout::kTile, 400, 800);
  board.set_width(std::atoi(argv[2]));
  board.set_height(std::atoi(argv[3]));
  board.set_background_picture(read_file(argv[1]));
  if (board.background_picture().empty()) {
    std::cerr << "compose_file: " << argv[1] << " does not decode\n";
    return 1;
  }

  board.clear();
  board.set_font(miaoyu::compose::caption_font());
  board.set_auto_redraw(true);
  const std::string lines[] = {miaoyu::utf8_to_gbk("当你以为今天是周五"), miaoyu::utf8_to_gbk("其实才周三"),
                               miaoyu::utf8_to_gbk("妙语画坊 2026")};
  int top = 40;
  for (const std::string& line : lines) {
    const int x = static_cast<int>((board.width() - board.text_width(line)) / 2.0);
    board.set_text_colour(0x000000);
    board.draw_text_at(x, top, line);
    board.set_text_colour(0xFFFFFF);
    board.draw_text_at(x - 1, top - 1, line);
    top += board.height() / 3;
  }
  const std::string bmp = board.capture_picture();
  std::ofstream(argv[4], std::ios::binary).write(bmp.data(), static_cast<std::streamsize>(bmp.size()));
  return 0;
}
