#pragma once

#include <string>

namespace miaoyu::compose {

// The whole content of a file. Empty for an empty path, a folder, a missing or
// unreadable file, one another program holds an exclusive lock on (we take a
// shared one, so no cooperating writer changes it under us), and a read error;
// when the file shrinks while being read, the bytes that arrived.
std::string read_file(const std::string& native_path);

}  // namespace miaoyu::compose
