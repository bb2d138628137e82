#include "catalogue/program_folder.hpp"

#include <gtest/gtest.h>

#include <filesystem>

namespace miaoyu::catalogue {
namespace {

TEST(ProgramFolderTest, FolderIsThePathBeforeItsLastSeparator) {
  const struct {
    const char* path;
    const char* folder;
  } cases[] = {
      {"/opt/miaoyu/miaoyu", "/opt/miaoyu"},
      {"/miaoyu", ""},
      {"miaoyu", ""},
      {"", ""},
      {"/a b/\xC3\xEE\xD3\xEF/miaoyu", "/a b/\xC3\xEE\xD3\xEF"},
      {"/a/b/", "/a/b"},
  };
  for (const auto& c : cases) EXPECT_EQ(folder_of(c.path), c.folder) << c.path;
}

TEST(ProgramFolderTest, IsTheFolderOfTheRunningExecutable) {
  const Text& folder = program_folder();
  EXPECT_EQ(std::filesystem::path(folder), std::filesystem::canonical("/proc/self/exe").parent_path());
  EXPECT_FALSE(folder.ends_with('/'));
  EXPECT_EQ(&program_folder(), &folder);
}

}  // namespace
}  // namespace miaoyu::catalogue
