// An array that grows by whole chunks: appending never moves the elements
// already there, so a large parse neither copies them nor needs twice their
// memory at the moment of growth. Chunk k holds kFirst << k elements.
#pragma once

#include <bit>
#include <cstddef>
#include <memory>
#include <vector>

namespace miaoyu::catalogue {

template <typename T>
class ChunkedArray {
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
      chunks_.push_back(std::make_unique_for_overwrite<T[]>(kFirst << chunks_.size()));
    }
    const std::size_t i = size_++;
    (*this)[i] = value;
  }

 private:
  static constexpr std::size_t kFirst = 16;

  static std::size_t chunk_of(std::size_t i) {
    return static_cast<std::size_t>(std::bit_width(i / kFirst + 1)) - 1;
  }
  static std::size_t start_of(std::size_t chunk) {
    return kFirst * ((std::size_t{1} << chunk) - 1);
  }

  std::vector<std::unique_ptr<T[]>> chunks_;
  std::size_t size_ = 0;
};

}  // namespace miaoyu::catalogue
