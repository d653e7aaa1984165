#include "dsp/FftwRealtimeSupport.h"

#include <cstdint>
#include <cstdlib>

#if JUCE_DSP_USE_STATIC_FFTW
 #include <fftw3.h>
#endif

namespace
{
constexpr std::size_t alignment = 64; // enough for every SIMD width FFTW may use

// The scratch area FFTW allocates from on this thread, or none.
thread_local FftwRealtimeSupport* activeScratch = nullptr;

constexpr std::size_t alignUp (std::size_t n) noexcept { return (n + alignment - 1) & ~(alignment - 1); }

std::size_t nextPowerOfTwo (int n) noexcept
{
    std::size_t p = 1;
    while (p < static_cast<std::size_t> (n))
        p <<= 1;
    return p;
}
} // namespace

void FftwRealtimeSupport::FreeDeleter::operator() (void* p) const noexcept { std::free (p); }

FftwRealtimeSupport::FftwRealtimeSupport() = default;
FftwRealtimeSupport::~FftwRealtimeSupport() = default;

void FftwRealtimeSupport::makePlannerThreadSafe()
{
#if JUCE_DSP_USE_STATIC_FFTW
    [[maybe_unused]] static const bool done = [] {
        fftwf_make_planner_thread_safe();
        return true;
    }();
#endif
}

void FftwRealtimeSupport::prepare (int maximumBlockSize)
{
    // A JUCE convolution transforms at most 4 x the block size rounded up to a power of two; one
    // execution then takes a buffer of at most 2 floats per point, plus FFTW's small extras.
    const auto points = 4 * nextPowerOfTwo (maximumBlockSize);
    const auto bytes = alignUp (2 * sizeof (float) * points + 4096);

    if (bytes != capacity)
    {
        void* block = nullptr;
        memory.reset (posix_memalign (&block, alignment, bytes) == 0 ? static_cast<unsigned char*> (block) : nullptr);
        capacity = memory != nullptr ? bytes : 0;
    }

    used = 0;
    depth = 0;
}

void* FftwRealtimeSupport::allocate (std::size_t numBytes) noexcept
{
    const auto size = alignUp (numBytes == 0 ? 1 : numBytes);

    if (depth == maxDepth || capacity - used < size)
        return nullptr;

    starts[depth++] = used;
    auto* p = memory.get() + used;
    used += size;
    return p;
}

bool FftwRealtimeSupport::release (void* pointer) noexcept
{
    const auto* p = static_cast<unsigned char*> (pointer);

    if (memory == nullptr || p < memory.get() || p >= memory.get() + capacity)
        return false;

    // Out-of-order releases keep their space until the scope ends.
    if (depth > 0 && p == memory.get() + starts[depth - 1])
        used = starts[--depth];

    return true;
}

FftwRealtimeSupport::Scope::Scope (FftwRealtimeSupport& s) noexcept
    : scratch (s), previous (activeScratch), usedBefore (s.used), depthBefore (s.depth)
{
    activeScratch = &scratch;
}

FftwRealtimeSupport::Scope::~Scope()
{
    scratch.used = usedBefore;
    scratch.depth = depthBefore;
    activeScratch = previous;
}

#if JUCE_DSP_USE_STATIC_FFTW
// FFTW is linked statically into this binary: these replace its allocator (kalloc), so a buffer
// that a plan takes while it executes on an audio thread comes from that thread's scratch area.
extern "C" __attribute__ ((visibility ("hidden"))) void* fftwf_kernel_malloc (std::size_t numBytes)
{
    if (activeScratch != nullptr)
        if (auto* p = activeScratch->allocate (numBytes))
            return p;

    void* p = nullptr;
    return posix_memalign (&p, alignment, numBytes == 0 ? 1 : numBytes) == 0 ? p : nullptr;
}

extern "C" __attribute__ ((visibility ("hidden"))) void fftwf_kernel_free (void* pointer)
{
    if (activeScratch != nullptr && activeScratch->release (pointer))
        return;

    std::free (pointer);
}
#endif
