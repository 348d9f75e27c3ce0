// A vector that keeps its first N elements inside itself, so the common small cases (the
// member layers of an object, the arguments of a call) need no heap allocation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <utility>

namespace kestrin {

template <typename T, std::size_t N>
class SmallVector {
 public:
  SmallVector() noexcept = default;
  SmallVector(const SmallVector&) = delete;
  SmallVector& operator=(const SmallVector&) = delete;
  SmallVector(SmallVector&& o) noexcept { TakeFrom(o); }
  SmallVector& operator=(SmallVector&& o) noexcept {
    if (this != &o) {
      clear();
      ReleaseHeap();
      TakeFrom(o);
    }
    return *this;
  }
  ~SmallVector() {
    clear();
    ReleaseHeap();
  }

  std::size_t size() const noexcept { return size_; }
  bool empty() const noexcept { return size_ == 0; }
  std::size_t capacity() const noexcept { return cap_; }
  T* data() noexcept { return ptr_; }
  const T* data() const noexcept { return ptr_; }
  T& operator[](std::size_t i) noexcept { return ptr_[i]; }
  const T& operator[](std::size_t i) const noexcept { return ptr_[i]; }
  T& back() noexcept { return ptr_[size_ - 1]; }
  const T& back() const noexcept { return ptr_[size_ - 1]; }
  T* begin() noexcept { return ptr_; }
  T* end() noexcept { return ptr_ + size_; }
  const T* begin() const noexcept { return ptr_; }
  const T* end() const noexcept { return ptr_ + size_; }

  void reserve(std::size_t n) {
    if (n > cap_) Grow(n);
  }

  template <typename... Args>
  T& emplace_back(Args&&... args) {
    if (size_ == cap_) {
      // The argument may be an element of this vector: build the new element first.
      T value(std::forward<Args>(args)...);
      Grow(cap_ * 2);
      T* slot = ::new (static_cast<void*>(ptr_ + size_)) T(std::move(value));
      ++size_;
      return *slot;
    }
    T* slot = ::new (static_cast<void*>(ptr_ + size_)) T(std::forward<Args>(args)...);
    ++size_;
    return *slot;
  }
  void push_back(const T& v) { emplace_back(v); }
  void push_back(T&& v) { emplace_back(std::move(v)); }

  void pop_back() noexcept {
    --size_;
    std::destroy_at(ptr_ + size_);
  }

  // Inserts at position i, moving the later elements up by one.
  template <typename... Args>
  void emplace_at(std::size_t i, Args&&... args) {
    if (i == size_) {
      emplace_back(std::forward<Args>(args)...);
      return;
    }
    T value(std::forward<Args>(args)...);
    // Room first: growing while an element of this vector is the argument would move it.
    if (size_ == cap_) Grow(cap_ * 2);
    emplace_back(std::move(ptr_[size_ - 1]));
    for (std::size_t k = size_ - 2; k > i; --k) ptr_[k] = std::move(ptr_[k - 1]);
    ptr_[i] = std::move(value);
  }

  // Removes position i, moving the later elements down by one.
  void erase_at(std::size_t i) {
    for (std::size_t k = i; k + 1 < size_; ++k) ptr_[k] = std::move(ptr_[k + 1]);
    pop_back();
  }

  void clear() noexcept {
    while (size_ > 0) pop_back();
  }

 private:
  T* InlineData() noexcept { return std::launder(reinterpret_cast<T*>(inline_)); }

  void Grow(std::size_t want) {
    if (want < 4) want = 4;
    T* fresh = static_cast<T*>(::operator new(want * sizeof(T), std::align_val_t(alignof(T))));
    for (std::size_t i = 0; i < size_; ++i) {
      ::new (static_cast<void*>(fresh + i)) T(std::move(ptr_[i]));
      std::destroy_at(ptr_ + i);
    }
    ReleaseHeap();
    ptr_ = fresh;
    cap_ = want;
  }

  void ReleaseHeap() noexcept {
    if (ptr_ != InlineData()) ::operator delete(ptr_, std::align_val_t(alignof(T)));
    ptr_ = InlineData();
    cap_ = N;
  }

  void TakeFrom(SmallVector& o) noexcept {
    if (o.ptr_ != o.InlineData()) {
      ptr_ = o.ptr_;
      size_ = o.size_;
      cap_ = o.cap_;
      o.ptr_ = o.InlineData();
      o.size_ = 0;
      o.cap_ = N;
      return;
    }
    ptr_ = InlineData();
    cap_ = N;
    size_ = 0;
    for (std::size_t i = 0; i < o.size_; ++i) {
      ::new (static_cast<void*>(ptr_ + i)) T(std::move(o.ptr_[i]));
      ++size_;
    }
    o.clear();
  }

  T* ptr_ = InlineData();
  std::uint32_t size_ = 0;
  std::uint32_t cap_ = N;
  alignas(T) unsigned char inline_[N * sizeof(T)];
};

}  // namespace kestrin
