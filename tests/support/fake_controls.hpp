// Recording stand-ins for the controls the routines talk to.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/text.hpp"
#include "compose/caption_boxes.hpp"
#include "compose/information_box.hpp"
#include "export/desktop_shell.hpp"

namespace miaoyu::support {

class FakeCaptionBoxes final : public compose::CaptionBoxes {
 public:
  Text caption(int line) const override {
    return line >= 1 && line <= kLines ? lines[static_cast<std::size_t>(line - 1)] : Text();
  }

  std::array<Text, kLines> lines;  // GBK, line 1 first
};

// Records every text shown; the box "closes" at once.
class RecordingInformationBox final : public compose::InformationBox {
 public:
  void show_information(std::string_view text) override { shown.emplace_back(text); }

  std::vector<Text> shown;
};

// Records every request, in order, as "explore <folder>" or "open <address>".
class RecordingShell final : public exporting::DesktopShell {
 public:
  void explore_folder(const std::string& native_folder) override { requests.push_back("explore " + native_folder); }
  void open_address(const std::string& address) override { requests.push_back("open " + address); }

  std::vector<std::string> requests;
};

}  // namespace miaoyu::support
