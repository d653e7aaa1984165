#pragma once

#include <cmath> // brings in the C library's own macros, __GLIBC__ among them

// Four single-precision elementary functions at once from glibc's libmvec (SSE ABI, dispatched to
// the best code for the CPU inside glibc), each within 3 ulps of glibc's scalar function. Elsewhere
// TAVORIN_VECTOR_MATH is 0 and the callers keep their scalar loops.
#if defined(__x86_64__) && defined(__GLIBC__)
 #define TAVORIN_VECTOR_MATH 1
 #include <immintrin.h>

extern "C"
{
__m128 _ZGVbN4v_atanf (__m128);
__m128 _ZGVbN4v_log10f (__m128);
__m128 _ZGVbN4v_tanhf (__m128);
__m128 _ZGVbN4v_exp10f (__m128);
}

namespace VectorMath
{
inline __m128 atan (__m128 x) noexcept { return _ZGVbN4v_atanf (x); }
inline __m128 log10 (__m128 x) noexcept { return _ZGVbN4v_log10f (x); }
inline __m128 tanh (__m128 x) noexcept { return _ZGVbN4v_tanhf (x); }
inline __m128 exp10 (__m128 x) noexcept { return _ZGVbN4v_exp10f (x); }

// Lanes of `ifTrue` where the mask is set, of `ifFalse` elsewhere (SSE2 has no blend).
inline __m128 select (__m128 mask, __m128 ifTrue, __m128 ifFalse) noexcept
{
    return _mm_or_ps (_mm_and_ps (mask, ifTrue), _mm_andnot_ps (mask, ifFalse));
}
} // namespace VectorMath
#else
 #define TAVORIN_VECTOR_MATH 0
#endif
