#include "speech/listen/NoiseSuppressor.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kazu::listen {

namespace {

// A frame counts as room when it is at most this many times as loud as the quietest lately:
// white noise frames differ by a few percent, a word's quietest sound is ten times louder.
constexpr float kRoomRatio = 2.5f;
// How fast "the quietest lately" forgets, per frame: tenfold a second, so that a fan switched
// on is learned within about two seconds.
constexpr float kQuietestRise = 1.04f;
// How much a room frame moves the noise spectrum: a time constant of about 0.15 s.
constexpr float kNoiseLearning = 0.1f;
// Weight of the previous frame in the estimate of the speech-to-noise ratio; smoothing it
// keeps the gain from flickering on noise alone ("musical noise").
constexpr float kRatioSmoothing = 0.98f;
// The noise is turned down by at most 10 dB, never off: deeper cuts changed the voice's weak
// bands enough to cost more than the noise did.
constexpr float kLeastGain = 0.3f;
// Nor below a faint room's level (RMS 40 of white noise, as power per bin of the windowed
// frame): the quiet parts of a clean voice come through untouched.
constexpr float kFloorPower = 40.0f * 40.0f * NoiseSuppressor::kFrame / 2;

// A plain complex product: std::complex's own goes through a library call that looks after
// infinities, which cannot occur here, and was most of what the listener did in a quiet room.
std::complex<float> Times(std::complex<float> a, std::complex<float> b) {
    return {a.real() * b.real() - a.imag() * b.imag(), a.real() * b.imag() + a.imag() * b.real()};
}

// In-place radix-2 FFT of a power-of-two length; `inverse` without the 1/N.
void Transform(std::span<std::complex<float>> data, bool inverse) {
    const size_t n = data.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap(data[i], data[j]);
    }
    for (size_t length = 2; length <= n; length <<= 1) {
        const float angle =
            (inverse ? 2.0f : -2.0f) * std::numbers::pi_v<float> / static_cast<float>(length);
        const std::complex<float> step(std::cos(angle), std::sin(angle));
        for (size_t start = 0; start < n; start += length) {
            std::complex<float> twiddle(1.0f, 0.0f);
            for (size_t k = 0; k < length / 2; ++k) {
                const std::complex<float> even = data[start + k];
                const std::complex<float> odd = Times(data[start + k + length / 2], twiddle);
                data[start + k] = even + odd;
                data[start + k + length / 2] = even - odd;
                twiddle = Times(twiddle, step);
            }
        }
    }
}

}  // namespace

NoiseSuppressor::NoiseSuppressor() {
    // Periodic Hann, square-rooted: analysis times synthesis sums to one at half overlap.
    for (size_t i = 0; i < kFrame; ++i)
        window_[i] =
            std::sqrt(0.5f - 0.5f * std::cos(2.0f * std::numbers::pi_v<float> *
                                             static_cast<float>(i) / static_cast<float>(kFrame)));
}

void NoiseSuppressor::Process(std::span<const int16_t> in, std::vector<int16_t>& out) {
    for (const int16_t sample : in) {
        input_[kFrame - kHop + filled_] = sample;
        if (++filled_ == kHop) {
            ProcessFrame(out);
            std::copy(input_.begin() + kHop, input_.end(), input_.begin());
            filled_ = 0;
        }
    }
}

void NoiseSuppressor::ProcessFrame(std::vector<int16_t>& out) {
    for (size_t i = 0; i < kFrame; ++i) spectrum_[i] = input_[i] * window_[i];
    Transform(spectrum_, false);

    std::array<float, kBins> power{};
    float total = 0;
    for (size_t k = 0; k < kBins; ++k) {
        power[k] = std::norm(spectrum_[k]);
        total += power[k];
    }
    quietest_ = learned_ ? std::min(total, quietest_ * kQuietestRise) : total;
    if (!learned_) {
        noise_ = power;
        learned_ = true;
    } else if (total <= kRoomRatio * quietest_) {
        for (size_t k = 0; k < kBins; ++k) noise_[k] += kNoiseLearning * (power[k] - noise_[k]);
    }

    for (size_t k = 0; k < kBins; ++k) {
        float gain = 1.0f;
        if (noise_[k] > 0) {
            const float after = std::max(power[k] / noise_[k] - 1.0f, 0.0f);
            const float ratio =
                kRatioSmoothing * lastClean_[k] / noise_[k] + (1.0f - kRatioSmoothing) * after;
            gain = std::max(ratio / (1.0f + ratio), kLeastGain);
            if (power[k] > 0)
                gain = std::max(gain, std::sqrt(std::min(1.0f, kFloorPower / power[k])));
        }
        lastClean_[k] = gain * gain * power[k];
        spectrum_[k] *= gain;
        if (k > 0 && k < kFrame - k)
            spectrum_[kFrame - k] *= gain;
    }

    Transform(spectrum_, true);
    constexpr float kScale = 1.0f / static_cast<float>(kFrame);
    for (size_t i = 0; i < kFrame; ++i) {
        const float value = spectrum_[i].real() * kScale * window_[i];
        if (i < kHop) {
            const float sample = std::round(overlap_[i] + value);
            out.push_back(static_cast<int16_t>(std::clamp(sample, -32768.0f, 32767.0f)));
        } else {
            overlap_[i - kHop] = value;
        }
    }
}

}  // namespace kazu::listen
