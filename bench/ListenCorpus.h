// The listening benchmark's corpus of many voices: what is said (drawn from rules with a seed),
// who says it (Open JTalk with every Japanese voice installed, and speakers made from them with
// its all-pass and pitch settings) and how it reaches the microphone (child-like, pink noise,
// babble, room reverb). Made with bench/setup-voices' packages only; the program never uses them.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QString>
#include <cstdint>
#include <string>
#include <vector>

namespace kazu::bench {

struct Said {
    std::string reading;  // hiragana, as the voice is given it
    std::string text;     // a calculation: what the recogniser should deliver; else empty
};

// Calculations of all four operators and both spellings of plus and minus, both end words,
// numbers counted or said digit by digit, zero as ぜろ and れい, decimals; the numbers drawn
// with `seed`.
std::vector<Said> DrawCalculations(uint32_t seed, int count);
// Everyday sentences a child says near the computer, none of them a command.
std::vector<Said> DrawSentences(uint32_t seed, int count);

struct Speaker {
    QString name;
    QString voice;       // .htsvoice file
    double allPass = 0;  // Open JTalk -a; 0: the voice's own
    double pitch = 0;    // Open JTalk -fm, semitones
};
// Every installed Japanese voice, and more speakers made from them.
std::vector<Speaker> InstalledSpeakers();

enum class Condition { Plain, Child, Pink20, Pink10, Babble20, Babble10, Reverb };
inline constexpr Condition kConditions[] = {
    Condition::Plain,    Condition::Child,    Condition::Pink20, Condition::Pink10,
    Condition::Babble20, Condition::Babble10, Condition::Reverb};
const char* ConditionName(Condition condition);
bool Noisy(Condition condition);

// Records and converts what is missing in `dir`, the recordings kept for the next run.
class Studio {
  public:
    explicit Studio(QDir dir) : dir_(std::move(dir)) {}
    // 16 kHz samples of `speaker` saying `reading`, child-like or in a reverberant room when
    // `condition` says so (noise is added later, with the room around the utterance); empty
    // when a tool failed.
    QByteArray Voice(const Speaker& speaker, const std::string& reading, Condition condition);

  private:
    QDir dir_;
};

// The noise for `condition` around `speech`: as many samples as `lead` + speech + `trail`, at
// its signal-to-noise ratio to the speech; `babble` is a long recording of several voices
// talking at once. Silence (a faint hiss) for the conditions without noise.
QByteArray NoiseFor(Condition condition, const QByteArray& speech, qsizetype leadSamples,
                    qsizetype trailSamples, const QByteArray& babble, uint32_t seed);
QByteArray MixedSamples(const QByteArray& a, const QByteArray& b, qsizetype at = 0);

}  // namespace kazu::bench
