// An array that grows by whole chunks: appending never moves the elements
// already there, so a large parse neither copies them nor needs twice their
// memory at the moment of growth.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

namespace miaoyu::catalogue {

template <typename T>
class ChunkedArray {
 public:
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }

  T& operator[](std::size_t i) { return chunks_[i >> kShift][i & kMask]; }
  const T& operator[](std::size_t i) const { return chunks_[i >> kShift][i & kMask]; }

  void push_back(const T& value) {
    if ((size_ & kMask) == 0 && (size_ >> kShift) == chunks_.size()) {
      chunks_.push_back(std::make_unique_for_overwrite<T[]>(kChunk));
    }
    (*this)[size_++] = value;
  }

 private:
  static constexpr std::size_t kShift = 14;
  static constexpr std::size_t kChunk = std::size_t{1} << kShift;
  static constexpr std::size_t kMask = kChunk - 1;

  std::vector<std::unique_ptr<T[]>> chunks_;
  std::size_t size_ = 0;
};

}  // namespace miaoyu::catalogue
