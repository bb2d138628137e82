// Start-up: fix the program folder, build the window hidden, fill the
// template list, show the window and run until it is closed.
#include <QApplication>
#include <QPalette>
#include <QScreen>
#include <cstdlib>
#include <iostream>

#include "app/main_window.hpp"
#include "catalogue/program_folder.hpp"

namespace {

bool has_display() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (!has_display()) {
    std::cerr << "miaoyu: there is no display to show the window on (neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
                 "Start it from a desktop session, or under a virtual one: xvfb-run -a "
              << argv[0] << "\n";
    return 1;
  }
  const std::string folder = miaoyu::catalogue::program_folder();
  QApplication application(argc, argv);

  const QScreen* screen = QGuiApplication::primaryScreen();
  const int dpi = screen != nullptr ? static_cast<int>(screen->logicalDotsPerInchY() + 0.5) : 96;
  const QColor face = QGuiApplication::palette().color(QPalette::Button);
  const auto control_face = static_cast<miaoyu::compose::Colour>(face.blue() << 16 | face.green() << 8 | face.red());

  miaoyu::app::MainWindow window(folder, dpi, control_face);
  window.on_created();
  if (screen != nullptr) {
    // The outer box of 537 x 549 centred on the whole primary screen.
    const QRect full = screen->geometry();
    window.move(full.x() + (full.width() - 537) / 2, full.y() + (full.height() - 549) / 2);
  }
  window.show();
  window.activateWindow();
  return application.exec() == 0 ? 0 : 1;
}
