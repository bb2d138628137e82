// Arbitrary bytes as a picture file: Load picture, then the bytes as both
// boards' background picture, each followed by a capture. Every input must
// load or fail cleanly, and a capture must always be a whole BMP.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "compose/bmp_capture.hpp"
#include "compose/board.hpp"
#include "compose/picture.hpp"

namespace {

using namespace miaoyu::compose;

void check_capture(Board& board) {
  const std::string bmp = board.capture_picture();
  const int width = std::max(1, board.width() - 2);
  const int height = std::max(1, board.height() - 2);
  if (bmp.size() != 54 + bmp_stride(width) * static_cast<std::size_t>(height) || bmp.compare(0, 2, "BM") != 0) {
    __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The bytes go to Load picture through a file that lives in memory.
  static const int fd = ::memfd_create("picture", MFD_CLOEXEC);
  static const std::string path = "/proc/self/fd/" + std::to_string(fd);
  if (fd < 0 || ::ftruncate(fd, 0) != 0 || ::pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) return 0;
  const Picture picture = load_picture(path);

  // As choosing a template does: the work board sized to the picture, then
  // the preview board given what the work board kept.
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  Board work(PictureLayout::kTile, 400, 800);
  work.set_width(picture.width());
  work.set_height(picture.height());
  work.set_background_picture(bytes);
  if (picture.loaded() == work.background_picture().empty()) __builtin_trap();
  check_capture(work);
  work.set_auto_redraw(true);
  check_capture(work);

  Board preview(PictureLayout::kCentreShrink, 308, 481);
  preview.set_background_picture(work.background_picture());
  check_capture(preview);
  return 0;
}
