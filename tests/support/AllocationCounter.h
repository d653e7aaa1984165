#pragma once

#include <cstddef>

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
