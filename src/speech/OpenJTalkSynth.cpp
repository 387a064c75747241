#include "speech/OpenJTalkSynth.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "core/InstallLayout.h"

// Open JTalk's and hts_engine's C interfaces; their TRUE/FALSE macros stay in this file.
// The types come first: the other headers use them.
#include <HTS_engine.h>
#include <jpcommon.h>
#include <mecab.h>
#include <njd.h>

#include <mecab2njd.h>
#include <njd2jpcommon.h>
#include <njd_set_accent_phrase.h>
#include <njd_set_accent_type.h>
#include <njd_set_digit.h>
#include <njd_set_long_vowel.h>
#include <njd_set_pronunciation.h>
#include <njd_set_unvoiced_vowel.h>
#include <text2mecab.h>

namespace kazu {
namespace fs = std::filesystem;

namespace {

constexpr double kLeadSeconds = 0.03;         // silence kept before a piece
constexpr double kTailSeconds = 0.1;          // … after a piece that ends without a mark
constexpr double kSentenceTailSeconds = 0.3;  // … after a sentence: its natural pause

bool IsJapaneseVoice(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::string head(4096, '\0');
    file.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<size_t>(file.gcount()));
    return head.find("FULLCONTEXT_FORMAT:HTS_TTS_JPN") != std::string::npos;
}

// "mei_normal" → "Mei (normal) — Open JTalk".
std::string Describe(const fs::path& path) {
    std::string stem = path.stem().string();
    std::string variant;
    if (const size_t cut = stem.find('_'); cut != std::string::npos) {
        variant = stem.substr(cut + 1);
        stem.erase(cut);
        std::replace(variant.begin(), variant.end(), '_', ' ');
    }
    if (!stem.empty()) {
        stem[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(stem[0])));
    }
    return stem + (variant.empty() ? "" : " (" + variant + ")") + " — Open JTalk";
}

void CollectVoices(const fs::path& folder, int depth, std::vector<fs::path>& found) {
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const fs::path& path = it->path();
        if (depth > 0 && it->is_directory(error)) {
            CollectVoices(path, depth - 1, found);
        } else if (path.extension() == ".htsvoice" && it->is_regular_file(error) &&
                   IsJapaneseVoice(path)) {
            found.push_back(path);
        }
    }
}

// The marks after which the model's own pause is kept in full.
bool EndsWithMark(const std::string& piece) {
    static const char* const kMarks[] = {"。", "！", "？", "!",  "?",  "、",
                                         "，", ",",  "」", "』", "）", ")"};
    return std::any_of(std::begin(kMarks), std::end(kMarks), [&](const char* mark) {
        const std::string_view end(mark);
        return piece.size() >= end.size() &&
               piece.compare(piece.size() - end.size(), end.size(), end) == 0;
    });
}

// The phoneme of a full-context label: "xx^xx-ky+u=…" → "ky".
std::string PhonemeOf(const char* label) {
    const std::string_view text(label);
    const size_t from = text.find('-');
    const size_t to = text.find('+', from);
    if (from == std::string_view::npos || to == std::string_view::npos) {
        return {};
    }
    return std::string(text.substr(from + 1, to - from - 1));
}

}  // namespace

std::vector<InstalledVoice> FindVoices(const std::vector<std::string>& folders,
                                       const std::string& preferred) {
    std::vector<fs::path> found;
    for (const auto& folder : folders) {
        CollectVoices(folder, 1, found);
    }
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end());
    std::stable_partition(found.begin(), found.end(),
                          [&](const fs::path& path) { return path.filename() == preferred; });
    std::vector<InstalledVoice> voices;
    for (const auto& path : found) {
        voices.push_back({path.string(), Describe(path)});
    }
    return voices;
}

OpenJTalkPaths OpenJTalkPaths::Installed() {
    // The voices installed with the program, or for a program run from its build folder those
    // scripts/setup-voice copied.
    const std::string installed = InstalledDataFolder();
    return {KAZU_OPENJTALK_DICTIONARY,
            {installed.empty() ? std::string(KAZU_VOICE_DIR) : installed + "voice",
             "/usr/share/hts-voice"}};
}

std::vector<InstalledVoice> LoadFirstVoice(OpenJTalkSynth& synth, const OpenJTalkPaths& paths) {
    std::vector<InstalledVoice> voices = FindVoices(paths.voiceFolders, paths.preferredVoice);
    while (!voices.empty() && !synth.Load(paths.dictionary, voices.front().path)) {
        voices.erase(voices.begin());
    }
    return voices;
}

struct OpenJTalkSynth::Engine {
    Mecab mecab;
    NJD njd;
    JPCommon jpcommon;
    HTS_Engine hts;
    bool loaded = false;

    Engine() { Initialize(); }
    ~Engine() { Clear(); }

    void Initialize() {
        Mecab_initialize(&mecab);
        NJD_initialize(&njd);
        JPCommon_initialize(&jpcommon);
        HTS_Engine_initialize(&hts);
    }
    void Clear() {
        Mecab_clear(&mecab);
        NJD_clear(&njd);
        JPCommon_clear(&jpcommon);
        HTS_Engine_clear(&hts);
        loaded = false;
    }

    size_t FramesPerSecond() { return HTS_Engine_get_sampling_frequency(&hts) / Period(); }
    size_t Period() { return std::max<size_t>(1, HTS_Engine_get_fperiod(&hts)); }

    // Frames of each label in the state sequence generated last.
    std::vector<size_t> LabelFrames(size_t count) {
        const size_t states = HTS_Engine_get_nstate(&hts);
        std::vector<size_t> frames(count, 0);
        for (size_t label = 0; label < count; ++label) {
            for (size_t state = 0; state < states; ++state) {
                frames[label] += HTS_Engine_get_state_duration(&hts, label * states + state);
            }
        }
        return frames;
    }

    // The model's durations at `speed`, with the silences at both ends shortened; hts_engine
    // keeps durations that the labels carry as times (in 100 ns), so a second pass renders
    // only what will sound.
    std::vector<size_t> TrimmedFrames(char** labels, size_t count, double speed,
                                      double tailSeconds) {
        HTS_Engine_set_phoneme_alignment_flag(&hts, FALSE);
        HTS_Engine_set_speed(&hts, speed);
        std::vector<size_t> frames;
        if (HTS_Engine_generate_state_sequence_from_strings(&hts, labels, count) == TRUE) {
            frames = LabelFrames(count);
        }
        HTS_Engine_refresh(&hts);
        if (frames.empty()) {
            return frames;
        }
        const size_t states = HTS_Engine_get_nstate(&hts);
        const auto cap = [&](size_t& value, double seconds) {
            const auto wanted = static_cast<size_t>(std::lround(seconds * FramesPerSecond()));
            value = std::min(value, std::max(states, wanted));
        };
        cap(frames.front(), kLeadSeconds);
        cap(frames.back(), tailSeconds);
        return frames;
    }

    SpeechPiece Render(char** labels, size_t count, double speed, double tailSeconds, double gain) {
        const std::vector<size_t> frames = TrimmedFrames(labels, count, speed, tailSeconds);
        if (frames.empty()) {
            return {};
        }
        const double ticksPerFrame = 1e7 * static_cast<double>(Period()) /
                                     static_cast<double>(HTS_Engine_get_sampling_frequency(&hts));
        std::vector<std::string> timed(count);
        std::vector<char*> lines(count);
        size_t at = 0;
        for (size_t i = 0; i < count; ++i) {
            const auto start = std::llround(static_cast<double>(at) * ticksPerFrame);
            at += frames[i];
            const auto end = std::llround(static_cast<double>(at) * ticksPerFrame);
            timed[i] = std::to_string(start) + " " + std::to_string(end) + " " + labels[i];
            lines[i] = timed[i].data();
        }
        HTS_Engine_set_phoneme_alignment_flag(&hts, TRUE);
        SpeechPiece piece;
        if (HTS_Engine_synthesize_from_strings(&hts, lines.data(), count) == TRUE) {
            piece = Collect(labels, count, gain);
        }
        HTS_Engine_set_phoneme_alignment_flag(&hts, FALSE);
        HTS_Engine_refresh(&hts);
        return piece;
    }

    SpeechPiece Collect(char** labels, size_t count, double gain) {
        SpeechPiece piece;
        const size_t samples = HTS_Engine_get_nsamples(&hts);
        piece.samples.resize(samples);
        for (size_t i = 0; i < samples; ++i) {
            const double value = HTS_Engine_get_generated_speech(&hts, i) * gain;
            piece.samples[i] =
                static_cast<int16_t>(std::lround(std::clamp(value, -32768.0, 32767.0)));
        }
        const std::vector<size_t> frames = LabelFrames(count);
        size_t at = 0;
        for (size_t i = 0; i < count; ++i) {
            const size_t end = std::min(samples, at + frames[i] * Period());
            piece.phonemes.push_back({PhonemeOf(labels[i]), at, end});
            at = end;
        }
        return piece;
    }
};

OpenJTalkSynth::OpenJTalkSynth() : engine_(std::make_unique<Engine>()) {}

OpenJTalkSynth::~OpenJTalkSynth() = default;

bool OpenJTalkSynth::Load(const std::string& dictionaryFolder, const std::string& voiceFile) {
    Engine& e = *engine_;
    if (e.loaded) {
        e.Clear();
        e.Initialize();
    }
    e.loaded = !dictionaryFolder.empty() && !voiceFile.empty() &&
               LoadsSafely(dictionaryFolder, voiceFile) && LoadHere(dictionaryFolder, voiceFile);
    if (!e.loaded) {
        e.Clear();
        e.Initialize();
    }
    return e.loaded;
}

bool OpenJTalkSynth::LoadHere(const std::string& dictionaryFolder, const std::string& voiceFile) {
    Engine& e = *engine_;
    std::string voice = voiceFile;
    char* voices[] = {voice.data()};
    e.loaded = Mecab_load(&e.mecab, dictionaryFolder.c_str()) == TRUE &&
               HTS_Engine_load(&e.hts, voices, 1) == TRUE &&
               std::string_view(HTS_Engine_get_fullcontext_label_format(&e.hts)) == "HTS_TTS_JPN";
    return e.loaded;
}

// hts_engine trusts its voice file: a damaged one overruns its fixed buffers or calls exit().
// So a child process loads and speaks with it first, and only a voice that survives there is
// loaded here.
bool OpenJTalkSynth::LoadsSafely(const std::string& dictionaryFolder,
                                 const std::string& voiceFile) {
    // The child of a threaded program can block on a lock another thread held at the fork (an
    // allocator's, while the window's thread allocates): such a child is killed and the probe
    // made again, since the next fork meets the lock free. A broken voice fails every time.
    for (int attempt = 0; attempt < 3; ++attempt) {
        switch (Probe(dictionaryFolder, voiceFile)) {
            case ProbeResult::kSound:
                return true;
            case ProbeResult::kBroken:
                return false;
            case ProbeResult::kHung:
                break;
        }
    }
    return false;
}

OpenJTalkSynth::ProbeResult OpenJTalkSynth::Probe(const std::string& dictionaryFolder,
                                                  const std::string& voiceFile) {
    std::fflush(nullptr);  // nothing buffered is written twice
    const pid_t child = fork();
    if (child < 0) {
        return ProbeResult::kBroken;
    }
    if (child == 0) {
        OpenJTalkSynth probe;
        const bool sound = probe.LoadHere(dictionaryFolder, voiceFile) &&
                           !probe.Synthesize("テスト", 1.0, 1.0).samples.empty();
        _exit(sound ? 0 : 1);
    }
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (true) {
        const pid_t done = waitpid(child, &status, WNOHANG);
        if (done == child) {
            return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? ProbeResult::kSound
                                                                 : ProbeResult::kBroken;
        }
        const bool lost = done < 0 && errno != EINTR;
        if (lost || std::chrono::steady_clock::now() > deadline) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            return lost ? ProbeResult::kBroken : ProbeResult::kHung;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

bool OpenJTalkSynth::loaded() const {
    return engine_->loaded;
}

int OpenJTalkSynth::sampleRate() const {
    return engine_->loaded ? static_cast<int>(HTS_Engine_get_sampling_frequency(&engine_->hts)) : 0;
}

SpeechPiece OpenJTalkSynth::Synthesize(const std::string& piece, double speed, double gain) {
    Engine& e = *engine_;
    if (!e.loaded || piece.empty()) {
        return {};
    }
    // text2mecab widens each ASCII character to a 3-byte full-width one and never checks
    // the room it has.
    std::vector<char> text(piece.size() * 3 + 16);
    text2mecab(text.data(), piece.c_str());
    Mecab_analysis(&e.mecab, text.data());
    mecab2njd(&e.njd, Mecab_get_feature(&e.mecab), Mecab_get_size(&e.mecab));
    njd_set_pronunciation(&e.njd);
    njd_set_digit(&e.njd);
    njd_set_accent_phrase(&e.njd);
    njd_set_accent_type(&e.njd);
    njd_set_unvoiced_vowel(&e.njd);
    njd_set_long_vowel(&e.njd);
    njd2jpcommon(&e.jpcommon, &e.njd);
    JPCommon_make_label(&e.jpcommon);
    SpeechPiece result;
    const int count = JPCommon_get_label_size(&e.jpcommon);
    if (count > 2) {  // more than the silences at both ends
        const double tail = EndsWithMark(piece) ? kSentenceTailSeconds : kTailSeconds;
        result = e.Render(JPCommon_get_label_feature(&e.jpcommon), static_cast<size_t>(count),
                          speed, tail, gain);
    }
    JPCommon_refresh(&e.jpcommon);
    NJD_refresh(&e.njd);
    Mecab_refresh(&e.mecab);
    return result;
}

}  // namespace kazu
