#pragma once

#include <string>
#include <vector>

namespace quorvex {

// An expected answer in which some bytes may be anything: "90 ?? 00", and with a
// final "*" any further bytes as well (answers of varying length).
struct BytePattern {
    // A byte value, or any for a byte that may differ.
    static constexpr int any = -1;
    std::vector<int> bytes;
    bool anyTail = false;

    static BytePattern exactly(const std::vector<unsigned char>& bytes);
    // Hex byte pairs, spaces between them optional, "??" for any byte, an optional
    // final "*". Throws std::runtime_error naming what is wrong.
    static BytePattern parse(const std::string& text);

    bool matches(const std::vector<unsigned char>& got) const;
    // Whether the byte at this position may be anything.
    bool allowsAny(std::size_t at) const;
    std::size_t wildcards() const;
    // "90 ?? 00 *": the form parse() reads.
    std::string text() const;
};

}  // namespace quorvex
