#include "catalogue/program_folder.hpp"

#include <elf.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <link.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/temp_folder.hpp"

namespace miaoyu::catalogue {
namespace {

namespace fs = std::filesystem;

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
      {"./miaoyu", "."},
  };
  for (const auto& c : cases) EXPECT_EQ(folder_of(c.path), c.folder) << c.path;
}

TEST(ProgramFolderTest, IsTheFolderOfTheRunningExecutable) {
  const Text& folder = program_folder();
  EXPECT_EQ(fs::path(folder), fs::canonical("/proc/self/exe").parent_path());
  EXPECT_FALSE(folder.ends_with('/'));
  EXPECT_EQ(&program_folder(), &folder);
}

// What a started program printed on standard output.
struct ChildRun {
  int status = -1;
  std::string out;
};

// Runs argv in a child that first changes into each of `steps` in turn, so
// the child's working directory may be deeper than any path can spell.
ChildRun run(const std::vector<std::string>& argv, const std::vector<std::string>& steps = {}) {
  std::array<int, 2> pipe_fds{};
  if (::pipe(pipe_fds.data()) != 0) return {};
  const pid_t child = ::fork();
  if (child == 0) {
    ::dup2(pipe_fds[1], STDOUT_FILENO);
    ::close(pipe_fds[0]);
    for (const std::string& step : steps) {
      if (::chdir(step.c_str()) != 0) ::_exit(126);
    }
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    ::execv(args[0], args.data());
    ::_exit(127);
  }
  ::close(pipe_fds[1]);
  ChildRun result;
  char buffer[4096];
  for (ssize_t n; (n = ::read(pipe_fds[0], buffer, sizeof buffer)) > 0;) result.out.append(buffer, static_cast<std::size_t>(n));
  ::close(pipe_fds[0]);
  ::waitpid(child, &result.status, 0);
  return result;
}

// The dynamic loader this test executable was linked for.
std::string interpreter() {
  std::string path;
  ::dl_iterate_phdr(
      [](dl_phdr_info* info, std::size_t, void* data) {
        for (int i = 0; i < info->dlpi_phnum; ++i) {
          if (info->dlpi_phdr[i].p_type == PT_INTERP) {
            *static_cast<std::string*>(data) = reinterpret_cast<const char*>(info->dlpi_addr + info->dlpi_phdr[i].p_vaddr);
          }
        }
        return 1;  // the first object is the executable itself
      },
      &path);
  return path;
}

TEST(ProgramFolderTest, StartedThroughTheDynamicLoaderIsStillTheProgramsFolder) {
  const std::string loader = interpreter();
  if (loader.empty() || ::access(loader.c_str(), X_OK) != 0) GTEST_SKIP() << "no dynamic loader to start";
  const std::string probe = fs::canonical(MIAOYU_PROGRAM_FOLDER_PROBE).string();
  const std::string folder = fs::path(probe).parent_path().string();
  EXPECT_EQ(run({probe}).out, folder + "\n");
  EXPECT_EQ(run({loader, probe}).out, folder + "\n");
}

TEST(ProgramFolderTest, AFolderTooDeepToSpellOutStillFindsItsFiles) {
  support::TempFolder temp;
  // 60 levels of 100 bytes: over 6000 bytes, more than readlink can give.
  // Only relative steps reach that deep.
  const std::string level(100, 'd');
  std::vector<std::string> steps{temp.path()};
  steps.insert(steps.end(), 60, level);
  const pid_t child = ::fork();
  if (child == 0) {
    if (::chdir(temp.path().c_str()) != 0) ::_exit(1);
    for (int i = 0; i < 60; ++i) {
      if (::mkdir(level.c_str(), 0755) != 0 || ::chdir(level.c_str()) != 0) ::_exit(2);
    }
    std::error_code error;
    fs::copy_file(MIAOYU_PROGRAM_FOLDER_PROBE, "probe", error);
    if (error || ::chmod("probe", 0755) != 0) ::_exit(3);
    std::ofstream("pz.ini") << "[1]\n";
    ::_exit(0);
  }
  int status = -1;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  const ChildRun probe = run({"./probe", "pz.ini"}, steps);
  EXPECT_TRUE(WIFEXITED(probe.status) && WEXITSTATUS(probe.status) == 0);
  EXPECT_EQ(probe.out, ".\nopens\n");
  // remove_all cannot spell these paths either.
  ASSERT_EQ(run({"/bin/rm", "-rf", temp.path()}).status, 0);
}

}  // namespace
}  // namespace miaoyu::catalogue
