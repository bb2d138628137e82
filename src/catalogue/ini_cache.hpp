// Parsed INI files by path. Every lookup stats the file and parses it again
// only when its size, modification time or identity (device and inode) has
// changed, so each answer is for the file as it is on disk while a lookup
// costs no parse.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <sys/types.h>
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

  // The cache that read_ini_value uses.
  static IniCache& shared();

  Lookup get(std::string_view path);

  // How many times a file has been read and parsed, for tests.
  std::uint64_t parse_count() const;

 private:
  struct Stamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    std::int64_t mtime_seconds = 0;
    std::int64_t mtime_nanoseconds = 0;
    bool operator==(const Stamp&) const = default;
  };
  struct Entry {
    std::string path;
    Stamp stamp;
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
