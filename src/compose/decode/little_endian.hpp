// Little-endian fields of the file formats the program reads itself. Callers
// check that the field lies inside the bytes before reading it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace miaoyu::compose {

inline std::uint8_t byte_at(std::string_view bytes, std::size_t at) { return static_cast<std::uint8_t>(bytes[at]); }

inline std::uint16_t u16_at(std::string_view bytes, std::size_t at) {
  return static_cast<std::uint16_t>(byte_at(bytes, at) | (byte_at(bytes, at + 1) << 8));
}

inline std::uint32_t u32_at(std::string_view bytes, std::size_t at) {
  return static_cast<std::uint32_t>(u16_at(bytes, at)) | (static_cast<std::uint32_t>(u16_at(bytes, at + 2)) << 16);
}

inline std::int32_t i32_at(std::string_view bytes, std::size_t at) {
  return static_cast<std::int32_t>(u32_at(bytes, at));
}

}  // namespace miaoyu::compose
