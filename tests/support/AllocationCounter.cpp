#include "AllocationCounter.h"

#include <cerrno>

// glibc's own allocator, which the replacements below forward to.
extern "C"
{
void* __libc_malloc (std::size_t);
void* __libc_calloc (std::size_t, std::size_t);
void* __libc_realloc (void*, std::size_t);
void* __libc_memalign (std::size_t, std::size_t);
void __libc_free (void*);
}

namespace
{
thread_local std::size_t allocationsOnThisThread = 0;
thread_local int activeCounters = 0;

inline void noteAllocation() noexcept
{
    if (activeCounters > 0)
        ++allocationsOnThisThread;
}
} // namespace

ScopedAllocationCounter::ScopedAllocationCounter() : startCount (allocationsOnThisThread) { ++activeCounters; }
ScopedAllocationCounter::~ScopedAllocationCounter() { --activeCounters; }
std::size_t ScopedAllocationCounter::count() const noexcept { return allocationsOnThisThread - startCount; }

#if TAVORIN_COUNTS_ALLOCATIONS
extern "C"
{
void* malloc (std::size_t size)
{
    noteAllocation();
    return __libc_malloc (size);
}

void* calloc (std::size_t count, std::size_t size)
{
    noteAllocation();
    return __libc_calloc (count, size);
}

void* realloc (void* p, std::size_t size)
{
    noteAllocation();
    return __libc_realloc (p, size);
}

void free (void* p) { __libc_free (p); }

void* memalign (std::size_t alignment, std::size_t size)
{
    noteAllocation();
    return __libc_memalign (alignment, size);
}

void* aligned_alloc (std::size_t alignment, std::size_t size)
{
    noteAllocation();
    return __libc_memalign (alignment, size);
}

int posix_memalign (void** result, std::size_t alignment, std::size_t size)
{
    noteAllocation();
    *result = __libc_memalign (alignment, size);
    return *result != nullptr ? 0 : ENOMEM;
}
}
#endif
