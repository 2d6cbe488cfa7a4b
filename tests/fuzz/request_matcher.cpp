#include "RequestMatcher.h"

#include "FuzzCheck.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

using kqtest::fuzzCheck;
using quorvex::Bytes;
using quorvex::Found;
using quorvex::RequestMatcher;

namespace {

// Everything found while the bytes come in the given pieces, then after the pause.
std::vector<Found> findAll(const std::vector<Bytes>& requests, const Bytes& stream,
                           const std::vector<std::size_t>& pieces)
{
    RequestMatcher matcher(requests);
    std::vector<Found> result;
    Found found;
    std::size_t at = 0;
    for (std::size_t piece : pieces) {
        piece = std::min(piece, stream.size() - at);
        matcher.feed(stream.data() + at, piece);
        at += piece;
        while (matcher.next(found, false)) {
            result.push_back(found);
        }
    }
    matcher.feed(stream.data() + at, stream.size() - at);
    while (matcher.next(found, true)) {
        result.push_back(found);
    }
    fuzzCheck(!matcher.holding(), "nothing is held after the pause");
    return result;
}

bool startsWith(const Bytes& bytes, const Bytes& start)
{
    return !start.empty() && start.size() <= bytes.size() &&
           std::equal(start.begin(), start.end(), bytes.begin());
}

// The finds give back the stream in order; a found request is its bytes, the
// longest that the rest began with; unknown bytes begin no request.
void checkFinds(const std::vector<Bytes>& requests, const Bytes& stream,
                const std::vector<Found>& found)
{
    std::size_t at = 0;
    for (const Found& f : found) {
        fuzzCheck(!f.bytes.empty(), "every find holds bytes");
        const Bytes rest(stream.begin() + static_cast<long>(at), stream.end());
        fuzzCheck(startsWith(rest, f.bytes), "the finds are the stream in order");
        at += f.bytes.size();
        for (const Bytes& r : requests) {
            fuzzCheck(!startsWith(rest, r) || (f.request >= 0 && r.size() <= f.bytes.size()),
                      "the longest request that the bytes begin with is found");
        }
        if (f.request >= 0) {
            fuzzCheck(requests[static_cast<std::size_t>(f.request)] == f.bytes,
                      "a found request is its own bytes");
        }
    }
    fuzzCheck(at == stream.size(), "every byte is found once");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    // Few byte values, so that requests overlap and share their starts.
    std::vector<Bytes> requests(input.ConsumeIntegralInRange<std::size_t>(0, 6));
    for (Bytes& request : requests) {
        request.resize(input.ConsumeIntegralInRange<std::size_t>(0, 5));
        for (unsigned char& b : request) {
            b = input.ConsumeIntegralInRange<unsigned char>(0, 3);
        }
    }
    std::vector<std::size_t> pieces(input.ConsumeIntegralInRange<std::size_t>(0, 8));
    for (std::size_t& piece : pieces) {
        piece = input.ConsumeIntegralInRange<std::size_t>(0, 6);
    }
    Bytes stream = input.ConsumeRemainingBytes<unsigned char>();
    for (unsigned char& b : stream) {
        b %= 5;
    }

    const std::vector<Found> whole = findAll(requests, stream, {});
    checkFinds(requests, stream, whole);
    const std::vector<Found> pieced = findAll(requests, stream, pieces);
    fuzzCheck(pieced.size() == whole.size() &&
                  std::equal(pieced.begin(), pieced.end(), whole.begin(),
                             [](const Found& a, const Found& b) {
                                 return a.request == b.request && a.bytes == b.bytes;
                             }),
              "the pieces the bytes come in change nothing that is found");
    return 0;
}
