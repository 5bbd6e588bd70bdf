// Memory that the bytes of a file are read into, kept from one read to the next so that it is
// already mapped and need not be cleared: a read fills it afresh, and what it held before means
// nothing. Plain memory; nothing here touches the disk.
#pragma once

#include <cstddef>
#include <cstring>
#include <memory>
#include <utility>

namespace profile {

class TextBuffer {
  public:
    TextBuffer() = default;
    TextBuffer(TextBuffer&& other) noexcept { *this = std::move(other); }
    TextBuffer& operator=(TextBuffer&& other) noexcept {
        data_ = std::move(other.data_);
        capacity_ = other.capacity_;
        other.capacity_ = 0;
        return *this;
    }

    char* data() const { return data_.get(); }
    std::size_t capacity() const { return capacity_; }

    // Room for at least `size` bytes, of which the first `keep` stay as they are.
    void Reserve(std::size_t size, std::size_t keep) {
        if (size <= capacity_) return;
        std::unique_ptr<char[]> grown(new char[size]);  // not initialised: every byte is read
        if (keep > 0) std::memcpy(grown.get(), data_.get(), keep);
        data_ = std::move(grown);
        capacity_ = size;
    }

  private:
    std::unique_ptr<char[]> data_;
    std::size_t capacity_ = 0;
};

}  // namespace profile
