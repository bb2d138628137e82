// An array that grows by whole chunks: appending never moves the elements
// already there, so a large parse neither copies them nor needs twice their
// memory at the moment of growth. Chunk k holds kFirst << k elements.
//
// Large chunks ask for transparent huge pages: filling a fresh chunk costs a
// page fault per 4 KiB page otherwise, which on a virtual machine is most of
// the time a large parse takes.
#pragma once

#include <sys/mman.h>

#include <bit>
#include <cstddef>
#include <memory>
#include <new>
#include <type_traits>
#include <vector>

namespace miaoyu::catalogue {

template <typename T>
class ChunkedArray {
  static_assert(std::is_trivial_v<T>, "chunks are left uninitialised");

 public:
  std::size_t size() const { return size_; }

  T& operator[](std::size_t i) {
    const std::size_t chunk = chunk_of(i);
    return chunks_[chunk][i - start_of(chunk)];
  }
  const T& operator[](std::size_t i) const {
    const std::size_t chunk = chunk_of(i);
    return chunks_[chunk][i - start_of(chunk)];
  }

  void push_back(const T& value) {
    if (size_ == start_of(chunks_.size())) {
      chunks_.push_back(allocate(kFirst << chunks_.size()));
    }
    const std::size_t i = size_++;
    (*this)[i] = value;
  }

 private:
  static constexpr std::size_t kFirst = 16;

  static constexpr std::size_t kHugePage = std::size_t{2} << 20;

  struct Free {
    bool huge = false;
    void operator()(T* chunk) const {
      if (huge) {
        ::operator delete(chunk, std::align_val_t{kHugePage});
      } else {
        ::operator delete(chunk);
      }
    }
  };
  using Chunk = std::unique_ptr<T[], Free>;

  static Chunk allocate(std::size_t count) {
    const std::size_t bytes = count * sizeof(T);
    if (bytes < kHugePage) {
      return Chunk(static_cast<T*>(::operator new(bytes)), Free{false});
    }
    void* chunk = ::operator new(bytes, std::align_val_t{kHugePage});
    ::madvise(chunk, bytes / kHugePage * kHugePage, MADV_HUGEPAGE);
    return Chunk(static_cast<T*>(chunk), Free{true});
  }

  static std::size_t chunk_of(std::size_t i) {
    return static_cast<std::size_t>(std::bit_width(i / kFirst + 1)) - 1;
  }
  static std::size_t start_of(std::size_t chunk) {
    return kFirst * ((std::size_t{1} << chunk) - 1);
  }

  std::vector<Chunk> chunks_;
  std::size_t size_ = 0;
};

}  // namespace miaoyu::catalogue
