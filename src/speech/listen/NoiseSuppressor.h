// Takes steady room noise (a fan, a hissing microphone) out of the audio before the recogniser
// hears it. The recogniser's models and starting means come from clean speech, and noise that
// fills the bands where speech is faint made it mishear the first words of an utterance.
//
// Short-time spectral gain: 32 ms frames, half overlapped, a square-root Hann window on both
// sides so that a gain of one gives the input back exactly. The noise spectrum is learned from
// the frames that are no louder than the quietest lately heard, so speech never teaches it and
// a room that grows louder is followed within a second or two.
//
// It also takes out the late reverberation of a hard-walled room: echo of words gone by that
// smears the next ones. The room's reverberation time is measured on the voice's own falls and
// kept between runs (SavedRoom, RestoreRoom); in a dry room nothing is taken.
#pragma once

#include <array>
#include <complex>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
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

    // The room's reverberation time as measured lately, in seconds; 0 until enough falls of
    // sound have been measured to tell.
    float ReverberationTime() const { return reverberation_; }

    // The falls measured lately as text, one time in seconds a line, to start from next time;
    // RestoreRoom takes such a text and is false (keeping nothing of it) for anything else.
    std::string SavedRoom() const;
    bool RestoreRoom(std::string_view text);

  private:
    void ProcessFrame(std::vector<int16_t>& out);
    void FollowFall(const std::array<float, kBins>& power);
    void AddFall(float seconds);

    std::array<float, kFrame> window_{};
    std::array<float, kFrame> input_{};     // the last kFrame input samples, oldest first
    std::array<float, kHop> overlap_{};     // second half of the last frame's synthesis
    std::array<float, kBins> noise_{};      // noise power per bin
    std::array<float, kBins> lastClean_{};  // the previous frame's cleaned power per bin
    std::array<std::complex<float>, kFrame> spectrum_{};
    // The power heard in each of the last frames, a ring: the source of the late reverberation.
    std::array<std::array<float, kBins>, 3> heard_{};
    size_t heardAt_ = 0;
    std::vector<float> falls_;  // the reverberation times of the latest falls, oldest first
    float reverberation_ = 0;
    float lateShare_ = 0;  // of the power heard three frames ago, the part the room still holds
    // The fall being followed: its top and lowest level (dB), its length and when it passed
    // 10 dB below the top (frames, -1 before).
    float fallTop_ = 0;
    float fallLow_ = 0;
    float fallFrames_ = 0;
    float tenDownAt_ = -1;
    size_t filled_ = 0;     // new samples in input_ since the last frame
    float quietest_ = 0;    // lately the lowest frame power
    bool learned_ = false;  // the noise spectrum has its first estimate
};

}  // namespace kazu::listen
