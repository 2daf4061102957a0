#pragma once

#include <cstdint>
#include <memory>
#include <span>

namespace xq {

// A 128-bit digest of a run of bytes: any change of the bytes, of their order or of their number
// changes it.
struct Digest128 {
    std::uint64_t low = 0;
    std::uint64_t high = 0;

    bool operator==(const Digest128&) const = default;
};

// Takes the digest (xxHash's XXH3, 128 bits) of bytes that arrive in parts of any size. It runs at
// memory speed, so a pass that digests what it reads costs little more than the reading.
class ContentDigest {
  public:
    ContentDigest();
    ~ContentDigest();
    ContentDigest(const ContentDigest&) = delete;
    ContentDigest& operator=(const ContentDigest&) = delete;

    void add(std::span<const unsigned char> bytes);
    // The bytes added so far, and their digest.
    std::uint64_t length() const { return length_; }
    Digest128 value() const;

  private:
    struct State;
    std::unique_ptr<State> state_;
    std::uint64_t length_ = 0;
};

}  // namespace xq
