#include "catalogue/program_folder.hpp"

#include <dlfcn.h>
#include <sys/auxv.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>

namespace miaoyu::catalogue {
namespace {

// readlink does not say whether it cut the path, so the buffer grows until
// the path fits with room to spare. Empty when the link cannot be read, as
// for a path longer than the kernel will spell out.
std::string proc_self_exe() {
  std::string buffer(256, '\0');
  for (;;) {
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length < 0) return {};
    if (static_cast<std::size_t>(length) < buffer.size()) {
      buffer.resize(static_cast<std::size_t>(length));
      return buffer;
    }
    buffer.resize(buffer.size() * 2);
  }
}

// The path the dynamic loader opened the program by: the path given to it
// when it was started as a command (ld-linux.so miaoyu), otherwise the
// program's own argv[0].
std::string loaded_program_path() {
  Dl_info info{};
  if (::dladdr(reinterpret_cast<void*>(&find_program_folder), &info) == 0 || info.dli_fname == nullptr) return {};
  return info.dli_fname;
}

}  // namespace

Text folder_of(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? Text() : Text(path.substr(0, slash));
}

Text find_program_folder(std::ostream& diagnostics) {
  // Without an interpreter base the kernel ran the loader itself as the
  // command, and /proc/self/exe names the loader, not the program.
  const bool started_by_loader = ::getauxval(AT_BASE) == 0;
  if (!started_by_loader) {
    if (const std::string exe = proc_self_exe(); !exe.empty()) return folder_of(exe);
  }
  const std::string loaded = loaded_program_path();
  if (loaded.find('/') == std::string::npos) {
    diagnostics << "miaoyu: cannot find the folder the program was started from; pz.ini and img/ are looked for "
                   "beside nothing\n";
    return {};
  }
  const std::unique_ptr<char, decltype(&std::free)> absolute(::realpath(loaded.c_str(), nullptr), &std::free);
  if (absolute) return folder_of(absolute.get());
  // Too long to spell out as an absolute path: the path relative to the
  // working directory at start still names the folder, since the program
  // never changes its working directory.
  return folder_of(loaded);
}

const Text& program_folder() {
  static const Text folder = find_program_folder(std::cerr);
  return folder;
}

}  // namespace miaoyu::catalogue
