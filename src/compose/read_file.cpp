#include "compose/read_file.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "catalogue/file_descriptor.hpp"

namespace miaoyu::compose {

std::string read_file(const std::string& native_path) {
  if (native_path.empty()) return {};
  const FileDescriptor file(::open(native_path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (!file.valid()) return {};
  const int fd = file.get();
  std::string bytes;
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_SH | LOCK_NB) == 0) {
    // Reads to the end, so a file that grew since fstat still comes whole.
    // One spare byte lets the read that sees the end happen without growing.
    bytes.resize((st.st_size > 0 ? static_cast<std::size_t>(st.st_size) : 0) + 1);
    std::size_t got = 0;
    for (;;) {
      if (got == bytes.size()) bytes.resize(got * 2);
      const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        got = 0;
        break;
      }
      if (n == 0) break;
      got += static_cast<std::size_t>(n);
    }
    bytes.resize(got);
  }
  return bytes;
}

}  // namespace miaoyu::compose
