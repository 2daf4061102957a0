#include "platform/content_digest.h"

// Every function of xxHash inlined here: there is no library of it to link, on any host.
#define XXH_INLINE_ALL
#include <xxhash.h>

#include <charconv>
#include <cstdio>

namespace xq {

std::string digestText(const Digest128& digest) {
    char text[33];
    std::snprintf(text, sizeof text, "%016llx%016llx", static_cast<unsigned long long>(digest.high),
                  static_cast<unsigned long long>(digest.low));
    return text;
}

std::optional<Digest128> parseDigestText(std::string_view text) {
    std::uint64_t high = 0;
    std::uint64_t low = 0;
    if (text.size() != 32 ||
        std::from_chars(text.data(), text.data() + 16, high, 16).ptr != text.data() + 16 ||
        std::from_chars(text.data() + 16, text.data() + 32, low, 16).ptr != text.data() + 32) {
        return std::nullopt;
    }
    return Digest128{low, high};
}

struct ContentDigest::State {
    XXH3_state_t xxh3;
};

ContentDigest::ContentDigest() : state_(std::make_unique<State>()) {
    XXH3_128bits_reset(&state_->xxh3);
}

ContentDigest::~ContentDigest() = default;

void ContentDigest::add(std::span<const unsigned char> bytes) {
    XXH3_128bits_update(&state_->xxh3, bytes.data(), bytes.size());
    length_ += bytes.size();
}

Digest128 ContentDigest::value() const {
    const XXH128_hash_t hash = XXH3_128bits_digest(&state_->xxh3);
    return {hash.low64, hash.high64};
}

}  // namespace xq
