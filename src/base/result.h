// Result<T, E>: the value of a fallible operation, or the error that stopped
// it. A small stand-in for std::expected, which g++ 12 lacks. Failures that
// belong to the user's input travel as Result errors; exceptions are not used
// for control flow.
#pragma once

#include <cassert>
#include <type_traits>
#include <utility>
#include <variant>

namespace vantrel::base {

/// The error side of a Result, so that Result<T, E> stays unambiguous even
/// when T and E are the same type.
template <class E>
struct Err {
  E error;
};

template <class E>
Err<std::decay_t<E>> err(E&& error) {
  return Err<std::decay_t<E>>{std::forward<E>(error)};
}

/// The success value of an operation that returns nothing.
struct Unit {
  bool operator==(const Unit&) const = default;
};

template <class T, class E>
class [[nodiscard]] Result {
 public:
  Result(T value) : v_(std::in_place_index<0>, std::move(value)) {}  // NOLINT: implicit by design
  template <class E2>
    requires std::is_constructible_v<E, E2&&>
  Result(Err<E2> e) : v_(std::in_place_index<1>, E(std::move(e.error))) {}  // NOLINT

  bool ok() const { return v_.index() == 0; }
  explicit operator bool() const { return ok(); }

  T& value() & {
    assert(ok());
    return std::get<0>(v_);
  }
  const T& value() const& {
    assert(ok());
    return std::get<0>(v_);
  }
  T&& value() && {
    assert(ok());
    return std::get<0>(std::move(v_));
  }
  E& error() & {
    assert(!ok());
    return std::get<1>(v_);
  }
  const E& error() const& {
    assert(!ok());
    return std::get<1>(v_);
  }
  E&& error() && {
    assert(!ok());
    return std::get<1>(std::move(v_));
  }

  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }
  T& operator*() & { return value(); }
  const T& operator*() const& { return value(); }

 private:
  std::variant<T, E> v_;
};

}  // namespace vantrel::base
