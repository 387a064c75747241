// What the voice does with a text before and after the synthesiser: cutting it into pieces,
// the mouth shape of each phoneme, the speed and gain of the rate and volume settings, and
// the level of the samples that sound. Plain C++, so the tests and the fuzzer reach it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kazu {

// Longest piece, in bytes of UTF-8, handed to the synthesiser at once: short enough that a
// purge waits little for the piece being synthesised, long enough for a sentence.
inline constexpr size_t kMaxPieceBytes = 150;

// The text as the pieces the synthesiser reads one after the other: each sentence ends after
// 。！？!? or a line break; a longer one is cut after its last 、，, or space within
// kMaxPieceBytes, else at a character boundary. Bytes that are not UTF-8 and control
// characters are dropped, and so are pieces with nothing to read (only marks and spaces).
// Each piece counts as one sentence for Skip.
std::vector<std::string> SplitIntoPieces(const std::string& text);

// The viseme number of an Open JTalk phoneme ("a", "ky", "N", "pau", …); `next` is the
// phoneme after it, which decides the lips of ん.
int VisemeForPhoneme(const std::string& phoneme, const std::string& next);

// Rate 0..10 as a speed factor: 0 is the voice's own speed, 10 half as fast again.
double SpeedForRate(int rate);
// Volume 0..100 as a linear gain 0..1.
double GainForVolume(int volume);

// The loudness of `count` samples as 0..100: RMS from -50 dBFS (0) to full scale (100).
int AudioLevel(const int16_t* samples, size_t count);

}  // namespace kazu
