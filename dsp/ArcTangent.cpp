#include "dsp/ArcTangent.h"

#include "dsp/VectorMath.h"

#include <cmath>

namespace ArcTangent
{
float shapeOne (float x, float inputScale, float outputScale, float extraScale) noexcept
{
    return std::atan (inputScale * x) * outputScale * extraScale;
}

void shape (float* samples, int numSamples, float inputScale, float outputScale, float extraScale) noexcept
{
#if TAVORIN_VECTOR_MATH
    const auto in = _mm_set1_ps (inputScale);
    const auto out = _mm_set1_ps (outputScale);
    const auto extra = _mm_set1_ps (extraScale);
    const auto apply = [&] (__m128 x) {
        return _mm_mul_ps (_mm_mul_ps (VectorMath::atan (_mm_mul_ps (in, x)), out), extra);
    };

    auto i = 0;
    for (; i + 4 <= numSamples; i += 4)
        _mm_storeu_ps (samples + i, apply (_mm_loadu_ps (samples + i)));

    // The last one to three samples take the same vector path, so block boundaries never show.
    if (const auto rest = numSamples - i; rest > 0)
    {
        alignas (16) float lanes[4] = {};
        for (auto k = 0; k < rest; ++k)
            lanes[k] = samples[i + k];

        _mm_store_ps (lanes, apply (_mm_load_ps (lanes)));

        for (auto k = 0; k < rest; ++k)
            samples[i + k] = lanes[k];
    }
#else
    for (auto i = 0; i < numSamples; ++i)
        samples[i] = shapeOne (samples[i], inputScale, outputScale, extraScale);
#endif
}
} // namespace ArcTangent
