// Recordings of any rate brought to the recogniser's 16 kHz, a block at a time, so that a
// long recording never has to be held whole. Plain C++.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

namespace kazu {

// A Hann-windowed sinc low-pass at 7 kHz, or below the source's own half rate: without it,
// what lies above 8 kHz in a 48 kHz voice folds down into the band the recogniser hears. The
// filter is tabled for 64 phases between source samples. The samples out do not depend on
// how the source is cut into blocks.
class Resampler16k {
  public:
    explicit Resampler16k(uint32_t sourceRate);

    // The next source samples; the 16 kHz samples they complete are appended to `out`.
    void Feed(const int16_t* samples, size_t count, std::vector<int16_t>& out);
    // The source has ended, and is taken as silent after its last sample as before its first.
    void Finish(std::vector<int16_t>& out);

  private:
    void Emit(bool ended, std::vector<int16_t>& out);

    double step_;  // source samples per output sample
    int half_;     // taps on each side of a position
    std::vector<std::vector<double>> table_;
    std::deque<double> window_;  // the source from sample windowStart_ on
    int64_t windowStart_ = 0;
    int64_t fed_ = 0;  // source samples fed so far
    double position_ = 0;
};

}  // namespace kazu
