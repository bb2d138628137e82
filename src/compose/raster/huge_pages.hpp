// Large pictures live in fresh memory; faulting it in one 4 KiB page at a
// time costs more than decoding into it on a virtual machine. Asking for
// transparent huge pages over the buffer's interior cuts the faults 512-fold.
#pragma once

#include <sys/mman.h>

#include <cstddef>
#include <cstdint>

namespace miaoyu::compose {

inline void advise_huge_pages(void* buffer, std::size_t bytes) {
  constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;
  const auto begin = reinterpret_cast<std::uintptr_t>(buffer);
  const std::uintptr_t first = (begin + kHugePage - 1) & ~(kHugePage - 1);
  const std::uintptr_t last = (begin + bytes) & ~(kHugePage - 1);
  if (last > first) ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}

}  // namespace miaoyu::compose
