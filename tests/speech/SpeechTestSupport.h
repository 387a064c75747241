// What the speech tests share: the installed voice, scratch folders, phoneme strings.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "speech/OpenJTalkSynth.h"

namespace kazu {

// True when scripts/setup has installed the dictionary and a voice that loads.
inline bool VoiceInstalled() {
    static const bool installed = [] {
        OpenJTalkSynth synth;
        return !LoadFirstVoice(synth, OpenJTalkPaths::Installed()).empty();
    }();
    return installed;
}

#define KAZU_REQUIRE_VOICE()                                                   \
    if (!VoiceInstalled()) {                                                   \
        GTEST_SKIP() << "Open JTalk's voice is not installed (scripts/setup)"; \
    }

// The phonemes of a piece without its silences and pauses, space-separated.
inline std::string Spoken(const SpeechPiece& piece) {
    std::string text;
    for (const auto& phoneme : piece.phonemes) {
        if (phoneme.name != "sil" && phoneme.name != "pau") {
            text += (text.empty() ? "" : " ") + phoneme.name;
        }
    }
    return text;
}

// A fresh folder under the system's temporary folder, removed with the object.
class ScratchFolder {
  public:
    ScratchFolder() {
        path_ =
            std::filesystem::temp_directory_path() /
            ("kazu-speech-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~ScratchFolder() { std::filesystem::remove_all(path_); }
    std::string Write(const std::string& name, const std::string& bytes) const {
        const auto file = path_ / name;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << bytes;
        return file.string();
    }
    std::string path() const { return path_.string(); }

  private:
    std::filesystem::path path_;
};

}  // namespace kazu
