// Load picture: the picture a file holds, kept only for its size.
#pragma once

#include <string>

namespace miaoyu::compose {

class Picture {
 public:
  Picture() = default;  // the failed load
  Picture(int width, int height) : width_(width), height_(height) {}

  bool loaded() const { return width_ > 0; }
  int width() const { return width_; }
  int height() const { return height_; }

 private:
  int width_ = 0;
  int height_ = 0;
};

// The format comes from the file's first bytes. A failed load for an empty
// path, a folder, a missing or unreadable file, and bytes that do not decode.
Picture load_picture(const std::string& native_path);

}  // namespace miaoyu::compose
