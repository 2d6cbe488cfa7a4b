#include "RequestMatcher.h"

#include <algorithm>

namespace quorvex {

RequestMatcher::RequestMatcher(std::vector<Bytes> requests) : requests_(std::move(requests)) {}

void RequestMatcher::feed(const unsigned char* data, std::size_t size)
{
    held_.insert(held_.end(), data, data + size);
}

bool RequestMatcher::next(Found& found, bool quiet)
{
    if (held_.empty()) {
        return false;
    }
    const long complete = completeAt(0);
    if (unfinishedAt(0) && !quiet) {
        return false;
    }
    if (complete >= 0) {
        found = take(complete, requests_[static_cast<std::size_t>(complete)].size());
        return true;
    }
    // Unknown up to where a request starts; one that may still be arriving
    // leaves everything undecided until the host pauses.
    std::size_t at = 1;
    while (at < held_.size() && completeAt(at) < 0 && (quiet || !unfinishedAt(at))) {
        ++at;
    }
    if (!quiet && (at == held_.size() || completeAt(at) < 0)) {
        return false;
    }
    found = take(-1, at);
    return true;
}

long RequestMatcher::completeAt(std::size_t at) const
{
    long best = -1;
    const std::size_t left = held_.size() - at;
    for (std::size_t i = 0; i < requests_.size(); ++i) {
        const Bytes& r = requests_[i];
        if (!r.empty() && r.size() <= left &&
            std::equal(r.begin(), r.end(), held_.begin() + static_cast<long>(at)) &&
            (best < 0 || r.size() > requests_[static_cast<std::size_t>(best)].size())) {
            best = static_cast<long>(i);
        }
    }
    return best;
}

bool RequestMatcher::unfinishedAt(std::size_t at) const
{
    const std::size_t left = held_.size() - at;
    return std::any_of(requests_.begin(), requests_.end(), [&](const Bytes& r) {
        return r.size() > left &&
               std::equal(held_.begin() + static_cast<long>(at), held_.end(), r.begin());
    });
}

Found RequestMatcher::take(long request, std::size_t size)
{
    Found found;
    found.request = request;
    found.bytes.assign(held_.begin(), held_.begin() + static_cast<long>(size));
    held_.erase(held_.begin(), held_.begin() + static_cast<long>(size));
    return found;
}

}  // namespace quorvex
