// Prints the program folder the way the program finds it, then whether a file
// named by the first argument opens there: the program folder tests start it
// directly, through the dynamic loader and from a folder too deep to spell out.
#include <fcntl.h>
#include <unistd.h>

#include <iostream>
#include <string>

#include "catalogue/program_folder.hpp"

int main(int argc, char** argv) {
  const std::string folder = miaoyu::catalogue::find_program_folder(std::cerr);
  std::cout << folder << '\n';
  if (argc > 1) {
    const std::string path = folder + "/" + argv[1];
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    std::cout << (fd >= 0 ? "opens" : "does not open") << '\n';
    if (fd >= 0) ::close(fd);
  }
  return 0;
}
