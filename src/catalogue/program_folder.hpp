// The program folder: where the executable lies, and with it pz.ini and img/.
#pragma once

#include <iosfwd>
#include <string_view>

#include "catalogue/text.hpp"

namespace miaoyu::catalogue {

// The folder of the running executable as a native path without a trailing
// '/': the folder of /proc/self/exe, or, when that names the dynamic loader
// (the program was started as `ld-linux.so miaoyu`) or is too long to read,
// the folder of the path the loader opened the program by. Says on
// diagnostics when it finds none, and gives the empty text then.
Text find_program_folder(std::ostream& diagnostics);

// find_program_folder's answer, found at the first call and fixed from then
// on; problems go to standard error.
const Text& program_folder();

// The part of path before its last '/'; empty when it holds none.
Text folder_of(std::string_view path);

}  // namespace miaoyu::catalogue
