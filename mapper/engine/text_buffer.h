// A growing text for a file built in memory before one atomic write (the
// snapshot, a new map). Large blocks grow with realloc, which moves pages
// instead of copying bytes, so a text of tens of megabytes costs neither
// copies nor a second block at its full size while it grows: the peak
// memory stays close to the text itself.
#pragma once

#include <cstdlib>
#include <cstring>
#include <new>
#include <string_view>
#include <utility>

namespace zv {

class TextBuffer {
 public:
  TextBuffer() = default;
  TextBuffer(TextBuffer&& other) noexcept { Swap(other); }
  TextBuffer& operator=(TextBuffer&& other) noexcept {
    TextBuffer(std::move(other)).Swap(*this);
    return *this;
  }
  TextBuffer(const TextBuffer&) = delete;
  TextBuffer& operator=(const TextBuffer&) = delete;
  ~TextBuffer() { std::free(data_); }

  TextBuffer& operator<<(std::string_view text) {
    if (text.size() > capacity_ - size_) Grow(size_ + text.size());
    if (!text.empty()) std::memcpy(data_ + size_, text.data(), text.size());
    size_ += text.size();
    return *this;
  }
  TextBuffer& operator<<(char c) { return *this << std::string_view(&c, 1); }

  std::string_view view() const { return {data_, size_}; }
  std::size_t size() const { return size_; }
  // Forgets the text and keeps its memory for the next.
  void Clear() { size_ = 0; }
  // Forgets the text and gives its memory back.
  void Release() { TextBuffer().Swap(*this); }

 private:
  void Swap(TextBuffer& other) noexcept {
    std::swap(data_, other.data_);
    std::swap(size_, other.size_);
    std::swap(capacity_, other.capacity_);
  }
  void Grow(std::size_t needed) {
    std::size_t capacity = capacity_ < 65536 ? 65536 : capacity_ * 2;
    while (capacity < needed) capacity *= 2;
    void* grown = std::realloc(data_, capacity);
    if (grown == nullptr) throw std::bad_alloc();
    data_ = static_cast<char*>(grown);
    capacity_ = capacity;
  }

  char* data_ = nullptr;
  std::size_t size_ = 0, capacity_ = 0;
};

}  // namespace zv
