// Shows a drawing board: a 1-pixel sunken frame around the board's screen.
#pragma once

#include <QWidget>

#include "compose/board.hpp"

namespace miaoyu::app {

class BoardWidget final : public QWidget {
 public:
  BoardWidget(compose::Board& board, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  compose::Board& board_;
};

}  // namespace miaoyu::app
