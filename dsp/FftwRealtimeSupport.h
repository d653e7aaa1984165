#pragma once

#include <cstddef>
#include <memory>

// What JUCE's FFTW-backed FFT needs to be safe on the audio thread.
//
// FFTW's planner is not thread-safe, and JUCE builds convolution engines on several loader threads
// at once: makePlannerThreadSafe switches FFTW's own planner lock on.
//
// FFTW's buffered plans (which JUCE's in-place transforms get) allocate a temporary buffer on every
// execution. An instance of this class is a scratch area, sized for a block size ahead of time:
// while a Scope is alive on a thread, FFTW's allocations on that thread come from the scratch area
// (last in, first out) instead of the heap. Everything else FFTW allocates goes to the heap as usual.
class FftwRealtimeSupport
{
public:
    FftwRealtimeSupport();
    ~FftwRealtimeSupport();

    // Exactly once per process, before the first plan; later calls do nothing. Thread-safe.
    static void makePlannerThreadSafe();

    // Sizes the scratch area for transforms of blocks up to maximumBlockSize (any size a JUCE
    // convolution prepared for that block size executes). Allocates; never call it while in use.
    void prepare (int maximumBlockSize);

    // FFTW's execution buffers on this thread come from `scratch` while this lives. Nestable.
    class Scope
    {
    public:
        explicit Scope (FftwRealtimeSupport& scratch) noexcept;
        ~Scope();

        Scope (const Scope&) = delete;
        Scope& operator= (const Scope&) = delete;

    private:
        FftwRealtimeSupport& scratch;
        FftwRealtimeSupport* previous;
        std::size_t usedBefore;
        int depthBefore;
    };

    // Used by the FFTW allocation hooks.
    void* allocate (std::size_t numBytes) noexcept;
    bool release (void* pointer) noexcept;

    FftwRealtimeSupport (const FftwRealtimeSupport&) = delete;
    FftwRealtimeSupport& operator= (const FftwRealtimeSupport&) = delete;

private:
    struct FreeDeleter
    {
        void operator() (void* p) const noexcept;
    };

    static constexpr int maxDepth = 8;

    std::unique_ptr<unsigned char, FreeDeleter> memory;
    std::size_t capacity = 0;
    std::size_t used = 0;
    std::size_t starts[maxDepth] = {}; // of the allocations still held, oldest first
    int depth = 0;
};
