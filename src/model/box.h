// Box<T>: one heap-allocated T with value semantics. Recursive records (a type
// expression inside a type expression) need indirection, and records must
// deep-copy and compare by value, which a bare unique_ptr does not do.
#pragma once

#include <memory>
#include <utility>

namespace vantrel::model {

/// Owns exactly one T. Copying copies the T; comparing compares the Ts. A
/// moved-from Box is empty and may only be assigned to or destroyed.
template <class T>
class Box {
 public:
  Box() : ptr_(std::make_unique<T>()) {}
  explicit Box(T value) : ptr_(std::make_unique<T>(std::move(value))) {}
  Box(const Box& other) : ptr_(other.ptr_ ? std::make_unique<T>(*other.ptr_) : nullptr) {}
  Box(Box&&) noexcept = default;
  Box& operator=(const Box& other) {
    if (this != &other) ptr_ = other.ptr_ ? std::make_unique<T>(*other.ptr_) : nullptr;
    return *this;
  }
  Box& operator=(Box&&) noexcept = default;
  ~Box() = default;

  T& operator*() { return *ptr_; }
  const T& operator*() const { return *ptr_; }
  T* operator->() { return ptr_.get(); }
  const T* operator->() const { return ptr_.get(); }

  friend bool operator==(const Box& a, const Box& b) {
    if (!a.ptr_ || !b.ptr_) return !a.ptr_ && !b.ptr_;
    return *a.ptr_ == *b.ptr_;
  }

 private:
  std::unique_ptr<T> ptr_;
};

}  // namespace vantrel::model
