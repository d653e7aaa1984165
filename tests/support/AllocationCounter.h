#pragma once

#include <cstddef>

// Sanitizers bring their own allocator, so under them the replacements are left out and nothing is
// counted (a ThreadSanitizer build of the tests is for the concurrency tests).
#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
 #define TAVORIN_COUNTS_ALLOCATIONS 0
#else
 #define TAVORIN_COUNTS_ALLOCATIONS 1
#endif

// Counts heap allocations made on the calling thread while an instance is alive. The test binary
// replaces malloc and its family, so nothing escapes: operator new, JUCE's HeapBlock, strings.
class ScopedAllocationCounter
{
public:
    ScopedAllocationCounter();
    ~ScopedAllocationCounter();

    std::size_t count() const noexcept;

    ScopedAllocationCounter (const ScopedAllocationCounter&) = delete;
    ScopedAllocationCounter& operator= (const ScopedAllocationCounter&) = delete;

private:
    std::size_t startCount;
};
