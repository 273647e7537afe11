#pragma once

#include <cstddef>

// Watches every single heap allocation while it lives and ends the process,
// with the stack of the allocation, when one asks for more than the limit:
// a reader must never size its memory by a count it was told rather than by
// the bytes it was given. Works where AddressSanitizer's allocator runs (the
// fuzz and sanitized builds); elsewhere it does nothing and Available() is
// false. Watches do not nest.
class TAllocationWatch {
public:
    // An allocation of exactly fixedSize bytes (a fixed-size object the
    // reader always makes, whatever the input says) is let through.
    explicit TAllocationWatch(size_t limit, size_t fixedSize = 0);
    ~TAllocationWatch();
    TAllocationWatch(const TAllocationWatch &) = delete;
    TAllocationWatch &operator=(const TAllocationWatch &) = delete;

    static bool Available();
    // The largest single allocation seen so far while watching.
    size_t Largest() const;
};
