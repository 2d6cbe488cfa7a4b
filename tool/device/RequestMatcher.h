#pragma once

#include <cstddef>
#include <vector>

namespace quorvex {

using Bytes = std::vector<unsigned char>;

// What the matcher found at the front of the bytes received: a known request
// (its index) or bytes that start none (index -1).
struct Found {
    long request = -1;
    Bytes bytes;
};

// Finds known requests in the bytes a host sends, however the bytes are split
// over reads or joined in one. The longest request that the bytes begin with
// wins, once no longer one could still arrive. Bytes that begin no request are
// given back as unknown when a known request follows them, or when the host has
// paused (quiet): then a request left incomplete is unknown too.
class RequestMatcher {
public:
    // Empty requests are never found.
    explicit RequestMatcher(std::vector<Bytes> requests);

    void feed(const unsigned char* data, std::size_t size);
    // The next thing found, or false when the bytes held need more to decide.
    bool next(Found& found, bool quiet);
    bool holding() const { return !held_.empty(); }

private:
    // The longest request at position at, -1 for none.
    long completeAt(std::size_t at) const;
    // Whether the bytes from at on are the start of a longer request.
    bool unfinishedAt(std::size_t at) const;
    Found take(long request, std::size_t size);

    std::vector<Bytes> requests_;
    Bytes held_;
};

}  // namespace quorvex
