#include "app/board_widget.hpp"

#include <QImage>
#include <QPainter>

namespace miaoyu::app {

BoardWidget::BoardWidget(compose::Board& board, QWidget* parent) : QWidget(parent), board_(board) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  board_.set_on_change([this] {
    resize(board_.width(), board_.height());
    update();
  });
}

void BoardWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const int w = board_.width();
  const int h = board_.height();
  if (w <= 0 || h <= 0) return;
  painter.setPen(palette().color(QPalette::Dark));
  painter.drawLine(0, 0, w - 1, 0);
  painter.drawLine(0, 0, 0, h - 1);
  painter.setPen(palette().color(QPalette::Light));
  painter.drawLine(w - 1, 0, w - 1, h - 1);
  painter.drawLine(0, h - 1, w - 1, h - 1);
  if (w <= 2 || h <= 2) return;
  const compose::Raster& screen = board_.screen();
  // The pixels are BGRA bytes, which is QImage's 32-bit word 0xAARRGGBB on this machine.
  const QImage image(reinterpret_cast<const uchar*>(screen.data()), screen.width(), screen.height(),
                     static_cast<qsizetype>(screen.width()) * 4, QImage::Format_RGB32);
  painter.drawImage(QPoint(1, 1), image, QRect(0, 0, w - 2, h - 2));
}

}  // namespace miaoyu::app
