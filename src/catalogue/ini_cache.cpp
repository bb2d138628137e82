#include "catalogue/ini_cache.hpp"

#include <fcntl.h>
#include <time.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "catalogue/file_descriptor.hpp"

namespace miaoyu::catalogue {
namespace {

std::string too_large() {
  return "larger than " + std::to_string(kMaxIniFileSize) + " bytes";
}

// Reads to the end, however the file changes meanwhile, but never more than
// one byte beyond the size limit.
bool read_all(int fd, std::size_t expected, std::string& bytes,
              std::string& problem) {
  bytes.resize(std::min(expected, kMaxIniFileSize) + 1);
  std::size_t filled = 0;
  for (;;) {
    if (filled == bytes.size()) {
      if (bytes.size() > kMaxIniFileSize) {
        problem = too_large();
        return false;
      }
      bytes.resize(std::min(bytes.size() * 2, kMaxIniFileSize + 1));
    }
    const ssize_t got = ::read(fd, bytes.data() + filled, bytes.size() - filled);
    if (got < 0) {
      if (errno == EINTR) {
        continue;
      }
      problem = std::strerror(errno);
      return false;
    }
    if (got == 0) {
      break;
    }
    filled += static_cast<std::size_t>(got);
  }
  bytes.resize(filled);
  return true;
}

bool same_time(const timespec& a, const timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

bool older(const timespec& a, const timespec& b) {
  return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

// A file changed again within the clock tick of its last change may keep its
// time. A time far ahead of the clock, though, was set on purpose, and any
// write replaces it with the present time.
bool racy(const timespec& mtime, const timespec& now) {
  const timespec horizon{now.tv_sec + 1, now.tv_nsec};
  return !older(mtime, now) && older(mtime, horizon);
}

IniCache::Stamp stamp_of(const struct stat& st) {
  return IniCache::Stamp{st.st_dev,         st.st_ino,          st.st_size,        st.st_mtim.tv_sec,
                         st.st_mtim.tv_nsec, st.st_ctim.tv_sec, st.st_ctim.tv_nsec};
}

}  // namespace

IniCache& IniCache::shared() {
  static IniCache cache;
  return cache;
}

std::uint64_t IniCache::parse_count() const {
  const std::lock_guard lock(mutex_);
  return parses_;
}

IniCache::Lookup IniCache::get(std::string_view path) {
  const std::lock_guard lock(mutex_);
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME_COARSE, &now);
  const auto cached = std::find_if(entries_.begin(), entries_.end(),
                                   [&](const Entry& e) { return e.path == path; });
  const auto use_cached = [&] {
    std::rotate(entries_.begin(), cached, cached + 1);
    return Lookup{entries_.front().file, {}};
  };
  if (cached != entries_.end() && same_time(cached->checked, now)) {
    return use_cached();
  }

  path_.assign(path);
  const auto forget = [&] {
    if (cached != entries_.end()) {
      entries_.erase(cached);
    }
  };
  struct stat st {};
  if (::stat(path_.c_str(), &st) != 0) {
    Lookup failed{nullptr, std::strerror(errno)};
    forget();
    return failed;
  }
  if (cached != entries_.end() && !cached->racy && cached->stamp == stamp_of(st)) {
    cached->checked = now;
    return use_cached();
  }

  // A FIFO or device must not block the open; O_NONBLOCK means nothing for
  // the regular files that are read.
  const FileDescriptor fd(::open(path_.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  Lookup result;
  std::string bytes;
  if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0) {
    result.problem = std::strerror(errno);
  } else if (!S_ISREG(st.st_mode)) {
    result.problem = "not a regular file";
  } else if (static_cast<std::uint64_t>(st.st_size) > kMaxIniFileSize) {
    result.problem = too_large();
  } else if (read_all(fd.get(), static_cast<std::size_t>(st.st_size), bytes,
                      result.problem)) {
    result.file = std::make_shared<const IniFile>(std::move(bytes));
    ++parses_;
  }
  if (!result.file) {
    forget();
    return result;
  }
  Entry entry{path_, stamp_of(st), now, racy(st.st_mtim, now), result.file};
  if (cached != entries_.end()) {
    *cached = std::move(entry);
    use_cached();
  } else {
    entries_.insert(entries_.begin(), std::move(entry));
    if (entries_.size() > kMaxEntries) {
      entries_.pop_back();
    }
  }
  return result;
}

}  // namespace miaoyu::catalogue
