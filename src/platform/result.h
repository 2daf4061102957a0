#pragma once

#include <utility>

#include "platform/error_number.h"

namespace xq {

// A value or the error number of the file operation that failed to produce it.
template <typename T>
class [[nodiscard]] Result {
  public:
    Result(T value) : value_(std::move(value)) {}  // NOLINT: a value converts to a success
    Result(FileError error) : error_(error) {}     // NOLINT: an error converts to a failure

    bool ok() const { return error_ == FileError::None; }
    explicit operator bool() const { return ok(); }
    FileError error() const { return error_; }

    T& value() & { return value_; }
    const T& value() const& { return value_; }
    T&& value() && { return std::move(value_); }
    T* operator->() { return &value_; }
    const T* operator->() const { return &value_; }
    T& operator*() & { return value_; }
    const T& operator*() const& { return value_; }

  private:
    T value_{};
    FileError error_ = FileError::None;
};

// Says that a failure is passed over on purpose, where the line's comment tells why: the clean-up
// after a failure that has been reported already, a removal whose leftovers do no harm. Every other
// failure is handled: results cannot be dropped silently.
template <typename T>
constexpr void passOver(const T&) {}

}  // namespace xq
