// Japanese synthesis in the program itself: Open JTalk reads the text (dictionary, accents,
// phonemes) and hts_engine makes the samples with an HTS voice. Loaded once, then each piece
// of text costs only its synthesis. Plain C++; not thread-safe: one thread uses one synth.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kazu {

// An HTS voice file found on the machine and the name it is shown with.
struct InstalledVoice {
    std::string path;
    std::string description;  // "Mei (normal) — Open JTalk"
};

// The Japanese HTS voices (*.htsvoice for Open JTalk's labels) in `folders` and one level of
// subfolders, sorted by path, the one whose file name is `preferred` first. Folders that do
// not exist are passed over.
std::vector<InstalledVoice> FindVoices(const std::vector<std::string>& folders,
                                       const std::string& preferred);

struct TimedPhoneme {
    std::string name;  // Open JTalk's phoneme: "a", "ky", "N", "cl", "pau", "sil", …
    size_t start = 0;  // samples from the start of the piece
    size_t end = 0;
};

struct SpeechPiece {
    std::vector<int16_t> samples;  // mono, at the synth's sample rate
    std::vector<TimedPhoneme> phonemes;
};

// Where the dictionary and the voices are.
struct OpenJTalkPaths {
    std::string dictionary;                 // Open JTalk's dictionary folder (UTF-8)
    std::vector<std::string> voiceFolders;  // searched for *.htsvoice
    std::string preferredVoice = "mei_normal.htsvoice";

    // The voices installed with the program (or, run from the build folder, where
    // scripts/setup-voice puts them) and those of Debian's HTS voice packages.
    static OpenJTalkPaths Installed();
};

class OpenJTalkSynth {
  public:
    OpenJTalkSynth();
    ~OpenJTalkSynth();
    OpenJTalkSynth(const OpenJTalkSynth&) = delete;
    OpenJTalkSynth& operator=(const OpenJTalkSynth&) = delete;

    // The dictionary folder (sys.dic, …, UTF-8) and the voice file. False, and nothing
    // loaded, when either cannot be read, the voice is not for Open JTalk's labels or it is
    // damaged (tried first in a child process, which costs about 0.1 s).
    bool Load(const std::string& dictionaryFolder, const std::string& voiceFile);
    bool loaded() const;
    int sampleRate() const;

    // One piece of text (see SplitIntoPieces) at `speed` (1 is the voice's own), its samples
    // scaled by `gain`. The silence before it is cut to a few milliseconds and the one after
    // it to a short pause, so that a key echo sounds at once. Empty when there is nothing to
    // read or nothing is loaded.
    SpeechPiece Synthesize(const std::string& piece, double speed, double gain);

  private:
    bool LoadHere(const std::string& dictionaryFolder, const std::string& voiceFile);
    static bool LoadsSafely(const std::string& dictionaryFolder, const std::string& voiceFile);
    enum class ProbeResult { kSound, kBroken, kHung };
    static ProbeResult Probe(const std::string& dictionaryFolder, const std::string& voiceFile);

    struct Engine;
    std::unique_ptr<Engine> engine_;
};

// Loads the first of the voices found under `paths` that loads. Returns the voices with the
// loaded one first, the ones before it that failed left out; empty when none loads.
std::vector<InstalledVoice> LoadFirstVoice(OpenJTalkSynth& synth, const OpenJTalkPaths& paths);

}  // namespace kazu
