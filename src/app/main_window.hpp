// The main window: the template list and the preview board, with the work
// board placed outside the visible client area.
#pragma once

#include <QWidget>
#include <string>

#include "compose/board.hpp"

namespace miaoyu::app {

class QtTemplateList;

class MainWindow final : public QWidget {
 public:
  MainWindow(std::string program_folder, int dpi, compose::Colour control_face);

  // The window-created event: runs once, before the window is first shown.
  void on_created();

  QtTemplateList& template_list() { return *template_list_; }
  compose::Board& preview_board() { return preview_board_; }
  compose::Board& work_board() { return work_board_; }

 private:
  std::string program_folder_;
  compose::Board work_board_;     // 画板1
  compose::Board preview_board_;  // 画板2
  QtTemplateList* template_list_;  // 超级列表框1
};

}  // namespace miaoyu::app
