#include "catalogue/program_folder.hpp"

#include <unistd.h>

#include <string>

namespace miaoyu::catalogue {
namespace {

// readlink does not say whether it cut the path, so the buffer grows until
// the path fits with room to spare.
std::string executable_path() {
  std::string buffer(256, '\0');
  for (;;) {
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length < 0) {
      return {};
    }
    if (static_cast<std::size_t>(length) < buffer.size()) {
      buffer.resize(static_cast<std::size_t>(length));
      return buffer;
    }
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace

Text folder_of(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? Text() : Text(path.substr(0, slash));
}

const Text& program_folder() {
  static const Text folder = folder_of(executable_path());
  return folder;
}

}  // namespace miaoyu::catalogue
