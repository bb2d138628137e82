// An open file descriptor, closed when its owner goes: every reader and
// writer of the program's files holds its descriptor in one.
#pragma once

#include <unistd.h>

#include <utility>

namespace miaoyu {

class FileDescriptor {
 public:
  FileDescriptor() = default;
  // Takes ownership; a negative value stands for a failed open.
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  FileDescriptor& operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
      reset();
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() { reset(); }

  bool valid() const { return fd_ >= 0; }
  int get() const { return fd_; }

  // Closes now and says whether the close succeeded, for a writer that must
  // know its data reached the file.
  bool close() {
    if (fd_ < 0) return true;
    return ::close(std::exchange(fd_, -1)) == 0;
  }

 private:
  void reset() {
    if (fd_ >= 0) ::close(std::exchange(fd_, -1));
  }

  int fd_ = -1;
};

}  // namespace miaoyu
