#include "catalogue/ini_value.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <functional>

#include "catalogue/ini_cache.hpp"
#include "support/temp_folder.hpp"

namespace miaoyu::catalogue {
namespace {

using namespace std::string_literals;
using support::TempFolder;
using support::write_bytes;

TEST(ReadIniValueTest, TrimsTheLookupArgumentsAsTheCatalogueReaderDoes) {
  const TempFolder folder;
  const std::string path = folder.file("pz.ini");
  write_bytes(path, "[1]\nname=a\nkey\t=tab\n");
  const struct {
    const char* rule;
    std::string path, section, key, value;
  } cases[] = {
      {"plain", path, "1", "name", "a"},
      {"leading control bytes and blanks skipped", " \t\x01" + path, "\n 1", "\x1f name", "a"},
      {"trailing spaces dropped from names", path, "1   ", "name  ", "a"},
      {"path keeps trailing spaces", path + " ", "1", "name", ""},
      {"a trailing tab is kept in a name", path, "1", "name\t", ""},
      {"key trimmed in the file, not in the lookup", path, "1", "key", "tab"},
      {"empty section reads nothing", path, " ", "name", ""},
      {"empty key reads nothing", path, "1", "", ""},
      {"empty path reads nothing", "  ", "1", "name", ""},
      {"names end at NUL", path, "1\0x"s, "name\0y"s, "a"},
      {"a name that is empty up to its NUL reads nothing", path, "\0001"s, "name", ""},
      {"missing section", path, "2", "name", ""},
      {"missing key", path, "1", "url", ""},
      {"missing file", folder.file("none.ini"), "1", "name", ""},
      {"folder instead of a file", folder.path(), "1", "name", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(read_ini_value(c.path, c.section, c.key), c.value) << c.rule;
}

TEST(ReadIniValueTest, FifoInPlaceOfTheFileReadsNothingAndDoesNotBlock) {
  const TempFolder folder;
  const std::string path = folder.file("pz.ini");
  ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
  EXPECT_EQ(read_ini_value(path, "1", "name"), "");
  EXPECT_EQ(IniCache::shared().get(path).problem, "not a regular file");
}

void set_mtime(const std::string& path, timespec when) {
  const timespec times[2] = {when, when};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

constexpr timespec kFirstTime{1700000000, 500};

// The cache looks at a file at most once per tick of the coarse clock.
void wait_for_clock_tick() {
  timespec start{}, now{};
  ::clock_gettime(CLOCK_REALTIME_COARSE, &start);
  do {
    const timespec pause{0, 200000};
    ::nanosleep(&pause, nullptr);
    ::clock_gettime(CLOCK_REALTIME_COARSE, &now);
  } while (now.tv_sec == start.tv_sec && now.tv_nsec == start.tv_nsec);
}

// Each change leaves the file's other stamps as they were, so only the
// change named can make the cache notice it.
struct Change {
  const char* what;
  std::function<void(const TempFolder&, const std::string&)> apply;
  std::string expected;
};

void PrintTo(const Change& c, std::ostream* out) { *out << c.what; }

class IniCacheChange : public ::testing::TestWithParam<Change> {};

TEST_P(IniCacheChange, LookupAnswersForTheFileOnDisk) {
  const TempFolder folder;
  const std::string path = folder.file("pz.ini");
  write_bytes(path, "[1]\nname=old\n");
  set_mtime(path, kFirstTime);
  ASSERT_EQ(read_ini_value(path, "1", "name"), "old");

  const std::uint64_t parses = IniCache::shared().parse_count();
  EXPECT_EQ(read_ini_value(path, "1", "name"), "old");
  EXPECT_EQ(IniCache::shared().parse_count(), parses) << "an unchanged file is parsed again";

  GetParam().apply(folder, path);
  wait_for_clock_tick();
  EXPECT_EQ(read_ini_value(path, "1", "name"), GetParam().expected) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Changes, IniCacheChange,
    ::testing::Values(
        Change{"same size, mtime one nanosecond later",
               [](const TempFolder&, const std::string& path) {
                 write_bytes(path, "[1]\nname=new\n");
                 set_mtime(path, {kFirstTime.tv_sec, kFirstTime.tv_nsec + 1});
               },
               "new"},
        Change{"same size, mtime restored afterwards (cp -p, touch -r)",
               [](const TempFolder&, const std::string& path) {
                 write_bytes(path, "[1]\nname=new\n");
                 set_mtime(path, kFirstTime);
               },
               "new"},
        Change{"other size, same mtime",
               [](const TempFolder&, const std::string& path) {
                 write_bytes(path, "[1]\nname=newer\n");
                 set_mtime(path, kFirstTime);
               },
               "newer"},
        Change{"replaced by rename, same size and mtime",
               [](const TempFolder& folder, const std::string& path) {
                 const std::string other = folder.file("pz.ini.new");
                 write_bytes(other, "[1]\nname=new\n");
                 set_mtime(other, kFirstTime);
                 ASSERT_EQ(std::rename(other.c_str(), path.c_str()), 0);
               },
               "new"},
        Change{"removed",
               [](const TempFolder&, const std::string& path) { ASSERT_EQ(std::remove(path.c_str()), 0); },
               ""}));

// Timestamps come from the coarse clock, so a file changed twice within one
// tick keeps its time; a file whose time is not older than its reading is
// therefore read again, here one whose time lies just ahead.
TEST(IniCacheTest, FileWithTimeNotOlderThanItsReadingIsReadAgain) {
  const TempFolder folder;
  const std::string path = folder.file("pz.ini");
  timespec ahead{};
  ::clock_gettime(CLOCK_REALTIME, &ahead);
  ahead.tv_nsec += 500000000;
  if (ahead.tv_nsec >= 1000000000) {
    ahead.tv_sec += 1;
    ahead.tv_nsec -= 1000000000;
  }
  write_bytes(path, "[1]\nname=old\n");
  set_mtime(path, ahead);
  ASSERT_EQ(read_ini_value(path, "1", "name"), "old");

  write_bytes(path, "[1]\nname=new\n");
  set_mtime(path, ahead);
  wait_for_clock_tick();
  EXPECT_EQ(read_ini_value(path, "1", "name"), "new");
}

// A time set far ahead changes with every write, so it needs no reading
// again; reading it at every check would make each lookup parse the file.
TEST(IniCacheTest, FileWithTimeFarAheadIsNotReadAgainWhileUnchanged) {
  const TempFolder folder;
  const std::string path = folder.file("pz.ini");
  timespec ahead{};
  ::clock_gettime(CLOCK_REALTIME, &ahead);
  ahead.tv_sec += 3600;
  write_bytes(path, "[1]\nname=old\n");
  set_mtime(path, ahead);
  ASSERT_EQ(read_ini_value(path, "1", "name"), "old");
  const std::uint64_t parses = IniCache::shared().parse_count();
  wait_for_clock_tick();
  EXPECT_EQ(read_ini_value(path, "1", "name"), "old");
  EXPECT_EQ(IniCache::shared().parse_count(), parses);

  write_bytes(path, "[1]\nname=new\n");
  wait_for_clock_tick();
  EXPECT_EQ(read_ini_value(path, "1", "name"), "new");
}

}  // namespace
}  // namespace miaoyu::catalogue
