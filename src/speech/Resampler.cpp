#include "speech/Resampler.h"

#include <algorithm>
#include <cmath>

namespace kazu {

namespace {

constexpr double kTarget = 16000;
constexpr int kPhases = 64;

}  // namespace

Resampler16k::Resampler16k(uint32_t sourceRate) : step_(sourceRate / kTarget) {
    const double rate = sourceRate;
    const double cutoff = std::min(7000.0, 0.45 * rate) / rate;  // cycles a source sample
    half_ = static_cast<int>(std::ceil(8 / (2 * cutoff)));       // 8 zero crossings a side
    table_.resize(kPhases + 1);
    for (int phase = 0; phase <= kPhases; ++phase) {
        double sum = 0;
        std::vector<double>& weights = table_[static_cast<size_t>(phase)];
        for (int tap = -half_ + 1; tap <= half_; ++tap) {
            const double distance = tap - static_cast<double>(phase) / kPhases;
            const double x = 2 * cutoff * distance;
            const double sinc = x == 0 ? 1 : std::sin(M_PI * x) / (M_PI * x);
            weights.push_back(sinc * (0.5 + 0.5 * std::cos(M_PI * distance / half_)));
            sum += weights.back();
        }
        for (double& weight : weights) {
            weight /= sum;  // unit gain
        }
    }
}

void Resampler16k::Feed(const int16_t* samples, size_t count, std::vector<int16_t>& out) {
    window_.insert(window_.end(), samples, samples + count);
    fed_ += static_cast<int64_t>(count);
    Emit(false, out);
}

void Resampler16k::Finish(std::vector<int16_t>& out) {
    Emit(true, out);
}

// Every position whose taps the source has reached; once it has ended, the rest.
void Resampler16k::Emit(bool ended, std::vector<int16_t>& out) {
    for (; position_ < static_cast<double>(fed_); position_ += step_) {
        const auto base = static_cast<int64_t>(position_);
        if (!ended && base + half_ >= fed_) {
            break;
        }
        const std::vector<double>& weights = table_[static_cast<size_t>(
            std::lround((position_ - static_cast<double>(base)) * kPhases))];
        double value = 0;
        for (int tap = -half_ + 1; tap <= half_; ++tap) {
            if (const int64_t at = base + tap; at >= 0 && at < fed_) {
                value += weights[static_cast<size_t>(tap + half_ - 1)] *
                         window_[static_cast<size_t>(at - windowStart_)];
            }
        }
        out.push_back(static_cast<int16_t>(std::lround(std::clamp(value, -32768.0, 32767.0))));
    }
    // What no later position reaches any more.
    const int64_t keepFrom = std::max<int64_t>(0, static_cast<int64_t>(position_) - half_ + 1);
    while (windowStart_ < keepFrom && !window_.empty()) {
        window_.pop_front();
        ++windowStart_;
    }
}

}  // namespace kazu
