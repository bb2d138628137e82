// Parsed INI files by path. A file is parsed again only when its size,
// modification or change time, or identity (device and inode) has changed:
// the change time also catches a rewrite that restored the modification time
// (cp -p, touch -r). So a lookup costs no parse while it answers for the
// file as it is on disk.
//
// A system call costs more than the rest of a lookup, so the file is stat'ed
// at most once per tick of the coarse real-time clock (4 ms on this kernel):
// a lookup sees every change made before the clock's last tick. Timestamps
// come from that same clock, so a file may change again within a tick
// without a new time; a file whose time is not older than the tick in which
// it was read (and not more than a second ahead of it) is therefore read
// afresh at every check until its time is older.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <time.h>
#include <vector>

#include "catalogue/ini_file.hpp"

namespace miaoyu::catalogue {

class IniCache {
 public:
  struct Lookup {
    // Null when the path names no readable regular file of at most
    // kMaxIniFileSize bytes; problem then says why.
    std::shared_ptr<const IniFile> file;
    std::string problem;
  };

  // What tells one version of a file from another.
  struct Stamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    std::int64_t mtime_seconds = 0;
    std::int64_t mtime_nanoseconds = 0;
    std::int64_t ctime_seconds = 0;
    std::int64_t ctime_nanoseconds = 0;
    bool operator==(const Stamp&) const = default;
  };

  // The cache that read_ini_value uses.
  static IniCache& shared();

  Lookup get(std::string_view path);

  // How many times a file has been read and parsed, for tests.
  std::uint64_t parse_count() const;

 private:
  struct Entry {
    std::string path;
    Stamp stamp;
    timespec checked{};  // the clock's reading when the stamp was taken
    bool racy = false;
    std::shared_ptr<const IniFile> file;
  };

  // Few files are ever read; the least recently used is dropped beyond this.
  static constexpr std::size_t kMaxEntries = 4;

  mutable std::mutex mutex_;
  std::vector<Entry> entries_;  // most recently used first
  std::string path_;            // NUL-terminated copy for the system calls
  std::uint64_t parses_ = 0;
};

}  // namespace miaoyu::catalogue
