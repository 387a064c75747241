#include "speech/listen/NoiseSuppressor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <vector>

namespace kazu::listen {
namespace {

constexpr int kRate = 16000;
constexpr size_t kDelay = NoiseSuppressor::kFrame - NoiseSuppressor::kHop;

std::vector<double> WhiteNoise(size_t count, double amplitude, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> uniform(-amplitude, amplitude);
    std::vector<double> out(count);
    for (double& value : out) value = uniform(random);
    return out;
}

// Two steady tones, loud enough to be speech.
std::vector<double> Tones(size_t count, double amplitude) {
    std::vector<double> out(count);
    for (size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / kRate;
        out[i] = amplitude * (0.6 * std::sin(2 * std::numbers::pi * 440 * t) +
                              0.4 * std::sin(2 * std::numbers::pi * 1800 * t));
    }
    return out;
}

std::vector<int16_t> Samples(const std::vector<double>& values) {
    std::vector<int16_t> out;
    for (const double value : values)
        out.push_back(static_cast<int16_t>(std::lround(std::clamp(value, -32768.0, 32767.0))));
    return out;
}

// Fed in the program's uneven chunks, as frames of a microphone arrive.
std::vector<int16_t> Cleaned(const std::vector<int16_t>& in) {
    NoiseSuppressor suppressor;
    std::vector<int16_t> out;
    const size_t chunks[] = {1600, 320, 7, 1000};
    for (size_t at = 0, n = 0; at < in.size(); ++n) {
        const size_t count = std::min(chunks[n % 4], in.size() - at);
        suppressor.Process(std::span(in).subspan(at, count), out);
        at += count;
    }
    return out;
}

double Rms(const std::vector<int16_t>& samples, size_t from, size_t to) {
    double sum = 0;
    for (size_t i = from; i < to; ++i) sum += static_cast<double>(samples[i]) * samples[i];
    return std::sqrt(sum / static_cast<double>(to - from));
}

// Power at one frequency (Goertzel) over [from, to).
double ToneRms(const std::vector<int16_t>& samples, size_t from, size_t to, double hertz) {
    double re = 0;
    double im = 0;
    for (size_t i = from; i < to; ++i) {
        const double phase = 2 * std::numbers::pi * hertz * static_cast<double>(i) / kRate;
        re += samples[i] * std::cos(phase);
        im += samples[i] * std::sin(phase);
    }
    return std::sqrt(2 * (re * re + im * im)) / static_cast<double>(to - from);
}

double Decibels(double ratio) {
    return 20 * std::log10(ratio);
}

TEST(NoiseSuppressorTest, CleanSpeechComesBackAsItWasOnlyLater) {
    std::vector<double> signal = WhiteNoise(kRate, 8, 1);  // a quiet room first
    const std::vector<double> tones = Tones(2 * kRate, 6000);
    signal.insert(signal.end(), tones.begin(), tones.end());
    const std::vector<int16_t> in = Samples(signal);
    const std::vector<int16_t> out = Cleaned(in);
    ASSERT_EQ(out.size(), in.size() / NoiseSuppressor::kHop * NoiseSuppressor::kHop);
    // From a tenth of a second into the tones on, the output is the input, kDelay behind.
    double error = 0;
    size_t count = 0;
    for (size_t i = kRate + kRate / 10; i + kDelay < out.size(); ++i, ++count) {
        const double difference = out[i + kDelay] - in[i];
        error += difference * difference;
    }
    EXPECT_LT(std::sqrt(error / static_cast<double>(count)), 0.01 * Rms(in, kRate, in.size()));
}

TEST(NoiseSuppressorTest, SteadyNoiseIsTurnedDownAndTheVoiceKept) {
    // Faint white noise throughout, as loud as in the listening benchmark; tones after a second.
    const std::vector<double> noise = WhiteNoise(3 * kRate, 160, 2);
    const std::vector<double> tones = Tones(2 * kRate, 6000);
    std::vector<double> noisy = noise;
    for (size_t i = 0; i < tones.size(); ++i) noisy[kRate + i] += tones[i];
    const std::vector<int16_t> in = Samples(noisy);
    const std::vector<int16_t> out = Cleaned(in);

    // The room alone, after half a second of learning it: turned down to a faint room's level
    // (RMS 40), not to silence.
    const size_t from = kRate / 2 + kDelay;
    const size_t to = kRate + kDelay;
    EXPECT_LT(Decibels(Rms(out, from, to) / Rms(in, from - kDelay, to - kDelay)), -6);
    EXPECT_GT(Rms(out, from, to), 30);
    // The tones lose little.
    for (const double hertz : {440.0, 1800.0}) {
        const double before = ToneRms(in, kRate + kRate / 4, 2 * kRate, hertz);
        const double after = ToneRms(out, kRate + kRate / 4 + kDelay, 2 * kRate + kDelay, hertz);
        EXPECT_GT(Decibels(after / before), -1) << hertz << " Hz";
    }
}

TEST(NoiseSuppressorTest, ARoomThatGrowsLouderIsLearnedAgain) {
    std::vector<double> signal = WhiteNoise(kRate, 20, 3);
    const std::vector<double> louder = WhiteNoise(4 * kRate, 400, 4);
    signal.insert(signal.end(), louder.begin(), louder.end());
    const std::vector<int16_t> in = Samples(signal);
    const std::vector<int16_t> out = Cleaned(in);
    const size_t from = 4 * kRate;
    const size_t to = out.size();
    // At most 10 dB down, and all of that once the louder room is learned.
    EXPECT_LT(Decibels(Rms(out, from, to) / Rms(in, from - kDelay, to - kDelay)), -9);
}

TEST(NoiseSuppressorTest, SilenceAndFullScaleStayInRange) {
    std::vector<int16_t> in(kRate, 0);
    for (size_t i = 0; i < static_cast<size_t>(kRate); ++i)
        in.push_back((i / 20) % 2 == 0 ? 32767 : -32768);
    in.resize(in.size() + kRate, 0);
    const std::vector<int16_t> out = Cleaned(in);
    for (size_t i = 0; i < kRate; ++i) ASSERT_EQ(out[i], 0) << i;
    // A full-scale square wave comes out loud, not wrapped round into noise.
    EXPECT_GT(Rms(out, kRate + kRate / 4, 2 * kRate), 25000);
}

}  // namespace
}  // namespace kazu::listen
