// The desktop shell: the file browser and the web browser, reached through
// whatever the desktop offers. Requests are fire and forget.
#pragma once

#include <string>

namespace miaoyu::exporting {

class DesktopShell {
 public:
  virtual ~DesktopShell() = default;

  // Shows the folder (a native path) in the desktop's file browser.
  virtual void explore_folder(const std::string& native_folder) = 0;
  // Opens a web address (ASCII, scheme included) in the default browser.
  virtual void open_address(const std::string& address) = 0;
};

}  // namespace miaoyu::exporting
