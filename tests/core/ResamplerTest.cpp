// The recordings of `kazuchan --hear`, brought to 16 kHz a block at a time.
#include "speech/Resampler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace kazu {
namespace {

std::vector<int16_t> Resampled(uint32_t rate, const std::vector<int16_t>& source) {
    Resampler16k resampler(rate);
    std::vector<int16_t> out;
    resampler.Feed(source.data(), source.size(), out);
    resampler.Finish(out);
    return out;
}

// However the source is cut into blocks, the same samples come out, as many as the rate asks.
TEST(ResamplerTest, BlocksGiveTheSameSamplesAsTheWhole) {
    std::mt19937 random(5);
    for (const uint32_t rate : {8000u, 16000u, 22050u, 44100u, 48000u}) {
        std::vector<int16_t> source(static_cast<size_t>(rate) / 3);
        for (size_t i = 0; i < source.size(); ++i) {
            source[i] = static_cast<int16_t>(8000 * std::sin(0.01 * static_cast<double>(i)) +
                                             static_cast<int>(random() % 2001) - 1000);
        }
        const std::vector<int16_t> whole = Resampled(rate, source);
        EXPECT_NEAR(static_cast<double>(whole.size()),
                    static_cast<double>(source.size()) * 16000 / rate, 1.0);
        for (int round = 0; round < 20; ++round) {
            Resampler16k resampler(rate);
            std::vector<int16_t> out;
            for (size_t at = 0; at < source.size();) {
                const size_t count = std::min<size_t>(random() % 700, source.size() - at);
                resampler.Feed(source.data() + at, count, out);
                at += count;
            }
            resampler.Finish(out);
            ASSERT_EQ(out, whole) << rate << " Hz, round " << round;
        }
    }
}

// A tone below 7 kHz passes at its level; one above 8 kHz would fold into the band, and is
// taken out.
TEST(ResamplerTest, PassesTheBandAndStopsWhatWouldFold) {
    const auto level = [](double frequency) {
        std::vector<int16_t> tone(48000);
        for (size_t i = 0; i < tone.size(); ++i) {
            tone[i] = static_cast<int16_t>(
                10000 * std::sin(2 * M_PI * frequency * static_cast<double>(i) / 48000));
        }
        const std::vector<int16_t> out = Resampled(48000, tone);
        double sum = 0;
        for (size_t i = 1000; i < out.size() - 1000; ++i) {
            sum += static_cast<double>(out[i]) * out[i];
        }
        return std::sqrt(sum / static_cast<double>(out.size() - 2000)) * std::sqrt(2.0);
    };
    EXPECT_NEAR(level(1000), 10000, 300);
    EXPECT_LT(level(11000), 100);
}

}  // namespace
}  // namespace kazu
