// Takes steady room noise (a fan, a hissing microphone) out of the audio before the recogniser
// hears it. The recogniser's models and starting means come from clean speech, and noise that
// fills the bands where speech is faint made it mishear the first words of an utterance.
//
// Short-time spectral gain: 32 ms frames, half overlapped, a square-root Hann window on both
// sides so that a gain of one gives the input back exactly. The noise spectrum is learned from
// the frames that are no louder than the quietest lately heard, so speech never teaches it and
// a room that grows louder is followed within a second or two.
#pragma once

#include <array>
#include <complex>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace kazu::listen {

class NoiseSuppressor {
  public:
    static constexpr size_t kFrame = 512;  // 32 ms at 16 kHz
    static constexpr size_t kHop = kFrame / 2;
    static constexpr size_t kBins = kFrame / 2 + 1;

    NoiseSuppressor();

    // Appends to `out` the cleaned samples that are complete: the output runs kFrame - kHop
    // samples behind the input.
    void Process(std::span<const int16_t> in, std::vector<int16_t>& out);

  private:
    void ProcessFrame(std::vector<int16_t>& out);

    std::array<float, kFrame> window_{};
    std::array<float, kFrame> input_{};     // the last kFrame input samples, oldest first
    std::array<float, kHop> overlap_{};     // second half of the last frame's synthesis
    std::array<float, kBins> noise_{};      // noise power per bin
    std::array<float, kBins> lastClean_{};  // the previous frame's cleaned power per bin
    std::array<std::complex<float>, kFrame> spectrum_{};
    size_t filled_ = 0;     // new samples in input_ since the last frame
    float quietest_ = 0;    // lately the lowest frame power
    bool learned_ = false;  // the noise spectrum has its first estimate
};

}  // namespace kazu::listen
