#include "speech/listen/NoiseSuppressor.h"

#include <algorithm>
#include <charconv>
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

// The reverberation time is measured as in a room survey, on the falls of the sound itself: the
// time from 10 to 25 dB below a fall's top, times four. Nothing falls faster than the room lets
// it, and in a dry room a voice falls that far in a few hundredths of a second. Measured in the
// band where speech is loud (250 Hz to 4 kHz), on falls whose top is 35 dB above the room's
// noise, so that the 25 dB mark is clear of it. A reverberant tail flickers by a few dB from
// frame to frame; only a rise of 6 dB, a new sound, ends a fall.
constexpr float kFallStartDb = 10.0f;
constexpr float kFallEndDb = 25.0f;
constexpr float kFallClearDb = 35.0f;
constexpr float kFallRiseDb = 6.0f;
constexpr size_t kBandLow = 8;     // 250 Hz
constexpr size_t kBandHigh = 128;  // 4 kHz
// The room's time is the median of the latest falls, and none until a few are in: a vowel that
// fades slowly is one fall, not the room.
constexpr size_t kFallsKept = 15;
constexpr size_t kFallsNeeded = 5;
// Longer than any classroom's, and a restored file's times are held to it.
constexpr float kLongestFall = 5.0f;
constexpr float kSampleRate = 16000.0f;

float Decibels(float power) {
    return 10.0f * std::log10(std::max(power, 1e-3f));
}

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

// Follows the level of the speech band from frame to frame and measures each fall that is
// clear of the noise from its top to 25 dB down.
void NoiseSuppressor::FollowFall(const std::array<float, kBins>& power) {
    float band = 0;
    float noise = 0;
    for (size_t k = kBandLow; k < kBandHigh; ++k) {
        band += power[k];
        noise += noise_[k];
    }
    const float level = Decibels(band);
    if (level > fallLow_ + kFallRiseDb || level > fallTop_) {
        fallTop_ = fallLow_ = level;
        fallFrames_ = 0;
        tenDownAt_ = -1;
        return;
    }
    const float before = fallLow_;
    fallFrames_ += 1;
    if (level >= before)
        return;
    fallLow_ = level;
    if (fallTop_ < Decibels(noise) + kFallClearDb)
        return;
    // Where between the lowest before and this frame the fall passed a mark, in frames.
    const auto passed = [&](float mark) { return fallFrames_ - (mark - level) / (before - level); };
    const float start = fallTop_ - kFallStartDb;
    const float end = fallTop_ - kFallEndDb;
    if (tenDownAt_ < 0 && level <= start)
        tenDownAt_ = passed(std::min(start, before));
    if (tenDownAt_ >= 0 && level <= end && before > end) {
        const float seconds = (passed(end) - tenDownAt_) * static_cast<float>(kHop) / kSampleRate;
        AddFall(seconds * 60.0f / (kFallEndDb - kFallStartDb));
    }
}

void NoiseSuppressor::AddFall(float seconds) {
    if (falls_.size() == kFallsKept)
        falls_.erase(falls_.begin());
    falls_.push_back(seconds);
    if (falls_.size() < kFallsNeeded)
        return;
    std::vector<float> sorted = falls_;
    std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 2, sorted.end());
    reverberation_ = sorted[sorted.size() / 2];
    // 60 dB down per reverberation time: what is left three frames (48 ms) on, the boundary
    // after which echo no longer adds to the clarity of speech but smears it.
    const float late = static_cast<float>(heard_.size() * kHop) / kSampleRate;
    lateShare_ = std::pow(10.0f, -6.0f * late / reverberation_);
}

std::string NoiseSuppressor::SavedRoom() const {
    std::string text;
    for (const float fall : falls_) {
        char line[32];
        const auto end = std::to_chars(line, line + sizeof line - 1, fall);
        *end.ptr = '\n';
        text.append(line, end.ptr + 1);
    }
    return text;
}

bool NoiseSuppressor::RestoreRoom(std::string_view text) {
    std::vector<float> falls;
    while (!text.empty()) {
        const size_t newline = text.find('\n');
        const std::string_view line = text.substr(0, newline);
        float fall = 0;
        const auto [end, error] = std::from_chars(line.data(), line.data() + line.size(), fall);
        if (error != std::errc() || end != line.data() + line.size() || !(fall > 0) ||
            fall > kLongestFall || falls.size() == kFallsKept)
            return false;
        falls.push_back(fall);
        text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
    }
    falls_.clear();
    reverberation_ = lateShare_ = 0;
    for (const float fall : falls) AddFall(fall);
    return true;
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

    FollowFall(power);

    // The late reverberation: what the room still holds of what was heard three frames ago.
    std::array<float, kBins>& then = heard_[heardAt_];
    heardAt_ = (heardAt_ + 1) % heard_.size();
    for (size_t k = 0; k < kBins; ++k) {
        const float late = lateShare_ * then[k];
        then[k] = power[k];
        float gain = 1.0f;
        if (noise_[k] > 0) {
            const float after = std::max(power[k] / noise_[k] - 1.0f, 0.0f);
            const float ratio =
                kRatioSmoothing * lastClean_[k] / noise_[k] + (1.0f - kRatioSmoothing) * after;
            gain = ratio / (1.0f + ratio);
            if (late > 0 && power[k] > 0)
                gain *= std::sqrt(std::max(1.0f - late / power[k], 0.0f));
            gain = std::max(gain, kLeastGain);
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
