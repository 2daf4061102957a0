#pragma once

#include <cstdlib>
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

    // The value of a success. Asking a failure for one is a fault of the caller, never a default
    // value: the program stops there.
    T& value() & { return checked(*this); }
    const T& value() const& { return checked(*this); }
    T&& value() && { return std::move(checked(*this)); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }

  private:
    template <typename Self>
    static auto& checked(Self& self) {
        if (!self.ok()) {
            std::abort();
        }
        return self.value_;
    }

    T value_{};
    FileError error_ = FileError::None;
};

// Says that a failure is passed over on purpose, where the line's comment tells why: the clean-up
// after a failure that has been reported already, a removal whose leftovers do no harm. Every other
// failure is handled: results cannot be dropped silently.
template <typename T>
constexpr void passOver(const T&) {}

}  // namespace xq
