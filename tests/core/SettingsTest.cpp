#include "core/Settings.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "core/Cp932.h"

namespace kazu {
namespace {

using namespace std::string_literals;

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// A fresh folder per test, removed afterwards.
class TempFolder {
  public:
    TempFolder() {
        static int counter = 0;
        path_ = fs::path(testing::TempDir()) /
                ("kazu_settings_" + std::to_string(getpid()) + "_" + std::to_string(++counter));
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ignored;
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(path_, ignored);
    }
    const fs::path& path() const { return path_; }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

  private:
    fs::path path_;
};

// Every field away from its default, all within range.
AppSettings Customised() {
    return AppSettings{.LEFT = -120,
                       .TOP = 31999,
                       .HEIGHT = 480,
                       .WIDTH = 1024,
                       .BLEFT = 7,
                       .BTOP = -8,
                       .FONTNAME = "IPAGothic",
                       .FONTSIZE = 36,
                       .KURIAGARI = 0,
                       .KURISAGARI = 0,
                       .ENZANSPEED = 15,
                       .POINTMAX = 3,
                       .MSGSPEAK = 0,
                       .SIKISPEAK = 0,
                       .KEYSPEAK = 0,
                       .SIKISPRATE = 4,
                       .SIKISPVOLUME = 55,
                       .REIREADF = 1,
                       .USERSYOBINA = "たろうくん",
                       .SP_PANELSHOW = 0,
                       .SPEAKOK = -77,
                       .HEAROK = 1,
                       .SRFLAG = 1,
                       .KAIGYO_FLAG = 1,
                       .EXPLAIN_FLAG = 1,
                       .DSP_CL_TYPE = 1};
}

// Replaces the value of `key` in rendered settings text.
std::string WithValue(std::string text, const std::string& key, const std::string& value) {
    const size_t start = text.find("\r\n" + key + "=") + 2;
    const size_t end = text.find("\r\n", start);
    return text.replace(start, end - start, key + "=" + value);
}

TEST(ParseSettingsTest, NoFileOpensWithTheDefaults) {
    const AppSettings s = ParseSettings("");
    EXPECT_EQ(s, AppSettings{});
    EXPECT_EQ(s.LEFT, 200);
    EXPECT_EQ(s.TOP, 200);
    EXPECT_EQ(s.WIDTH, 804);
    EXPECT_EQ(s.HEIGHT, 400);
    EXPECT_EQ(s.FONTNAME, "ＭＳゴシック");
    EXPECT_EQ(s.FONTSIZE, 40);
    EXPECT_EQ(s.KURIAGARI, 1);
    EXPECT_EQ(s.KURISAGARI, 1);
    EXPECT_EQ(s.SRFLAG, 0);
    EXPECT_EQ(s.SP_PANELSHOW, 1);
}

TEST(ParseSettingsTest, SmallFontSizeIsRaisedToTenAndWrittenBackSo) {
    const AppSettings s = ParseSettings("[FONT]\r\nFONTSIZE=6\r\n");
    EXPECT_EQ(s.FONTSIZE, 10);
    const std::string saved = RenderSettings("[FONT]\r\nFONTSIZE=6\r\n", s);
    EXPECT_NE(saved.find("\r\nFONTSIZE=10\r\n"), std::string::npos);
    EXPECT_EQ(saved.find("FONTSIZE=6"), std::string::npos);

    EXPECT_EQ(ParseSettings("[FONT]\nFONTSIZE=-3").FONTSIZE, 10);
    EXPECT_EQ(ParseSettings("[FONT]\nFONTSIZE=400").FONTSIZE, 400);
    EXPECT_EQ(ParseSettings("[FONT]\nFONTSIZE=401").FONTSIZE, 40);
}

TEST(ParseSettingsTest, AnyNonZeroSrFlagIsOnAndWrittenAsOne) {
    const AppSettings s = ParseSettings("[ONSEIKINOU]\r\nSRFLAG=5\r\n");
    EXPECT_EQ(s.SRFLAG, 1);
    EXPECT_NE(RenderSettings("[ONSEIKINOU]\r\nSRFLAG=5\r\n", s).find("\r\nSRFLAG=1\r\n"),
              std::string::npos);
    EXPECT_EQ(ParseSettings("[ONSEIKINOU]\nSRFLAG=-2147483648").SRFLAG, 1);
    EXPECT_EQ(ParseSettings("[ONSEIKINOU]\nSRFLAG=0").SRFLAG, 0);

    AppSettings stray;
    stray.SRFLAG = 7;
    EXPECT_NE(RenderSettings("", stray).find("\r\nSRFLAG=1\r\n"), std::string::npos);
}

TEST(ParseSettingsTest, ReadsTheFileAsWindowsProfileFunctionsDo) {
    const std::string file =
        "\xEF\xBB\xBF"
        "LEFT=1\n"  // before any section: not a key
        "[ formpos ] ; main window\n"
        "  left  =  -5  \n"
        "Left=6\n"  // the first occurrence wins
        "[SPEED]\r\n"
        "TOP=7\r\n"  // not this key's section
        "enzanspeed=\t9\t\r\n"
        "[FormPos]\n"
        "TOP=8\n"  // a section that appears again is read as one
        "[FORMPOSX]\n"
        "WIDTH=900\n";
    const AppSettings s = ParseSettings(file);
    EXPECT_EQ(s.LEFT, -5);
    EXPECT_EQ(s.TOP, 8);
    EXPECT_EQ(s.ENZANSPEED, 9);
    EXPECT_EQ(s.WIDTH, 804);
}

TEST(ParseSettingsTest, NumbersAcceptSignAndDigitsAndTheWholeInt32) {
    EXPECT_EQ(ParseSettings("[FORMPOS]\nLEFT=+31\nTOP=-007\nHEIGHT=50").LEFT, 31);
    EXPECT_EQ(ParseSettings("[FORMPOS]\nLEFT=+31\nTOP=-007\nHEIGHT=50").TOP, -7);
    EXPECT_EQ(ParseSettings("[FORMPOS]\nLEFT=+31\nTOP=-007\nHEIGHT=50").HEIGHT, 50);
    EXPECT_EQ(ParseSettings("[ONSEIKINOU]\nSPEAKOK=-2147483648").SPEAKOK, INT32_MIN);
    EXPECT_EQ(ParseSettings("[ONSEIKINOU]\nSPEAKOK=2147483647").SPEAKOK, INT32_MAX);
}

TEST(ParseSettingsTest, BadNumbersFallBackKeyByKey) {
    const struct {
        const char* key;
        const char* value;
        int32_t AppSettings::*field;
    } cases[] = {
        {"LEFT", "-32001", &AppSettings::LEFT},
        {"TOP", "2147483648", &AppSettings::TOP},
        {"HEIGHT", "49", &AppSettings::HEIGHT},
        {"WIDTH", "32001", &AppSettings::WIDTH},
        {"BLEFT", "", &AppSettings::BLEFT},
        {"BTOP", "0x10", &AppSettings::BTOP},
        {"FONTSIZE", "1e3", &AppSettings::FONTSIZE},
        {"KURIAGARI", "2", &AppSettings::KURIAGARI},
        {"KURISAGARI", "-1", &AppSettings::KURISAGARI},
        {"ENZANSPEED", "101", &AppSettings::ENZANSPEED},
        {"POINTMAX", "11", &AppSettings::POINTMAX},
        {"MSGSPEAK", "yes", &AppSettings::MSGSPEAK},
        {"SIKISPEAK", "--1", &AppSettings::SIKISPEAK},
        {"KEYSPEAK", "1 1", &AppSettings::KEYSPEAK},
        {"SIKISPRATE", "11", &AppSettings::SIKISPRATE},
        {"SIKISPVOLUME", "-5", &AppSettings::SIKISPVOLUME},
        {"REIREADF", "1.0", &AppSettings::REIREADF},
        {"SP_PANELSHOW", "12abc", &AppSettings::SP_PANELSHOW},
        {"SPEAKOK", "-2147483649", &AppSettings::SPEAKOK},
        {"HEAROK", "+", &AppSettings::HEAROK},
        {"SRFLAG", "on", &AppSettings::SRFLAG},
        {"KAIGYO_FLAG", "\x82\x50", &AppSettings::KAIGYO_FLAG},  // a full-width 1
        {"EXPLAIN_FLAG", "99999999999999999999", &AppSettings::EXPLAIN_FLAG},
        {"DSP_CL_TYPE", "2", &AppSettings::DSP_CL_TYPE},
    };
    const AppSettings good = Customised();
    const std::string file = RenderSettings("", good);
    for (const auto& c : cases) {
        AppSettings expected = good;
        expected.*c.field = AppSettings{}.*c.field;
        EXPECT_EQ(ParseSettings(WithValue(file, c.key, c.value)), expected)
            << c.key << "=" << c.value;
    }
}

TEST(ParseSettingsTest, TextValues) {
    const auto fontName = [](const std::string& value) {
        return ParseSettings("[FONT]\nFONTNAME=" + value).FONTNAME;
    };
    EXPECT_EQ(fontName(""), "ＭＳゴシック");
    EXPECT_EQ(fontName(std::string(64, 'F')), std::string(64, 'F'));
    EXPECT_EQ(fontName(std::string(65, 'F')), "ＭＳゴシック");
    std::string wide;
    for (int i = 0; i < 32; ++i) {
        wide += "ア";
    }
    EXPECT_EQ(fontName(Utf8ToCp932(wide)), wide);  // 64 bytes in CP932, 96 in UTF-8
    EXPECT_EQ(fontName(Utf8ToCp932(wide + "ア")), "ＭＳゴシック");

    const auto userName = [](const std::string& file) {
        return ParseSettings("[SPEAK]\r\nUSERSYOBINA=" + file).USERSYOBINA;
    };
    EXPECT_EQ(userName(Utf8ToCp932("  ゆう\tき ")), "ゆうき");
    // A hand-edited file in UTF-8, with a character CP932 lacks as it will be saved.
    ASSERT_EQ(Cp932ToUtf8("\xE3\x82\x86\xE3\x81\x86\xE3\x81\x8D"), std::nullopt);
    EXPECT_EQ(userName("\xE3\x82\x86\xE3\x81\x86\xE3\x81\x8D"), "ゆうき");
    EXPECT_EQ(userName("\xE3\x82\x86\xE3\x81\x86\xE3\x81\x8D😀"), "ゆうき?");
    // Bytes that are neither: the default, and the other keys are still read.
    const AppSettings s = ParseSettings("[SPEAK]\r\nUSERSYOBINA=\x82\xFF\x80\r\nSIKISPRATE=3\r\n");
    EXPECT_EQ(s.USERSYOBINA, "");
    EXPECT_EQ(s.SIKISPRATE, 3);
}

TEST(ParseSettingsTest, ByteOrderMarkMeansUtf8Text) {
    // "数" in UTF-8 also happens to be valid CP932 ("侑疑" and a half-width kana).
    ASSERT_TRUE(Cp932ToUtf8("\xE6\x95\xB0").has_value());
    EXPECT_EQ(ParseSettings("\xEF\xBB\xBF[SPEAK]\nUSERSYOBINA=\xE6\x95\xB0").USERSYOBINA, "数");
}

TEST(ParseSettingsTest, DamagedFilesKeepWhatCanBeRead) {
    EXPECT_EQ(ParseSettings("\0\0\0\0"s), AppSettings{});

    std::mt19937 random(42);
    std::string garbage;
    for (int i = 0; i < 4096; ++i) {
        garbage += static_cast<char>(random());
    }
    EXPECT_EQ(ParseSettings(garbage), AppSettings{});
    const AppSettings mixed =
        ParseSettings(garbage + "\n[SPEED]\nENZANSPEED=5\n" + "LEFT=1\0"s + garbage);
    EXPECT_EQ(mixed.ENZANSPEED, 5);

    // Cut in the middle of a line, and in the middle of a two-byte character.
    const std::string file = RenderSettings("", Customised());
    const size_t fontSize = file.find("FONTSIZE=36") + 10;
    const AppSettings cutInLine = ParseSettings(file.substr(0, fontSize));
    EXPECT_EQ(cutInLine.FONTSIZE, 10);  // "3" was left
    EXPECT_EQ(cutInLine.FONTNAME, "IPAGothic");
    EXPECT_EQ(cutInLine.SIKISPRATE, AppSettings{}.SIKISPRATE);

    const size_t name = file.find("USERSYOBINA=") + 12 + 3;
    const AppSettings cutInCharacter = ParseSettings(file.substr(0, name));
    EXPECT_EQ(cutInCharacter.USERSYOBINA, "");
    EXPECT_EQ(cutInCharacter.SIKISPVOLUME, 55);
}

TEST(RenderSettingsTest, NewFileHoldsEverySectionInSaveOrder) {
    const std::string expected =
        "[FORMPOS]\r\nLEFT=200\r\nTOP=200\r\nHEIGHT=400\r\nWIDTH=804\r\n\r\n"
        "[BFORMPOS]\r\nBLEFT=200\r\nBTOP=500\r\n\r\n"
        "[FONT]\r\nFONTNAME=" +
        Utf8ToCp932("ＭＳゴシック") +
        "\r\nFONTSIZE=40\r\n\r\n"
        "[DSPORNOT]\r\nKURIAGARI=1\r\nKURISAGARI=1\r\n\r\n"
        "[SPEED]\r\nENZANSPEED=0\r\nPOINTMAX=0\r\n\r\n"
        "[SPEAK]\r\nMSGSPEAK=1\r\nSIKISPEAK=1\r\nKEYSPEAK=1\r\nSIKISPRATE=10\r\n"
        "SIKISPVOLUME=100\r\nUSERSYOBINA=\r\nSP_PANELSHOW=1\r\nREIREADF=0\r\n\r\n"
        "[ONSEIKINOU]\r\nSPEAKOK=0\r\nHEAROK=0\r\nSRFLAG=0\r\n\r\n"
        "[KAIGYO]\r\nKAIGYO_FLAG=0\r\n\r\n"
        "[EXPLAIN]\r\nEXPLAIN_FLAG=0\r\n\r\n"
        "[DSPCLTYPE]\r\nDSP_CL_TYPE=0\r\n";
    EXPECT_EQ(RenderSettings("", AppSettings{}), expected);
}

TEST(RenderSettingsTest, ReplacesKeysInPlaceAndLeavesOtherLinesAlone) {
    const std::string existing =
        "; kazuchan settings\n"
        "[FORMPOS]\n"
        "  left = 5 \n"
        "COLOUR=blue\n"
        "\n"
        "[OTHER]\n"
        "LEFT=keep\n"
        "[SPEED]\n"
        "POINTMAX=2\n"
        "ENZANSPEED=3\n"
        "ENZANSPEED=4\n";
    AppSettings s;
    s.LEFT = 11;
    s.POINTMAX = 9;
    s.ENZANSPEED = 10;
    const std::string rendered = RenderSettings(existing, s);
    // New lines end as the file's lines do.
    const std::string expectedStart =
        "; kazuchan settings\n"
        "[FORMPOS]\n"
        "LEFT=11\n"
        "COLOUR=blue\n"
        "TOP=200\nHEIGHT=400\nWIDTH=804\n"  // missing keys join their section
        "\n"
        "[OTHER]\n"
        "LEFT=keep\n"
        "[SPEED]\n"
        "POINTMAX=9\n"
        "ENZANSPEED=10\n"
        "ENZANSPEED=4\n"  // a later duplicate is never read; left as it was
        "\n[BFORMPOS]\n";
    EXPECT_EQ(rendered.substr(0, expectedStart.size()), expectedStart);
    EXPECT_EQ(ParseSettings(rendered), s);
    EXPECT_EQ(RenderSettings(rendered, s), rendered);
}

TEST(RenderSettingsTest, ANameCannotWriteOtherKeysOrSections) {
    AppSettings s;
    s.ENZANSPEED = 20;
    for (const std::string& name : {"\r\n[SPEED]\r\nENZANSPEED=99"s, "\n[SPEED]\nENZANSPEED=99"s,
                                    "\r[SPEED]\rENZANSPEED=99"s, "\0[SPEED]\0ENZANSPEED=99"s}) {
        s.USERSYOBINA = name;
        const std::string rendered = RenderSettings("", s);
        EXPECT_EQ(rendered.find("\r\n[SPEED]"), rendered.rfind("\r\n[SPEED]"));
        EXPECT_EQ(rendered.find('\0'), std::string::npos);
        const AppSettings read = ParseSettings(rendered);
        EXPECT_EQ(read.ENZANSPEED, 20);
        EXPECT_EQ(read.USERSYOBINA, "[SPEED]ENZANSPEED=99");
    }
}

// Lines that are not our keys, of any bytes, with any line ends: each stays as it was.
class ForeignLines {
  public:
    explicit ForeignLines(unsigned seed) : random_(seed) {}

    // A file of sections, key lines, blank lines and foreign lines in random order.
    std::string File() {
        static const char* const kStructure[] = {
            "[FORMPOS]",  "[SPEAK]",      "[speed]", "[NOPE]", "LEFT=1",   "USERSYOBINA=\x82\xA0",
            "FONTSIZE=x", "POINTMAX=3\0", "",        " \t",    "SRFLAG=7", "KEYSPEAK = 0"};
        static const char* const kEndings[] = {"\n", "\r\n"};
        std::string file;
        const int count = Int(0, 40);
        for (int i = 0; i < count; ++i) {
            file += Int(0, 2) == 0 ? std::string(kStructure[Int(0, std::size(kStructure) - 1)])
                                   : Foreign();
            file += i + 1 < count || Int(0, 1) == 0 ? kEndings[Int(0, 1)] : "";
        }
        return file;
    }

  private:
    int Int(int low, size_t high) {
        return std::uniform_int_distribution<int>(low, static_cast<int>(high))(random_);
    }

    // Any bytes but a line feed, "[" and "=", so that the line can be no section and no key:
    // NUL, lone CR, BOMs, broken CP932 and UTF-8 all come up.
    std::string Foreign() {
        static const std::string kPieces[] = {
            "\xEF\xBB\xBF",       "\x82",         "\x82\xA0", "\r",
            std::string(1, '\0'), "\xE6\x95\xB0", "; note"};
        std::string line;
        const int count = Int(1, 12);
        for (int i = 0; i < count; ++i) {
            if (Int(0, 3) == 0) {
                line += kPieces[Int(0, std::size(kPieces) - 1)];
            } else {
                char c;
                do {
                    c = static_cast<char>(random_());
                } while (c == '\n' || c == '[' || c == '=');
                line += c;
            }
        }
        return line;
    }

    std::mt19937 random_;
};

// The lines of a file with their line ends, less the ones a save writes or replaces: keys,
// sections and blank lines.
std::vector<std::string> LinesASaveLeavesAlone(const std::string& file) {
    std::vector<std::string> lines;
    for (size_t at = 0; at < file.size();) {
        const size_t end = std::min(file.find('\n', at), file.size() - 1) + 1;
        const std::string line = file.substr(at, end - at);
        at = end;
        const size_t content = line.find_first_not_of(" \t\r\n");
        if (content != std::string::npos && line[content] != '[' &&
            line.find('=') == std::string::npos) {
            lines.push_back(line);
        }
    }
    return lines;
}

// Random settings within range, saved over random damaged files, read back unchanged.
class RoundTrip {
  public:
    explicit RoundTrip(unsigned seed) : random_(seed) {}

    AppSettings Settings() {
        AppSettings s;
        for (int32_t* flag : {&s.KURIAGARI, &s.KURISAGARI, &s.MSGSPEAK, &s.SIKISPEAK, &s.KEYSPEAK,
                              &s.REIREADF, &s.SP_PANELSHOW, &s.HEAROK, &s.SRFLAG, &s.KAIGYO_FLAG,
                              &s.EXPLAIN_FLAG, &s.DSP_CL_TYPE}) {
            *flag = Int(0, 1);
        }
        for (int32_t* position : {&s.LEFT, &s.TOP, &s.BLEFT, &s.BTOP}) {
            *position = Int(-32000, 32000);
        }
        s.HEIGHT = Int(50, 32000);
        s.WIDTH = Int(50, 32000);
        s.FONTSIZE = Int(10, 400);
        s.ENZANSPEED = Int(0, 100);
        s.POINTMAX = Int(0, 10);
        s.SIKISPRATE = Int(0, 10);
        s.SIKISPVOLUME = Int(0, 100);
        s.SPEAKOK = static_cast<int32_t>(random_());
        do {
            s.FONTNAME = Text(1 + Int(0, 40));
        } while (s.FONTNAME.empty() || Cp932Length(s.FONTNAME) > 64);
        s.USERSYOBINA = Text(Int(0, 30));
        return s;
    }

    std::string Junk() {
        static const std::string_view pieces[] = {"[FORMPOS]",
                                                  "[ speak ]",
                                                  "[Font]",
                                                  "[SPEED",
                                                  "[ONSEIKINOU]x",
                                                  "[NOPE]",
                                                  "[]",
                                                  "LEFT=1",
                                                  "top = 999999",
                                                  "FONTNAME=",
                                                  "USERSYOBINA=\x82",
                                                  "SRFLAG=3",
                                                  "POINTMAX=10",
                                                  "; comment",
                                                  "=",
                                                  "",
                                                  "   ",
                                                  "\xEF\xBB\xBF",
                                                  "\x82\xA0\x82",
                                                  "\xE6\x95\xB0",
                                                  "\r",
                                                  "\t[KAIGYO]\t",
                                                  "\tKAIGYO_FLAG\t=\t1"};
        std::string junk = Int(0, 3) == 0 ? "\xEF\xBB\xBF" : "";
        const int count = Int(0, 30);
        for (int i = 0; i < count; ++i) {
            if (Int(0, 5) == 0) {
                junk += static_cast<char>(random_());
            } else if (Int(0, 10) == 0) {
                junk += '\0';
            } else {
                junk += pieces[Int(0, static_cast<int>(std::size(pieces)) - 1)];
            }
            junk += Int(0, 2) == 0 ? "\r\n" : Int(0, 1) == 0 ? "\n" : "";
        }
        return junk;
    }

  private:
    int Int(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

    // Text as the settings can hold it: characters CP932 has, printable, no blank at the
    // ends (the file trims those).
    std::string Text(int characters) {
        static const char* const alphabet[] = {"a",  "Z", "0",  " ",  "=",  "[",  "]", ";",  "\"",
                                               "\\", "~", "ア", "数", "～", "－", "ｶ", "　", "∥"};
        std::string text;
        for (int i = 0; i < characters; ++i) {
            text += alphabet[Int(0, static_cast<int>(std::size(alphabet)) - 1)];
        }
        while (!text.empty() && text.front() == ' ') {
            text.erase(0, 1);
        }
        while (!text.empty() && text.back() == ' ') {
            text.pop_back();
        }
        return text;
    }

    std::mt19937 random_;
};

TEST(RenderSettingsTest, RandomSettingsOverRandomFilesReadBackUnchanged) {
    RoundTrip generator(2024);
    for (int i = 0; i < 2000; ++i) {
        const AppSettings s = generator.Settings();
        const std::string junk = generator.Junk();
        const std::string rendered = RenderSettings(junk, s);
        ASSERT_EQ(ParseSettings(rendered), s) << testing::PrintToString(junk);
        ASSERT_EQ(RenderSettings(rendered, s), rendered) << testing::PrintToString(junk);
    }
}

TEST(RenderSettingsTest, SavingKeepsEveryOtherLineByteForByte) {
    ForeignLines files(11);
    RoundTrip settings(12);
    for (int i = 0; i < 2000; ++i) {
        const std::string file = files.File();
        const AppSettings s = settings.Settings();
        const std::string saved = RenderSettings(file, s);
        // Only a byte order mark at the very start goes: the file is written in CP932.
        std::string_view withoutBom = file;
        while (withoutBom.substr(0, 3) == "\xEF\xBB\xBF") {
            withoutBom.remove_prefix(3);
        }
        ASSERT_NE(saved.substr(0, 3), "\xEF\xBB\xBF");
        const std::vector<std::string> before = LinesASaveLeavesAlone(std::string(withoutBom));
        const std::vector<std::string> after = LinesASaveLeavesAlone(saved);
        ASSERT_EQ(after.size(), before.size()) << testing::PrintToString(file);
        for (size_t k = 0; k < before.size(); ++k) {
            ASSERT_EQ(after[k].substr(0, before[k].size()), before[k])
                << testing::PrintToString(file);
            // Only a last line without a line end gets one, when the save adds lines after it.
            const std::string added = after[k].substr(before[k].size());
            ASSERT_TRUE(added.empty() || (before[k].back() != '\n' && k + 1 == before.size() &&
                                          (added == "\n" || added == "\r\n")))
                << testing::PrintToString(file);
        }
        ASSERT_EQ(ParseSettings(saved), s) << testing::PrintToString(file);
    }
}

TEST(SettingsStoreTest, SavesBesideTheProgramAndReadsBack) {
    TempFolder program;
    TempFolder user;
    SettingsStore store(program.path().string(), user.path().string());
    EXPECT_EQ(store.path(), program / kSettingsFileName);
    EXPECT_EQ(store.Load(), AppSettings{});

    WriteFile(store.path(), "; installed by the teacher\r\n[SPEAK]\r\nUSERSYOBINA=old\r\n");
    const AppSettings s = Customised();
    ASSERT_TRUE(store.Save(s)) << store.lastError();
    EXPECT_EQ(store.lastError(), "");
    EXPECT_EQ(store.Load(), s);
    EXPECT_EQ(SettingsStore(program.path().string(), user.path().string()).Load(), s);

    const std::string onDisk = ReadFile(store.path());
    EXPECT_EQ(onDisk.rfind("; installed by the teacher\r\n", 0), 0u);
    EXPECT_NE(onDisk.find("\r\nUSERSYOBINA=" + Utf8ToCp932("たろうくん") + "\r\n"),
              std::string::npos);
    EXPECT_EQ(onDisk.find("たろうくん"), std::string::npos);  // not UTF-8
    EXPECT_EQ(std::distance(fs::directory_iterator(program.path()), fs::directory_iterator()), 1);
    EXPECT_TRUE(fs::is_empty(user.path()));
}

TEST(SettingsStoreTest, UsesTheUserFolderWhenTheProgramFolderIsNoFolder) {
    TempFolder temp;
    WriteFile(temp / "file", "");
    const std::string userFolder = temp / "config/kazuchan";
    for (const std::string& program : {temp / "file", temp / "missing"}) {
        SettingsStore store(program, userFolder);
        EXPECT_EQ(store.path(), userFolder + "/" + kSettingsFileName);
        EXPECT_EQ(store.Load(), AppSettings{});
        ASSERT_TRUE(store.Save(Customised())) << store.lastError();
        EXPECT_EQ(SettingsStore(program, userFolder).Load(), Customised());
        fs::remove_all(temp / "config");
    }
}

TEST(SettingsStoreTest, FallsBackWhenTheProgramFolderRefusesTheFileAtSaveTime) {
    // Nobody, root included, can create files in /proc, although the folder looks writable
    // to root.
    TempFolder user;
    SettingsStore store("/proc", user.path().string());
    ASSERT_TRUE(store.Save(Customised())) << store.lastError();
    EXPECT_EQ(store.path(), user / kSettingsFileName);
    EXPECT_EQ(store.Load(), Customised());
    // The next start reads where that save went.
    EXPECT_EQ(SettingsStore("/proc", user.path().string()).Load(), Customised());
}

// Makes `folder` refuse new files while its files stay writable: read-only for a user, and
// immutable for root, who writes into read-only folders. False when neither holds.
class FolderRefusingNewFiles {
  public:
    explicit FolderRefusingNewFiles(const fs::path& folder) : folder_(folder) {
        fs::permissions(folder_, fs::perms::owner_read | fs::perms::owner_exec);
        if (!Refuses()) {
            const int fd = open(folder_.c_str(), O_RDONLY | O_DIRECTORY);
            int flags = 0;
            immutable_ = fd >= 0 && ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 &&
                         (flags |= FS_IMMUTABLE_FL, ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0);
            if (fd >= 0) {
                close(fd);
            }
        }
    }
    ~FolderRefusingNewFiles() {
        if (immutable_) {
            const int fd = open(folder_.c_str(), O_RDONLY | O_DIRECTORY);
            int flags = 0;
            if (fd >= 0 && ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
                flags &= ~FS_IMMUTABLE_FL;
                ioctl(fd, FS_IOC_SETFLAGS, &flags);
            }
            if (fd >= 0) {
                close(fd);
            }
        }
        fs::permissions(folder_, fs::perms::owner_all);
    }
    bool Refuses() const {
        const fs::path probe = folder_ / "probe";
        const int fd = open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
        if (fd < 0) {
            return true;
        }
        close(fd);
        unlink(probe.c_str());
        return false;
    }

  private:
    fs::path folder_;
    bool immutable_ = false;
};

TEST(SettingsStoreTest, ReadOnlyFolderWithAWritableFileReadsWhereTheSaveWent) {
    TempFolder program;
    TempFolder user;
    WriteFile(program / kSettingsFileName, "[SPEED]\nPOINTMAX=4\n");
    const FolderRefusingNewFiles readOnly(program.path());
    if (!readOnly.Refuses()) {
        GTEST_SKIP() << "no way here to make a folder refuse new files";
    }
    SettingsStore store(program.path().string(), user.path().string());
    AppSettings s = store.Load();
    EXPECT_EQ(s.POINTMAX, 4);
    s.POINTMAX = 7;
    ASSERT_TRUE(store.Save(s)) << store.lastError();
    EXPECT_EQ(SettingsStore(program.path().string(), user.path().string()).Load(), s);
    EXPECT_EQ(ReadFile(program / kSettingsFileName), "[SPEED]\nPOINTMAX=4\n");
}

TEST(SettingsStoreTest, LoadRemovesTemporaryFilesThatEndedRunsLeft) {
    TempFolder program;
    TempFolder user;
    const pid_t ended = fork();
    if (ended == 0) {
        _exit(0);
    }
    ASSERT_GT(ended, 0);
    waitpid(ended, nullptr, 0);
    const std::string temporary = std::string(kSettingsFileName) + ".tmp";
    const std::string stale = temporary + std::to_string(ended);
    const std::string running = temporary + "1";  // init runs as long as the machine does
    const std::string mine = temporary + std::to_string(getpid());
    for (const TempFolder* folder : {&program, &user}) {
        for (const std::string& name : {stale, running, mine, temporary + "x1"}) {
            WriteFile(*folder / name, "half a file");
        }
    }
    SettingsStore(program.path().string(), user.path().string()).Load();
    for (const TempFolder* folder : {&program, &user}) {
        EXPECT_FALSE(fs::exists(*folder / stale));
        for (const std::string& name : {running, mine, temporary + "x1"}) {
            EXPECT_TRUE(fs::exists(*folder / name)) << name;
        }
    }
}

TEST(SettingsStoreTest, FailedSaveReportsAndLeavesNoTemporaryFile) {
    TempFolder temp;
    WriteFile(temp / "file", "");
    SettingsStore nowhere(temp / "missing", temp / "file/config");
    EXPECT_FALSE(nowhere.Save(AppSettings{}));
    EXPECT_NE(nowhere.lastError(), "");

    // The target is a folder: the temporary file is written, the rename fails.
    fs::create_directories(temp.path() / "program" / kSettingsFileName / "inside");
    SettingsStore blocked(temp / "program", temp / "program");
    EXPECT_FALSE(blocked.Save(AppSettings{}));
    EXPECT_NE(blocked.lastError(), "");
    EXPECT_EQ(
        std::distance(fs::directory_iterator(temp.path() / "program"), fs::directory_iterator()),
        1);
    EXPECT_EQ(blocked.Load(), AppSettings{});
}

TEST(SettingsStoreTest, UnwritableFolderKeepsTheOldFile) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "root writes into read-only folders";
    }
    TempFolder program;
    TempFolder temp;
    WriteFile(temp / "file", "");
    SettingsStore store(program.path().string(), temp / "file/config");
    ASSERT_TRUE(store.Save(Customised())) << store.lastError();
    const std::string before = ReadFile(store.path());

    fs::permissions(program.path(), fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_FALSE(store.Save(AppSettings{}));
    EXPECT_NE(store.lastError(), "");
    EXPECT_EQ(ReadFile(program / kSettingsFileName), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(program.path()), fs::directory_iterator()), 1);
}

TEST(SettingsStoreTest, ReadOnlyInstallGivesItsFileAsDefaultsForTheUser) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "root writes into read-only folders";
    }
    TempFolder program;
    TempFolder user;
    WriteFile(program / kSettingsFileName, "; site defaults\n[SPEED]\nPOINTMAX=4\n");
    fs::permissions(program / kSettingsFileName, fs::perms::owner_read);
    fs::permissions(program.path(), fs::perms::owner_read | fs::perms::owner_exec);

    SettingsStore store(program.path().string(), user.path().string());
    EXPECT_EQ(store.path(), user / kSettingsFileName);
    AppSettings s = store.Load();
    EXPECT_EQ(s.POINTMAX, 4);
    s.FONTSIZE = 20;
    ASSERT_TRUE(store.Save(s)) << store.lastError();
    EXPECT_EQ(ReadFile(user / kSettingsFileName).rfind("; site defaults\n", 0), 0u);
    EXPECT_EQ(store.Load(), s);
}

}  // namespace
}  // namespace kazu
