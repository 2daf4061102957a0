#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace xq {

// A 128-bit digest of a run of bytes: any change of the bytes, of their order or of their number
// changes it.
struct Digest128 {
    std::uint64_t low = 0;
    std::uint64_t high = 0;

    bool operator==(const Digest128&) const = default;
};

// The digest as 32 hexadecimal digits, as the program's records keep it, and back; nullopt for a
// text that is no such digest.
std::string digestText(const Digest128& digest);
std::optional<Digest128> parseDigestText(std::string_view text);

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
