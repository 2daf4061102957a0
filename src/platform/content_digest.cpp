#include "platform/content_digest.h"

// Every function of xxHash inlined here: there is no library of it to link, on any host.
#define XXH_INLINE_ALL
#include <xxhash.h>

namespace xq {

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
