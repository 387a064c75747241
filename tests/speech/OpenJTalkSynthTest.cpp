// The synthesiser with the installed dictionary and voice: the words really come out.
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "SpeechTestSupport.h"
#include "speech/SpeechPieces.h"

namespace kazu {
namespace {

class OpenJTalkSynthTest : public ::testing::Test {
  protected:
    void SetUp() override {
        KAZU_REQUIRE_VOICE();
        ASSERT_FALSE(LoadFirstVoice(synth_, OpenJTalkPaths::Installed()).empty());
    }
    double Seconds(const SpeechPiece& piece) const {
        return static_cast<double>(piece.samples.size()) / synth_.sampleRate();
    }
    double Milliseconds(const TimedPhoneme& phoneme) const {
        return 1000.0 * static_cast<double>(phoneme.end - phoneme.start) / synth_.sampleRate();
    }
    OpenJTalkSynth synth_;
};

TEST_F(OpenJTalkSynthTest, ReadsTheSumAloud) {
    const SpeechPiece piece = synth_.Synthesize("12たす9イコール21", 1.0, 1.0);
    EXPECT_EQ(synth_.sampleRate(), 48000);
    // じゅうに たす きゅう イコール にじゅういち
    EXPECT_EQ(Spoken(piece), "j u u n i t a s U ky u u i k o o r u n i j u u i ch i");
    EXPECT_GT(Seconds(piece), 1.5);
    EXPECT_LT(Seconds(piece), 3.0);
    const auto peak = std::max_element(piece.samples.begin(), piece.samples.end(),
                                       [](int a, int b) { return std::abs(a) < std::abs(b); });
    EXPECT_GT(std::abs(*peak), 3000) << "the samples are (nearly) silent";
}

TEST_F(OpenJTalkSynthTest, PhonemesTileThePieceWithShortSilencesAtTheEnds) {
    const SpeechPiece piece = synth_.Synthesize("12たす9イコール21", 1.0, 1.0);
    ASSERT_GE(piece.phonemes.size(), 3u);
    EXPECT_EQ(piece.phonemes.front().name, "sil");
    EXPECT_EQ(piece.phonemes.back().name, "sil");
    EXPECT_EQ(piece.phonemes.front().start, 0u);
    EXPECT_EQ(piece.phonemes.back().end, piece.samples.size());
    for (size_t i = 1; i < piece.phonemes.size(); ++i) {
        EXPECT_EQ(piece.phonemes[i].start, piece.phonemes[i - 1].end) << i;
        EXPECT_GT(piece.phonemes[i].end, piece.phonemes[i].start) << i;
    }
    // A key echo sounds at once; the voice alone would wait about 200 ms.
    EXPECT_LE(Milliseconds(piece.phonemes.front()), 35.0);
    EXPECT_LE(Milliseconds(piece.phonemes.back()), 105.0);
    // After a sentence the natural pause stays.
    const SpeechPiece sentence = synth_.Synthesize("はい。", 1.0, 1.0);
    EXPECT_GT(Milliseconds(sentence.phonemes.back()), 105.0);
    EXPECT_LE(Milliseconds(sentence.phonemes.back()), 305.0);
}

TEST_F(OpenJTalkSynthTest, ReadsTheGreetingPieceByPiece) {
    const std::vector<std::string> expected = {
        "k o N n i ch i w a",
        "h a n a k o ch a N",
        "k a z u ch a N d e s U",
        "i m a w a k i i t o m a u s u n i y o r u k e e s a N m o o d o d e s U",
        "d e w a d o o z o o",
    };
    const auto pieces = SplitIntoPieces(
        "。こんにちわ！はなこちゃん。数ちゃんです。今はキーとマウスによる計算モードです。では、"
        "どーぞー。");
    ASSERT_EQ(pieces.size(), expected.size());
    double seconds = 0;
    for (size_t i = 0; i < pieces.size(); ++i) {
        const SpeechPiece piece = synth_.Synthesize(pieces[i], 1.0, 1.0);
        EXPECT_EQ(Spoken(piece), expected[i]) << pieces[i];
        seconds += Seconds(piece);
    }
    EXPECT_GT(seconds, 6.0);
    EXPECT_LT(seconds, 10.0);
}

TEST_F(OpenJTalkSynthTest, TheFastestRateStaysClear) {
    const std::string text = "今はキーとマウスによる計算モードです。";
    const SpeechPiece normal = synth_.Synthesize(text, SpeedForRate(0), 1.0);
    const SpeechPiece fast = synth_.Synthesize(text, SpeedForRate(10), 1.0);
    EXPECT_EQ(Spoken(fast), Spoken(normal));
    EXPECT_LT(Seconds(fast), 0.85 * Seconds(normal));
    std::vector<double> vowels;
    for (const auto& phoneme : fast.phonemes) {
        if (std::string("aiueo").find(phoneme.name) != std::string::npos &&
            phoneme.name.size() == 1) {
            vowels.push_back(Milliseconds(phoneme));
        }
    }
    ASSERT_FALSE(vowels.empty());
    std::sort(vowels.begin(), vowels.end());
    EXPECT_GE(vowels[vowels.size() / 2], 45.0) << "median vowel at rate 10";
    EXPECT_GE(vowels[vowels.size() / 10], 35.0) << "short vowels at rate 10";
}

TEST_F(OpenJTalkSynthTest, GainScalesTheSamples) {
    const SpeechPiece full = synth_.Synthesize("さん", 1.0, 1.0);
    const SpeechPiece half = synth_.Synthesize("さん", 1.0, 0.5);
    const SpeechPiece mute = synth_.Synthesize("さん", 1.0, 0.0);
    ASSERT_EQ(half.samples.size(), full.samples.size());
    for (size_t i = 0; i < full.samples.size(); i += 97) {
        EXPECT_NEAR(half.samples[i], full.samples[i] / 2.0, 1.0) << i;
    }
    EXPECT_TRUE(std::all_of(mute.samples.begin(), mute.samples.end(),
                            [](int16_t sample) { return sample == 0; }));
    EXPECT_EQ(mute.phonemes.size(), full.phonemes.size());
}

TEST_F(OpenJTalkSynthTest, WhatCannotBeReadGivesNothingAndNoHarm) {
    for (const char* text : {"😀🎉", "∮⊕", "", "ーーー", "、、"}) {
        const SpeechPiece piece = synth_.Synthesize(text, 1.0, 1.0);
        EXPECT_TRUE(piece.samples.empty()) << text;
        EXPECT_TRUE(piece.phonemes.empty()) << text;
    }
    // Latin letters and symbols are spelled out; the synth still works after all of these.
    EXPECT_FALSE(synth_.Synthesize("abc+%", 1.0, 1.0).samples.empty());
    EXPECT_EQ(Spoken(synth_.Synthesize("いち", 1.0, 1.0)), "i ch i");
}

TEST(FindVoicesTest, JapaneseVoicesOnlyThePreferredFirst) {
    ScratchFolder folder;
    const std::string japanese = "[GLOBAL]\nFULLCONTEXT_FORMAT:HTS_TTS_JPN\n";
    folder.Write("zeta_sad_deep.htsvoice", japanese);
    folder.Write("mei/mei_normal.htsvoice", japanese);
    folder.Write("mei/mei_angry.htsvoice", japanese);
    folder.Write("english.htsvoice", "[GLOBAL]\nFULLCONTEXT_FORMAT:HTS_TTS_ENG\n");
    folder.Write("notes.txt", japanese);
    folder.Write("a/b/too_deep.htsvoice", japanese);
    const auto voices =
        FindVoices({folder.path(), folder.path() + "/missing"}, "mei_normal.htsvoice");
    ASSERT_EQ(voices.size(), 3u);
    EXPECT_EQ(voices[0].description, "Mei (normal) — Open JTalk");
    EXPECT_EQ(voices[1].description, "Mei (angry) — Open JTalk");
    EXPECT_EQ(voices[2].description, "Zeta (sad deep) — Open JTalk");
    EXPECT_TRUE(FindVoices({folder.path() + "/missing"}, "mei_normal.htsvoice").empty());
}

TEST(OpenJTalkSynthLoadTest, BrokenFilesLoadNothing) {
    KAZU_REQUIRE_VOICE();
    const OpenJTalkPaths installed = OpenJTalkPaths::Installed();
    const std::string voice =
        FindVoices(installed.voiceFolders, installed.preferredVoice).front().path;
    ScratchFolder folder;
    folder.Write("dic/sys.dic", std::string(5000, '\x5A'));
    folder.Write("dic/matrix.bin", "garbage");
    const std::string brokenVoice =
        folder.Write("broken.htsvoice",
                     "[GLOBAL]\nFULLCONTEXT_FORMAT:HTS_TTS_JPN\n" + std::string(100000, '\x7F'));
    OpenJTalkSynth synth;
    EXPECT_FALSE(synth.Load(folder.path() + "/dic", voice));
    EXPECT_FALSE(synth.Load(installed.dictionary, brokenVoice));
    EXPECT_FALSE(synth.Load(installed.dictionary, folder.path() + "/missing.htsvoice"));
    EXPECT_FALSE(synth.Load("", voice));
    EXPECT_FALSE(synth.loaded());
    EXPECT_EQ(synth.sampleRate(), 0);
    EXPECT_TRUE(synth.Synthesize("いち", 1.0, 1.0).samples.empty());
    // A good load after the failures works.
    ASSERT_TRUE(synth.Load(installed.dictionary, voice));
    EXPECT_EQ(Spoken(synth.Synthesize("いち", 1.0, 1.0)), "i ch i");
}

TEST(OpenJTalkSynthLoadTest, TheFirstVoiceThatLoadsSpeaks) {
    KAZU_REQUIRE_VOICE();
    const OpenJTalkPaths installed = OpenJTalkPaths::Installed();
    ScratchFolder folder;
    folder.Write("mei_normal.htsvoice", "[GLOBAL]\nFULLCONTEXT_FORMAT:HTS_TTS_JPN\nbroken");
    std::filesystem::copy_file(
        FindVoices(installed.voiceFolders, "mei_happy.htsvoice").front().path,
        folder.path() + "/mei_happy.htsvoice");
    OpenJTalkSynth synth;
    const auto voices = LoadFirstVoice(synth, {installed.dictionary, {folder.path()}});
    ASSERT_EQ(voices.size(), 1u);
    EXPECT_EQ(voices[0].description, "Mei (happy) — Open JTalk");
    EXPECT_TRUE(synth.loaded());
    EXPECT_TRUE(LoadFirstVoice(synth, {installed.dictionary, {folder.path() + "/none"}}).empty());
}

}  // namespace
}  // namespace kazu
