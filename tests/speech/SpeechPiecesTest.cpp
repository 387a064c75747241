// Cutting texts into pieces, the mouth shape of each phoneme, rate, volume and level.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "speech/SpeechPieces.h"

namespace kazu {
namespace {

using Pieces = std::vector<std::string>;

TEST(SplitIntoPiecesTest, SentencesEndAfterTheirMarkAndClosingBrackets) {
    EXPECT_EQ(SplitIntoPieces("。こんにちわ！はなこちゃん。数ちゃんです。"),
              (Pieces{"こんにちわ！", "はなこちゃん。", "数ちゃんです。"}));
    EXPECT_EQ(SplitIntoPieces("「いいよ。」と言った?!はい"),
              (Pieces{"「いいよ。」", "と言った?!", "はい"}));
    EXPECT_EQ(SplitIntoPieces("いち\nに\r\nさん"), (Pieces{"いち", "に", "さん"}));
    // A decimal point is read, not a sentence end.
    EXPECT_EQ(SplitIntoPieces("0.5+0.25"), (Pieces{"0.5+0.25"}));
}

TEST(SplitIntoPiecesTest, NothingToReadIsLeftOut) {
    EXPECT_TRUE(SplitIntoPieces("").empty());
    EXPECT_TRUE(SplitIntoPieces("。、！？　 ー〜").empty());
    EXPECT_EQ(SplitIntoPieces("。。+。"), (Pieces{"+。"}));
}

TEST(SplitIntoPiecesTest, BrokenUtf8AndControlCharactersAreDropped) {
    // A lone continuation byte, a truncated sequence, an overlong "/", a surrogate.
    EXPECT_EQ(SplitIntoPieces("あ\x80い\xE3\x81う\xC0\xAF\xED\xA0\x80え"), (Pieces{"あいうえ"}));
    EXPECT_EQ(SplitIntoPieces(std::string("に\0\x1B\x7Fさん\tよん", 19)), (Pieces{"にさん よん"}));
    EXPECT_EQ(SplitIntoPieces("ん\xE3"), (Pieces{"ん"}));
}

TEST(SplitIntoPiecesTest, LongSentencesAreCutAtACommaOrACharacter) {
    std::string clause;
    for (int i = 0; i < 30; ++i) {
        clause += "か";  // 90 bytes
    }
    const Pieces cut = SplitIntoPieces(clause + "、" + clause + "。");
    ASSERT_EQ(cut.size(), 2u);
    EXPECT_EQ(cut[0], clause + "、");
    EXPECT_EQ(cut[1], clause + "。");

    // No comma: cut at the last whole character within the limit, nothing lost.
    std::string text;
    for (int i = 0; i < 1000; ++i) {
        text += i % 7 == 0 ? "a" : "数";
    }
    const Pieces pieces = SplitIntoPieces(text);
    std::string joined;
    for (size_t i = 0; i < pieces.size(); ++i) {
        EXPECT_LE(pieces[i].size(), kMaxPieceBytes);
        if (i + 1 < pieces.size()) {
            EXPECT_GT(pieces[i].size(), kMaxPieceBytes - 3);
        }
        EXPECT_EQ(SplitIntoPieces(pieces[i]), (Pieces{pieces[i]})) << "a character was split";
        joined += pieces[i];
    }
    EXPECT_EQ(joined.size(), text.size());
}

TEST(VisemeForPhonemeTest, VowelsAndSilences) {
    EXPECT_EQ(VisemeForPhoneme("a", ""), 2);
    EXPECT_EQ(VisemeForPhoneme("i", ""), 6);
    EXPECT_EQ(VisemeForPhoneme("u", ""), 7);
    EXPECT_EQ(VisemeForPhoneme("e", ""), 4);
    EXPECT_EQ(VisemeForPhoneme("o", ""), 10);
    EXPECT_EQ(VisemeForPhoneme("U", ""), 7);  // the unvoiced す of です
    EXPECT_EQ(VisemeForPhoneme("I", ""), 6);
    for (const char* silence : {"sil", "pau", "cl", "", "xx"}) {
        EXPECT_EQ(VisemeForPhoneme(silence, "a"), 0) << silence;
    }
}

TEST(VisemeForPhonemeTest, ConsonantsTakeTheirSapiGroup) {
    const std::vector<std::pair<const char*, int>> table = {
        {"k", 20},  {"gy", 20}, {"s", 15}, {"z", 15}, {"ts", 15}, {"sh", 16},
        {"ch", 16}, {"j", 16},  {"t", 19}, {"d", 19}, {"ny", 19}, {"h", 12},
        {"hy", 12}, {"f", 18},  {"v", 18}, {"m", 21}, {"py", 21}, {"b", 21},
        {"r", 13},  {"ry", 13}, {"w", 7},  {"y", 6}};
    for (const auto& [phoneme, viseme] : table) {
        EXPECT_EQ(VisemeForPhoneme(phoneme, "a"), viseme) << phoneme;
    }
    // ん: lips closed before m, p, b (さんぽ), tongue otherwise (みかん).
    EXPECT_EQ(VisemeForPhoneme("N", "p"), 21);
    EXPECT_EQ(VisemeForPhoneme("N", "my"), 21);
    EXPECT_EQ(VisemeForPhoneme("N", "k"), 19);
    EXPECT_EQ(VisemeForPhoneme("N", "sil"), 19);
}

TEST(RateVolumeLevelTest, RangesAreClampedAndMonotonic) {
    EXPECT_DOUBLE_EQ(SpeedForRate(0), 1.0);
    EXPECT_DOUBLE_EQ(SpeedForRate(-3), 1.0);
    EXPECT_DOUBLE_EQ(SpeedForRate(10), 1.5);
    EXPECT_DOUBLE_EQ(SpeedForRate(99), 1.5);
    EXPECT_LT(SpeedForRate(4), SpeedForRate(5));
    EXPECT_DOUBLE_EQ(GainForVolume(0), 0.0);
    EXPECT_DOUBLE_EQ(GainForVolume(55), 0.55);
    EXPECT_DOUBLE_EQ(GainForVolume(300), 1.0);
}

TEST(RateVolumeLevelTest, LevelFollowsLoudness) {
    std::vector<int16_t> samples(960, 0);
    EXPECT_EQ(AudioLevel(samples.data(), samples.size()), 0);
    EXPECT_EQ(AudioLevel(samples.data(), 0), 0);
    for (size_t i = 0; i < samples.size(); ++i) {
        samples[i] = i % 2 == 0 ? 32767 : -32768;  // full scale
    }
    EXPECT_EQ(AudioLevel(samples.data(), samples.size()), 100);
    for (auto& sample : samples) {
        sample = static_cast<int16_t>(sample / 10);  // -20 dB
    }
    EXPECT_EQ(AudioLevel(samples.data(), samples.size()), 60);
}

}  // namespace
}  // namespace kazu
