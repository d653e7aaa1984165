#pragma once

// The arc-tangent waveshaper shared by the bias stage and the tape chains, in single precision.
namespace ArcTangent
{
// Every sample x becomes atan (inputScale * x) * outputScale * extraScale, evaluated in that order.
// On x86-64 with glibc four samples go through libmvec's vector atanf at a time (within 3 ulps of
// the scalar atanf); every sample takes the same path, so the result never depends on how a signal
// is cut into blocks.
void shape (float* samples, int numSamples, float inputScale, float outputScale, float extraScale) noexcept;

// The scalar form, one sample.
float shapeOne (float x, float inputScale, float outputScale, float extraScale) noexcept;
} // namespace ArcTangent
