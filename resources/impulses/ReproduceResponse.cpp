#include "ReproduceResponse.h"

#include "Fft.h"

#include <algorithm>
#include <cmath>

namespace impulses
{
namespace
{
constexpr int designFftSize = 1 << 16; // fine enough that the cepstrum does not alias into the response
constexpr double floorDb = -120.0;

double bellDb (const Bell& bell, double frequencyHz)
{
    if (bell.gainDb == 0.0 || frequencyHz <= 0.0)
        return 0.0;

    // Analogue bell: (s^2 + s w0 A/Q + w0^2) / (s^2 + s w0 / (A Q) + w0^2), gain A^2 at w0.
    const double a = std::pow (10.0, bell.gainDb / 40.0);
    const double ratio = frequencyHz / bell.frequencyHz;
    const double real = 1.0 - ratio * ratio;
    const double numerator = std::hypot (real, ratio * a / bell.q);
    const double denominator = std::hypot (real, ratio / (a * bell.q));
    return 20.0 * std::log10 (numerator / denominator);
}

double lowpassDb (const Lowpass& lowpass, double frequencyHz)
{
    if (lowpass.frequencyHz <= 0.0)
        return 0.0;

    return -10.0 * std::log10 (1.0 + std::pow (frequencyHz / lowpass.frequencyHz, 2.0 * lowpass.order));
}

void applyAllpass (std::vector<double>& signal, const Allpass& smear, double sampleRate)
{
    if (smear.frequencyHz <= 0.0)
        return;

    // H(z) = (c + z^-1) / (1 + c z^-1), a phase of -90 degrees at frequencyHz.
    const double t = std::tan (M_PI * smear.frequencyHz / sampleRate);
    const double c = (t - 1.0) / (t + 1.0);

    for (int section = 0; section < smear.sections; ++section)
    {
        double x1 = 0.0, y1 = 0.0;

        for (auto& sample : signal)
        {
            const double y = c * sample + x1 - c * y1;
            x1 = sample;
            y1 = y;
            sample = y;
        }
    }
}

// The minimum-phase response of a magnitude curve, by folding its real cepstrum.
std::vector<double> minimumPhase (const ReproduceDesign& design, double sampleRate)
{
    const int n = designFftSize;
    std::vector<Complex> spectrum ((size_t) n);

    for (int k = 0; k <= n / 2; ++k)
    {
        const double db = std::max (floorDb, designMagnitudeDb (design, k * sampleRate / n));
        const double logMagnitude = db * std::log (10.0) / 20.0;
        spectrum[(size_t) k] = logMagnitude;

        if (k > 0 && k < n / 2)
            spectrum[(size_t) (n - k)] = logMagnitude;
    }

    fft (spectrum, true);

    for (int i = 1; i < n; ++i)
        spectrum[(size_t) i] = i < n / 2 ? 2.0 * spectrum[(size_t) i].real()
                             : i == n / 2 ? spectrum[(size_t) i].real() : 0.0;

    spectrum[0] = spectrum[0].real();
    fft (spectrum, false);

    for (auto& bin : spectrum)
        bin = std::exp (bin);

    fft (spectrum, true);

    std::vector<double> response ((size_t) n);
    std::transform (spectrum.begin(), spectrum.end(), response.begin(), [] (const Complex& c) { return c.real(); });
    return response;
}
} // namespace

double designMagnitudeDb (const ReproduceDesign& design, double frequencyHz)
{
    double db = lowpassDb (design.rolloff, frequencyHz) + lowpassDb (design.bandLimit, frequencyHz)
              + bellDb (design.presence, frequencyHz) + bellDb (design.bump, frequencyHz);

    // The head bump's ripple: smaller bells at the bump's harmonics, alternately dips and peaks.
    Bell ripple = design.bump;

    for (int harmonic = 2; harmonic <= 4 && design.rippleRatio > 0.0; ++harmonic)
    {
        ripple.frequencyHz = design.bump.frequencyHz * harmonic;
        ripple.gainDb *= -design.rippleRatio;
        ripple.q = design.bump.q * harmonic;
        db += bellDb (ripple, frequencyHz);
    }

    return db;
}

std::vector<double> makeReproduceResponse (const ReproduceDesign& design, double sampleRate, int numFrames)
{
    auto response = minimumPhase (design, sampleRate);

    applyAllpass (response, design.smear, sampleRate);

    response.resize ((size_t) numFrames);

    // A half-cosine fade over the end of the file, so the cut leaves no step.
    const int fadeBegin = (int) std::lround (design.fadeStart * numFrames);

    for (int i = fadeBegin; i < numFrames; ++i)
    {
        const double position = (double) (i - fadeBegin + 1) / (double) (numFrames - fadeBegin + 1);
        response[(size_t) i] *= 0.5 * (1.0 + std::cos (M_PI * position));
    }

    return response;
}

double responseMagnitudeDb (const std::vector<double>& response, double sampleRate, double frequencyHz)
{
    Complex sum = 0.0;
    const double w = -2.0 * M_PI * frequencyHz / sampleRate;

    for (size_t i = 0; i < response.size(); ++i)
        sum += response[i] * Complex (std::cos (w * (double) i), std::sin (w * (double) i));

    return 20.0 * std::log10 (std::abs (sum));
}
} // namespace impulses
