// A small in-place radix-2 FFT in double precision, for designing the responses offline.
// Plain C++ so the generator builds before the product library and gives the same bytes anywhere.
#pragma once

#include <cmath>
#include <complex>
#include <utility>
#include <vector>

namespace impulses
{
using Complex = std::complex<double>;

// Forward transform (e^-j) when inverse is false; the inverse includes the 1/N scaling.
// data.size() must be a power of two.
inline void fft (std::vector<Complex>& data, bool inverse)
{
    const auto n = data.size();

    for (size_t i = 1, j = 0; i < n; ++i)
    {
        auto bit = n >> 1;

        for (; (j & bit) != 0; bit >>= 1)
            j ^= bit;

        j ^= bit;

        if (i < j)
            std::swap (data[i], data[j]);
    }

    const double sign = inverse ? 1.0 : -1.0;

    for (size_t length = 2; length <= n; length <<= 1)
    {
        const auto half = length / 2;
        const double step = sign * 2.0 * M_PI / (double) length;

        for (size_t start = 0; start < n; start += length)
        {
            for (size_t k = 0; k < half; ++k)
            {
                // Twiddles from the exact angle, not by repeated multiplication, to keep the error flat.
                const Complex w (std::cos (step * (double) k), std::sin (step * (double) k));
                const auto odd = data[start + k + half] * w;
                data[start + k + half] = data[start + k] - odd;
                data[start + k] += odd;
            }
        }
    }

    if (inverse)
        for (auto& x : data)
            x /= (double) n;
}
} // namespace impulses
