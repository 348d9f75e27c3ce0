#include "script/shared_string.h"

#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>

#include <sys/mman.h>

namespace kestrin {

namespace {

// A text of many megabytes (a downloaded page, a whole file) is written once from end to
// end: in 4 KiB pages that is a fault per page, a quarter of a million for 1 GiB. Where
// the system gives large pages on request, the aligned inside of such a block asks for
// them; a refusal changes nothing.
void AskForLargePages(void* mem, std::size_t bytes) noexcept {
  constexpr std::uintptr_t kLargePage = std::uintptr_t{2} << 20;
  if (bytes < 4 * kLargePage) return;
  const auto begin = (reinterpret_cast<std::uintptr_t>(mem) + kLargePage - 1) & ~(kLargePage - 1);
  const auto end = (reinterpret_cast<std::uintptr_t>(mem) + bytes) & ~(kLargePage - 1);
  if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

// The allocator hands out blocks in steps of 16 bytes with an 8-byte header (at least 24
// usable): a request rounded up to the next such size costs no more memory, and the extra
// bytes are room that an append can use in place.
std::size_t UsableSize(std::size_t bytes) noexcept {
  if (bytes <= 24) return 24;
  return ((bytes + 8 + 15) & ~std::size_t{15}) - 8;
}

// Every one-byte string shares one of 256 buffers that are never freed. Their count starts
// so high that it cannot reach zero.
constexpr std::uint32_t kPermanentRefs = 0x80000000u;
constexpr std::size_t kOneByteStride = 32;  // header, the byte and its terminating zero

char* MakeOneByteBuffers() {
  auto* block = static_cast<char*>(std::malloc(256 * kOneByteStride));
  if (block == nullptr) throw std::bad_alloc();
  for (unsigned c = 0; c < 256; ++c) {
    auto* buf = reinterpret_cast<SharedString::Buffer*>(block + c * kOneByteStride);
    buf->refs = kPermanentRefs;
    buf->used = 1;
    buf->capacity = 1;
    buf->nameHash = 0;
    buf->data[0] = static_cast<char>(c);
    buf->data[1] = '\0';
  }
  return block;
}

}  // namespace

SharedString::Buffer* SharedString::OneByte(char c) noexcept {
  static char* const block = MakeOneByteBuffers();
  return reinterpret_cast<Buffer*>(block + static_cast<unsigned char>(c) * kOneByteStride);
}

SharedString::Buffer* SharedString::Allocate(std::size_t capacity) {
  if (capacity > std::numeric_limits<std::uint32_t>::max() - 1 - 32) {
    throw std::length_error("script string too long");
  }
  const std::size_t bytes = UsableSize(offsetof(Buffer, data) + capacity + 1);
  void* mem = std::malloc(bytes);
  if (mem == nullptr) throw std::bad_alloc();
  AskForLargePages(mem, bytes);
  auto* buf = static_cast<Buffer*>(mem);
  buf->refs = 1;
  buf->used = 0;
  buf->nameHash = 0;
  buf->capacity = static_cast<std::uint32_t>(bytes - offsetof(Buffer, data) - 1);
  return buf;
}

void SharedString::Free(Buffer* buf) noexcept { std::free(buf); }

SharedString::SharedString(std::string_view text) {
  if (text.size() <= 1) {
    if (text.size() == 1) {
      buf_ = OneByte(text[0]);
      ++buf_->refs;
      len_ = 1;
    }
    return;
  }
  buf_ = Allocate(text.size());
  std::memcpy(buf_->data, text.data(), text.size());
  buf_->data[text.size()] = '\0';
  buf_->used = static_cast<std::uint32_t>(text.size());
  len_ = static_cast<std::uint32_t>(text.size());
}

SharedString SharedString::Uninitialized(std::size_t n, char*& data) {
  SharedString r;
  data = nullptr;
  if (n == 0) return r;
  r.buf_ = Allocate(n);
  r.buf_->data[n] = '\0';
  r.buf_->used = static_cast<std::uint32_t>(n);
  r.len_ = static_cast<std::uint32_t>(n);
  data = r.buf_->data;
  return r;
}

SharedString SharedString::Concat(const SharedString& a, std::string_view b) {
  if (b.empty()) return a;
  if (a.empty()) return SharedString(b);
  Buffer* buf = a.buf_;
  const std::size_t total = static_cast<std::size_t>(a.len_) + b.size();
  // b may point into a's own buffer; appending in place never moves existing bytes, so
  // such a b stays valid while it is copied.
  if (buf->used == a.len_ && total <= buf->capacity) {
    std::memcpy(buf->data + a.len_, b.data(), b.size());
    buf->data[total] = '\0';
    buf->used = static_cast<std::uint32_t>(total);
    buf->nameHash = 0;
    return FromBuffer(buf, static_cast<std::uint32_t>(total));
  }
  // Strings that grow by appending get room to grow again; short ones get what the
  // allocator's block holds anyway.
  const std::size_t capacity = total < 64 ? total : total + total / 2;
  SharedString r;
  r.buf_ = Allocate(capacity);
  std::memcpy(r.buf_->data, a.data(), a.len_);
  std::memcpy(r.buf_->data + a.len_, b.data(), b.size());
  r.buf_->data[total] = '\0';
  r.buf_->used = static_cast<std::uint32_t>(total);
  r.len_ = static_cast<std::uint32_t>(total);
  return r;
}

SharedString SharedString::Concat(std::string_view a, std::string_view b) {
  SharedString r;
  const std::size_t total = a.size() + b.size();
  if (total == 0) return r;
  r.buf_ = Allocate(total);
  std::memcpy(r.buf_->data, a.data(), a.size());
  std::memcpy(r.buf_->data + a.size(), b.data(), b.size());
  r.buf_->data[total] = '\0';
  r.buf_->used = static_cast<std::uint32_t>(total);
  r.len_ = static_cast<std::uint32_t>(total);
  return r;
}

}  // namespace kestrin
