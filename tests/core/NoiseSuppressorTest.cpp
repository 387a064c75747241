#include "speech/listen/NoiseSuppressor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <string>
#include <string_view>
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
std::vector<int16_t> Cleaned(const std::vector<int16_t>& in, NoiseSuppressor& suppressor) {
    std::vector<int16_t> out;
    const size_t chunks[] = {1600, 320, 7, 1000};
    for (size_t at = 0, n = 0; at < in.size(); ++n) {
        const size_t count = std::min(chunks[n % 4], in.size() - at);
        suppressor.Process(std::span(in).subspan(at, count), out);
        at += count;
    }
    return out;
}

std::vector<int16_t> Cleaned(const std::vector<int16_t>& in) {
    NoiseSuppressor suppressor;
    return Cleaned(in, suppressor);
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

// Syllables: bursts of two tones with random lengths and gaps, as loud as a voice, in a faint
// room; each burst starts and stops within a few milliseconds, as a dry voice does.
struct Speech {
    std::vector<double> samples;
    std::vector<size_t> ends;  // where each syllable stops
};

Speech Syllables(size_t count, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<size_t> length(kRate / 8, kRate / 4);
    std::uniform_int_distribution<size_t> gap(kRate / 5, kRate * 4 / 5);
    Speech speech{WhiteNoise(count, 8, seed + 1), {}};
    for (size_t at = kRate / 2; at + kRate / 4 < count;) {
        const size_t end = at + length(random);
        const std::vector<double> tones = Tones(end - at, 6000);
        for (size_t i = at; i < end; ++i) {
            const double edge = std::min<double>({1.0, (i - at) / 40.0, (end - i) / 40.0});
            speech.samples[i] += edge * tones[i - at];
        }
        speech.ends.push_back(end);
        at = end + gap(random);
    }
    return speech;
}

// The same in a room whose echo dies away 60 dB in `seconds`: the direct sound plus a tail of
// noise whose power decays exponentially, 6 dB below the direct sound in all.
std::vector<double> InARoom(const std::vector<double>& dry, double seconds, unsigned seed) {
    std::mt19937 random(seed);
    std::normal_distribution<double> normal;
    const double decay = std::pow(10.0, -6.0 / (seconds * kRate));
    const double share = (1 - decay) / 4;
    std::vector<double> out(dry.size());
    double tail = 0;
    for (size_t i = 0; i < dry.size(); ++i) {
        tail = decay * tail + share * dry[i] * dry[i];
        out[i] = dry[i] + std::sqrt(tail) * normal(random);
    }
    return out;
}

// Power from 60 to 160 ms after each syllable from `from` on, `delay` samples later: the late
// echo, where a dry room has only its faint noise.
double Tails(const Speech& speech, size_t from, const std::vector<int16_t>& samples, size_t delay) {
    double sum = 0;
    size_t count = 0;
    for (const size_t end : speech.ends) {
        if (end < from || end + kRate / 5 + delay >= samples.size())
            continue;
        for (size_t i = end + kRate * 6 / 100; i < end + kRate * 16 / 100; ++i, ++count)
            sum += static_cast<double>(samples[i + delay]) * samples[i + delay];
    }
    return sum / static_cast<double>(count);
}

// Also kept as text: restored from it, the same room; anything else is refused.
TEST(NoiseSuppressorTest, TheRoomsEchoIsMeasuredOnTheFallsOfSoundAndTurnedDown) {
    for (const double seconds : {0.3, 0.6, 0.9}) {
        for (const unsigned seed : {5u, 6u}) {
            const Speech speech = Syllables(12 * kRate, seed);
            const std::vector<int16_t> in = Samples(InARoom(speech.samples, seconds, seed));
            NoiseSuppressor suppressor;
            const std::vector<int16_t> out = Cleaned(in, suppressor);
            EXPECT_NEAR(suppressor.ReverberationTime(), seconds, 0.25 * seconds)
                << seconds << " s, seed " << seed;
            // The late echo after syllables is turned down once the room is known.
            const size_t known = 5 * kRate;
            EXPECT_LT(Decibels(std::sqrt(Tails(speech, known, out, kDelay) /
                                         Tails(speech, known, in, 0))),
                      -2)
                << seconds << " s, seed " << seed;
            NoiseSuppressor restored;
            ASSERT_TRUE(restored.RestoreRoom(suppressor.SavedRoom()));
            EXPECT_EQ(restored.ReverberationTime(), suppressor.ReverberationTime());
            EXPECT_EQ(restored.SavedRoom(), suppressor.SavedRoom());
        }
    }
    // In a dry room no echo is measured.
    NoiseSuppressor dry;
    Cleaned(Samples(Syllables(12 * kRate, 7).samples), dry);
    EXPECT_LT(dry.ReverberationTime(), 0.15);

    NoiseSuppressor restored;
    ASSERT_TRUE(restored.RestoreRoom("0.5\n0.6\n0.7\n0.6\n0.5\n"));
    ASSERT_GT(restored.ReverberationTime(), 0);
    std::string many;
    for (int i = 0; i < 100; ++i) many += "0.5\n";
    const std::string broken[] = {"x\n",   "0.5\n\n", "-0.5\n",      "0\n", "nan\n",
                                  "1e9\n", "0.5 \n",  "0.5\n0.6x\n", many};
    for (const std::string& text : broken) {
        NoiseSuppressor other = restored;
        EXPECT_FALSE(other.RestoreRoom(text)) << text;
        EXPECT_EQ(other.SavedRoom(), restored.SavedRoom()) << text;
    }
    EXPECT_TRUE(restored.RestoreRoom(""));
    EXPECT_EQ(restored.ReverberationTime(), 0);
}

}  // namespace
}  // namespace kazu::listen
