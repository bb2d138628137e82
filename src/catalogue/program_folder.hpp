// The program folder: where the executable lies, and with it pz.ini and img/.
#pragma once

#include <string_view>

#include "catalogue/text.hpp"

namespace miaoyu::catalogue {

// The folder of the running executable (/proc/self/exe) as a native path
// without a trailing '/', fixed at the first call.
const Text& program_folder();

// The part of path before its last '/'; empty when it holds none.
Text folder_of(std::string_view path);

}  // namespace miaoyu::catalogue
