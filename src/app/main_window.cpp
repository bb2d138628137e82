#include "app/main_window.hpp"

#include <iostream>

#include "app/board_widget.hpp"
#include "app/qt_template_list.hpp"
#include "catalogue/catalogue_loader.hpp"
#include "catalogue/gbk.hpp"

namespace miaoyu::app {
namespace {

// The window manager draws the frame; this is the client area of the
// 537 x 549 window the layout was drawn for.
constexpr QSize kClientSize(531, 521);

}  // namespace

MainWindow::MainWindow(std::string program_folder, int dpi, compose::Colour control_face)
    : program_folder_(std::move(program_folder)),
      work_board_(compose::PictureLayout::kTile, 400, 800, control_face, dpi),
      preview_board_(compose::PictureLayout::kCentreShrink, 308, 481, control_face, dpi) {
  // 妙语画坊 -本工具由云朵屋提供
  setWindowTitle(QString::fromStdString(
      gbk_to_utf8("\xC3\xEE\xD3\xEF\xBB\xAD\xB7\xBB -\xB1\xBE\xB9\xA4\xBE\xDF\xD3\xC9\xD4\xC6\xB6\xE4\xCE\xDD\xCC\xE1\xB9\xA9")));
  setFixedSize(kClientSize);
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  QPalette colours = palette();
  colours.setColor(QPalette::Window, QColor(0x26, 0x26, 0x26));
  setPalette(colours);
  setAutoFillBackground(true);

  template_list_ = new QtTemplateList(this);
  template_list_->setGeometry(8, 8, 208, 216);

  auto* preview_board_widget = new BoardWidget(preview_board_, this);
  preview_board_widget->setGeometry(220, 7, preview_board_.width(), preview_board_.height());

  auto* work_board_widget = new BoardWidget(work_board_, this);
  work_board_widget->setGeometry(569, 0, work_board_.width(), work_board_.height());
}

void MainWindow::on_created() { catalogue::load_catalogue(*template_list_, program_folder_, std::cerr); }

}  // namespace miaoyu::app
