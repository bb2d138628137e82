#include "compose/read_file.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "compose/bmp_capture.hpp"
#include "compose/picture.hpp"

namespace miaoyu::compose {
namespace {

namespace fs = std::filesystem;

class ReadFileTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("miaoyu-read-" + std::to_string(::getpid()));
    fs::create_directories(dir_ / "folder");
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string write(const std::string& name, const std::string& bytes) {
    const fs::path path = dir_ / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
  }

  fs::path dir_;
};

TEST_F(ReadFileTest, GivesTheWholeContentOrNothing) {
  const std::string content("a\0b\xFF", 4);
  struct Case {
    std::string path, expected;
  };
  const Case cases[] = {
      {write("data.bin", content), content},
      {write("empty.bin", ""), ""},
      {"", ""},
      {(dir_ / "folder").string(), ""},
      {(dir_ / "missing.bin").string(), ""},
  };
  for (const auto& c : cases) EXPECT_EQ(read_file(c.path), c.expected) << c.path;
}

TEST_F(ReadFileTest, AWriterHoldingAnExclusiveLockMakesItEmpty) {
  const std::string path = write("locked.bin", "payload");
  const int fd = ::open(path.c_str(), O_RDWR);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::flock(fd, LOCK_EX), 0);
  EXPECT_EQ(read_file(path), "");
  ::flock(fd, LOCK_UN);
  EXPECT_EQ(read_file(path), "payload");
  ::close(fd);
}

TEST_F(ReadFileTest, LoadPictureGivesTheSizeOrAFailedLoad) {
  Raster pixels = *Raster::create(7, 5);
  pixels.fill(0xFF000000);
  const std::string picture = write("a.jpg", encode_bmp24(pixels));  // the name does not matter
  const Picture loaded = load_picture(picture);
  EXPECT_TRUE(loaded.loaded());
  EXPECT_EQ(loaded.width(), 7);
  EXPECT_EQ(loaded.height(), 5);
  for (const std::string& path : {std::string(), (dir_ / "folder").string(), write("junk.bmp", "BMjunk")}) {
    const Picture failed = load_picture(path);
    EXPECT_FALSE(failed.loaded()) << path;
    EXPECT_EQ(failed.width(), 0);
    EXPECT_EQ(failed.height(), 0);
  }
}

}  // namespace
}  // namespace miaoyu::compose
