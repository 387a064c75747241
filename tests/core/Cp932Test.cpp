#include "core/Cp932.h"

#include <gtest/gtest.h>

namespace kazu {
namespace {

using namespace std::string_literals;

TEST(Cp932Test, JapaneseTextRoundTripsWithTheWindowsMapping) {
    // Code points where the Windows table and plain Shift-JIS differ, as bytes on disk.
    const struct {
        const char* utf8;
        const char* cp932;
    } cases[] = {
        {"ＭＳゴシック", "\x82\x6C\x82\x72\x83\x53\x83\x56\x83\x62\x83\x4E"},
        {"～", "\x81\x60"},  // U+FF5E FULLWIDTH TILDE
        {"－", "\x81\x7C"},  // U+FF0D FULLWIDTH HYPHEN-MINUS
        {"∥", "\x81\x61"},   // U+2225 PARALLEL TO
        {"￢", "\x81\xCA"},  // U+FFE2 FULLWIDTH NOT SIGN
        {"ｶﾅ", "\xB6\xC5"},  // half-width katakana are single bytes
        {"a\\b~", "a\\b~"},  // ASCII stays ASCII, backslash and tilde included
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Utf8ToCp932(c.utf8), c.cp932) << c.utf8;
        EXPECT_EQ(Cp932ToUtf8(c.cp932), c.utf8) << c.utf8;
    }
    const std::string sentence = "数ちゃん　１２＋９＝２１　くり上がり";
    EXPECT_EQ(Cp932ToUtf8(Utf8ToCp932(sentence)), sentence);
}

TEST(Cp932Test, WaveDashTypedOnLinuxIsStoredAsTheWindowsTilde) {
    EXPECT_EQ(Utf8ToCp932("〜"), "\x81\x60");  // U+301C, what Linux input methods produce
}

TEST(Cp932Test, CharactersOutsideCp932BecomeOneQuestionMarkEach) {
    EXPECT_EQ(Utf8ToCp932("café"), "caf?");
    EXPECT_EQ(Utf8ToCp932("a😀b"), "a?b");
    EXPECT_EQ(Utf8ToCp932("é数é"), "?\x90\x94?");
}

TEST(Cp932Test, InvalidCp932GivesNothing) {
    for (const std::string& bytes : {"\x80"s, "\xA0"s, "\xFD"s, "\xFF"s, "\x82"s, "ab\x82"s,
                                     "\x82\x20"s, "\x82\x7F"s, "\x82\0"s}) {
        EXPECT_EQ(Cp932ToUtf8(bytes), std::nullopt) << testing::PrintToString(bytes);
    }
    EXPECT_EQ(Cp932ToUtf8(""), "");
}

TEST(Cp932Test, LengthCountsCp932Bytes) {
    EXPECT_EQ(Cp932Length("ＭＳ"), 4);
    EXPECT_EQ(Cp932Length("abc"), 3);
    EXPECT_EQ(Cp932Length(""), 0);
    EXPECT_EQ(Cp932Length("１２ｶﾅ3"), 7);
    EXPECT_EQ(Cp932Length("café"), 4);  // as the "?" it is saved as
}

TEST(Cp932Test, InvalidUtf8IsReplacedNotFatal) {
    for (const std::string& text : {"\xFF\xFE"s, "\xE3\x81"s, "\x80\x80x"s, "a\xC3"s,
                                    "\xED\xA0\x80"s, "\xF4\x90\x80\x80"s, "\0\xE3"s}) {
        const std::string converted = Utf8ToCp932(text);
        EXPECT_NE(converted.find('?'), std::string::npos) << testing::PrintToString(text);
        EXPECT_TRUE(Cp932ToUtf8(converted).has_value());
        EXPECT_EQ(Cp932Length(text), static_cast<int>(converted.size()));
    }
}

// The settings file depends on this: text read from CP932 is saved as bytes that read back
// as the same text, for every character the code page has.
TEST(Cp932Test, EveryCp932CharacterIsStableThroughASave) {
    int characters = 0;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            const std::string bytes = {static_cast<char>(lead), static_cast<char>(trail)};
            const std::optional<std::string> text = Cp932ToUtf8(bytes);
            if (!text) {
                continue;
            }
            ++characters;
            ASSERT_EQ(Cp932ToUtf8(Utf8ToCp932(*text)), text) << lead << " " << trail;
            ASSERT_EQ(Cp932Length(*text), 2);
        }
    }
    EXPECT_GT(characters, 7000);
}

}  // namespace
}  // namespace kazu
