// The byte strings of script values: immutable, shared by a non-atomic reference count
// (the interpreter runs on one thread), one allocation per text.
//
// A string is a view of the first `length` bytes of a buffer. Appending to a string whose
// length equals the buffer's used length may write into spare capacity and share the
// buffer, because no other holder can see bytes past its own length. That makes the
// common `s = s + x` loop linear instead of quadratic.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kestrin {

class SharedString {
 public:
  SharedString() noexcept = default;
  SharedString(std::string_view text);  // NOLINT(google-explicit-constructor): texts convert freely
  SharedString(const char* text) : SharedString(std::string_view(text)) {}
  SharedString(const std::string& text) : SharedString(std::string_view(text)) {}

  SharedString(const SharedString& other) noexcept : buf_(other.buf_), len_(other.len_) {
    if (buf_ != nullptr) ++buf_->refs;
  }
  SharedString(SharedString&& other) noexcept : buf_(other.buf_), len_(other.len_) {
    other.buf_ = nullptr;
    other.len_ = 0;
  }
  SharedString& operator=(const SharedString& other) noexcept {
    if (other.buf_ != nullptr) ++other.buf_->refs;
    Drop();
    buf_ = other.buf_;
    len_ = other.len_;
    return *this;
  }
  SharedString& operator=(SharedString&& other) noexcept {
    if (this != &other) {
      Drop();
      buf_ = other.buf_;
      len_ = other.len_;
      other.buf_ = nullptr;
      other.len_ = 0;
    }
    return *this;
  }
  ~SharedString() { Drop(); }

  std::string_view view() const noexcept {
    return buf_ != nullptr ? std::string_view(buf_->data, len_) : std::string_view();
  }
  operator std::string_view() const noexcept { return view(); }  // NOLINT
  std::string str() const { return std::string(view()); }
  // Not zero-terminated at size() in general: a shorter holder may share a longer buffer.
  const char* data() const noexcept { return buf_ != nullptr ? buf_->data : ""; }
  std::size_t size() const noexcept { return len_; }
  bool empty() const noexcept { return len_ == 0; }
  char operator[](std::size_t i) const noexcept { return buf_->data[i]; }

  // a followed by b; reuses a's buffer when it can (see the note at the top).
  static SharedString Concat(const SharedString& a, std::string_view b);
  static SharedString Concat(std::string_view a, std::string_view b);
  // A new string of n bytes that the caller fills through data before anyone else sees
  // it: text that arrives in pieces of a known total (a network body) without a copy.
  static SharedString Uninitialized(std::size_t n, char*& data);

  // Adopts the raw buffer pointer of a value record (see TJValue); for the value code only.
  struct Buffer;
  Buffer* buffer() const noexcept { return buf_; }
  static SharedString FromBuffer(Buffer* buf, std::uint32_t len) noexcept {
    SharedString s;
    s.buf_ = buf;
    s.len_ = len;
    if (buf != nullptr) ++buf->refs;
    return s;
  }
  static void AddRef(Buffer* buf) noexcept {
    if (buf != nullptr) ++buf->refs;
  }
  static void Release(Buffer* buf) noexcept {
    if (buf != nullptr && --buf->refs == 0) Free(buf);
  }

  struct Buffer {
    std::uint32_t refs;
    std::uint32_t used;      // bytes written so far (the longest length any holder has)
    std::uint32_t capacity;  // bytes available in data
    // HashName of the `used` bytes when they are ASCII and it was asked for (a text used
    // as a key again and again), else 0. An append in place clears it.
    std::uint32_t nameHash;
    char data[1];            // really `capacity` bytes, plus a terminating zero
  };

 private:
  void Drop() noexcept {
    Release(buf_);
    buf_ = nullptr;
    len_ = 0;
  }
  // At least `capacity` bytes (and the terminating zero); the buffer records what it got.
  static Buffer* Allocate(std::size_t capacity);
  // The shared buffer of a one-byte string (see shared_string.cpp).
  static Buffer* OneByte(char c) noexcept;
  static void Free(Buffer* buf) noexcept;

  Buffer* buf_ = nullptr;
  std::uint32_t len_ = 0;
};

inline bool operator==(const SharedString& a, const SharedString& b) noexcept {
  return a.view() == b.view();
}
inline bool operator==(const SharedString& a, std::string_view b) noexcept { return a.view() == b; }

}  // namespace kestrin
