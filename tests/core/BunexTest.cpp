// The word-problem examples: the pattern file's reading rules, the example's texts and sizes,
// and the switch of the "文" button.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <random>

#include "BoardFixture.h"
#include "core/Bunex/Patterns.h"
#include "core/Bunex/Reibun.h"
#include "core/Cp932.h"
#include "core/Kokuban_v24/Keys.h"

using namespace std::string_literals;

namespace kazu {
namespace {

PatternTable Parse(const std::string& utf8) {
    return ParsePatterns(Utf8ToCp932(utf8));
}

TEST(PatternReader, EntryNumbersAreClampedAndFieldsGoToTheCurrentEntry) {
    const PatternTable t = Parse(
        "Bun1:before\n"
        "NUM:7\nBun1:seven\n"
        "NUM:25\nBun1:twenty\n"
        "NUM:x\nBun2:zero\n"
        "NUM:-1\nBun3:negative\n"
        "NUM: 3\nKang:three\n");
    EXPECT_EQ(t[0].bun1, "before");
    EXPECT_EQ(t[7].bun1, "seven");
    EXPECT_EQ(t[20].bun1, "twenty");
    EXPECT_EQ(t[0].bun2, "zero");
    // A negative number has no entry: it lands in the entry that is never shown.
    EXPECT_EQ(t[0].bun3, "negative");
    EXPECT_EQ(t[3].kang, "three");
}

TEST(PatternReader, FieldsDropOrKeepTheLineEndAndLaterLinesReplace) {
    const PatternTable t = Parse(
        "NUM:1\r\nBun1:一つ目\r\nBun2:二つ目\nAnsr:答え @[答数]\nAmri:あまり\n"
        "# Bun3:comment\n"
        "NUM:1\nBun2:新しい二つ目\n");
    EXPECT_EQ(t[1].bun1, "一つ目");        // CR LF is one line feed, and it is dropped
    EXPECT_EQ(t[1].bun2, "新しい二つ目");  // field by field: bun1 stays
    EXPECT_EQ(t[1].ansr, "答え @[答数]\n");
    EXPECT_EQ(t[1].amri, "あまり\n");
    EXPECT_EQ(t[1].bun3, "");
}

TEST(PatternReader, KeysAreFoundAnywhereButValuesTakenFromFixedPlaces) {
    // "Bun1:" inside the line decides the key; the value still starts at the sixth byte.
    const PatternTable t = Parse("NUM:2\nxxBun1:abc\nKang:\nBun3:\n");
    EXPECT_EQ(t[2].bun1, "1:abc");
    EXPECT_EQ(t[2].kang, "");
}

TEST(PatternReader, LongLinesAreReadAsSeveralLinesOf199Bytes) {
    const std::string longText(245, 'a');
    const PatternTable t = ParsePatterns("NUM:4\nBun1:" + longText + "\n");
    // 199 bytes: "Bun1:" and 194 more, less the last one.
    EXPECT_EQ(t[4].bun1, std::string(193, 'a'));
    // The rest (51 bytes) is a line of its own without a key: nothing else changed.
    EXPECT_EQ(t[4].bun2, "");

    // A line cut inside a double-byte character keeps the readable part.
    std::string kanji = "NUM:5\nBun1:";
    for (int i = 0; i < 120; ++i) {
        kanji += "\x88\x9F";  // 亜
    }
    const PatternTable k = ParsePatterns(kanji + "\n");
    EXPECT_EQ(Cp932Length(k[5].bun1), 193);
}

TEST(PatternReader, StopsAtEndAndSurvivesDamagedFiles) {
    EXPECT_EQ(Parse("NUM:1\nBun1:a\nEND:\nNUM:2\nBun1:b\n")[2].bun1, "");
    // A file saved as UTF-8 by a modern editor is still read.
    const std::string utf8 = "NUM:6\nBun1:ジュース\n";
    EXPECT_EQ(ParsePatterns(utf8)[6].bun1, "ジュース");
    // Bytes that are not code page 932 become "?".
    EXPECT_EQ(ParsePatterns("NUM:8\nBun1:\x80\xFF"
                            "ok\n")[8]
                  .bun1,
              "??ok");
    EXPECT_EQ(ParsePatterns("NUM:9\nBun1:ab\0cd\n"s)[9].bun1, "a");

    std::mt19937 random(7);
    for (int round = 0; round < 300; ++round) {
        std::string bytes(random() % 600, '\0');
        for (char& b : bytes) {
            b = static_cast<char>("NUMBuniKangAsrmE:#\n\r0123-\x81\x82\xE0\xFC"[random() % 29]);
        }
        const PatternTable any = ParsePatterns(bytes);
        for (const ExamplePattern& p : any) {
            EXPECT_TRUE(Cp932ToUtf8(Utf8ToCp932(p.bun1)).has_value());
        }
    }
}

TEST(PatternReader, ReiGetReportsAMissingFile) {
    PatternTable table;
    EXPECT_EQ(ReiGet("/nonexistent/bunExPtrn.txt", table), -1);
    EXPECT_EQ(ReiGet("/tmp", table), -1);
}

// Read from a file, long lines, UTF-8 characters and CR LF anywhere give the table its bytes
// give.
TEST(PatternReader, ReiGetReadsWhatTheWholeBytesGive) {
    const std::string path = testing::TempDir() + "kazu_patterns_" + std::to_string(getpid());
    std::mt19937 random(3);
    for (const bool utf8 : {false, true}) {
        for (size_t shift = 0; shift < 6; ++shift) {
            std::string bytes(shift, 'x');
            for (int i = 0; bytes.size() < 3 * 64 * 1024; ++i) {
                bytes += "NUM:" + std::to_string(i % 20 + 1) + "\r\nBun" +
                         std::to_string(i % 3 + 1) + ":" + std::string(random() % 300, 'a');
                for (int k = 0; k < 40; ++k) {
                    bytes += utf8 ? "数" : "\x90\x94";
                }
                bytes += "\r\nAnsr:答\r\n";
            }
            std::ofstream(path, std::ios::binary) << bytes;
            PatternTable read;
            ASSERT_EQ(ReiGet(path, read), 1);
            const PatternTable whole = ParsePatterns(bytes);
            for (size_t entry = 0; entry < read.size(); ++entry) {
                EXPECT_EQ(read[entry].bun1, whole[entry].bun1);
                EXPECT_EQ(read[entry].bun2, whole[entry].bun2);
                EXPECT_EQ(read[entry].bun3, whole[entry].bun3);
                EXPECT_EQ(read[entry].ansr, whole[entry].ansr);
            }
            EXPECT_NE(whole[1].bun1 + whole[1].bun2 + whole[1].bun3, "");
        }
    }
    std::remove(path.c_str());
}

// The shipped file: every type has its sentences, and they fit the window at their sizes.
TEST(PatternReader, ShippedFileHasAllTwentyPatterns) {
    std::ifstream file(KAZU_SOURCE_RESOURCES "/bunExPtrn.txt", std::ios::binary);
    ASSERT_TRUE(file);
    const std::string bytes{std::istreambuf_iterator<char>(file), {}};
    ASSERT_TRUE(Cp932ToUtf8(bytes).has_value()) << "not code page 932";
    const PatternTable t = ParsePatterns(bytes);
    for (int type = 1; type <= 20; ++type) {
        const ExamplePattern& p = t[static_cast<size_t>(type)];
        SCOPED_TRACE(type);
        EXPECT_NE(p.bun1.find("@[前数]"), std::string::npos);
        EXPECT_NE(p.bun2.find("@[後数]"), std::string::npos);
        EXPECT_FALSE(p.bun3.empty());
        EXPECT_LT(Cp932Length(p.bun3), 57);
        EXPECT_FALSE(p.kang.empty());
        EXPECT_LT(Cp932Length(p.kang), 73);
        EXPECT_NE(p.ansr.find("@[答数]"), std::string::npos);
        EXPECT_EQ(p.ansr.find("@[余数]") != std::string::npos, type >= 17);
    }
}

struct Example {
    std::string expression, result;
    bool firstDecimal = false, secondDecimal = false;
};

ReibunTexts Build(const PatternTable& table, const Example& e, char op) {
    const ReibunInput input{e.expression, e.result, e.firstDecimal, e.secondDecimal,
                            e.result.find('R') != std::string::npos ? 4 : 0};
    return BuildReibun(table, input, OperatorIndex(op, 0));
}

PatternTable Simple() {
    PatternTable t;
    for (ExamplePattern& p : t) {
        p = {"前は@[前数]。", "後は@[後数]@[後数]。", "なに（何）？",
             "かんがえ",      "答@[答数]余@[余数]\n", ""};
    }
    return t;
}

TEST(Reibun, TypesTitlesAndCheckCalculations) {
    const PatternTable t = Simple();
    struct Case {
        Example example;
        char op;
        int type;
        const char* titleEnd;
        const char* check;
    } cases[] = {
        {{"12+5=", "17"}, '+', 1, "《整数＋整数》の問題例", "（検算式： 17－5＝12 ）"},
        {{"1.5+2=", "3.5", true}, '+', 2, "《小数＋整数》の問題例", "（検算式： 3.5－2＝1.5 ）"},
        {{"9-2.5=", "6.5", false, true},
         '-',
         7,
         "《整数－小数》の問題例",
         "（検算式： 6.5＋2.5＝9 ）"},
        {{"1.5*2=", "3.0", true}, '*', 10, "《小数×整数》の問題例", "（検算式： 3÷2＝1.5 ）"},
        {{"1.2*0.5=", "0.6", true, true},
         '*',
         12,
         "《小数×小数》の問題例",
         "（検算式： 0.6÷0.5＝1.2 ）"},
        {{"15/5=", "3"}, '/', 13, "《整数÷整数》の問題例", "（検算式： 5×3＝15 ）"},
        {{"17/5=", "3R2"}, '/', 17, "《整数÷整数（余り有り)》の問題例", "（検算式： 5×3＋2＝17 ）"},
        {{"7.5/2=", "3R1.5", true},
         '/',
         18,
         "《小数÷整数（余り有り)》の問題例",
         "（検算式： 2×3＋1.5＝7.5 ）"},
        {{"5/0.3=", "16R0.2", false, true},
         '/',
         19,
         "《整数÷小数（余り有り)》の問題例",
         "（検算式： 0.3×16＋0.2＝5 ）"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.example.expression);
        const ReibunTexts texts = Build(t, c.example, c.op);
        EXPECT_EQ(texts.type, c.type);
        EXPECT_EQ(texts.title, "★タイプ [" + std::to_string(c.type) + "]：" + c.titleEnd);
        EXPECT_EQ(texts.check, c.check);
    }
}

TEST(Reibun, SentencesCalculationAnswerAndReading) {
    const ReibunTexts texts = Build(Simple(), {"17/5=", "3R2"}, '/');
    EXPECT_EQ(texts.sentence1, "前は17。");
    EXPECT_EQ(texts.sentence2, "後は55。");
    EXPECT_EQ(texts.calculation, " 17÷5＝3 あまり 2");
    EXPECT_EQ(texts.answer, " 答3余2。");  // the answer line's end is not drawn
    EXPECT_EQ(texts.hint, "考え方: かんがえ");
    EXPECT_EQ(texts.reading,
              "問題例です。。前は17。後は55。なに？．計算式です。 17÷5＝3 あまり 2。答えです。 "
              "答3余2。");
    // The answer is shown as normalised; a remainder as it stands.
    EXPECT_EQ(Build(Simple(), {"0.5*4=", "2.00", true}, '*').calculation, " 0.5×4＝2");
}

TEST(Reibun, ParenthesesAreLeftOutOfTheReading) {
    EXPECT_EQ(WithoutParentheses("体重（たいじゅう）は（ね）重い"), "体重は重い");
    EXPECT_EQ(WithoutParentheses("あ（い）う（えお"), "あう（えお");
    EXPECT_EQ(WithoutParentheses("）前（後）"), "）前");
}

TEST(Reibun, SizesFollowTheCp932ByteLength) {
    PatternTable t;
    const auto fullWidth = [](int bytes) {
        std::string text;
        for (int i = 0; i < bytes / 2; ++i) {
            text += "あ";
        }
        return text + std::string(static_cast<size_t>(bytes % 2), 'a');
    };
    const auto sizes = [&](int bun3, int kang, int ansr) {
        t[1] = {"", "", fullWidth(bun3), fullWidth(kang), fullWidth(ansr), ""};
        return Build(t, {"1+2=", "3"}, '+');
    };
    EXPECT_EQ(sizes(56, 72, 47).sentence3Size, 20);
    EXPECT_EQ(sizes(57, 72, 47).sentence3Size, 18);
    EXPECT_EQ(sizes(60, 72, 47).sentence3Size, 18);
    EXPECT_EQ(sizes(56, 72, 47).hintSize, 16);
    EXPECT_EQ(sizes(56, 73, 47).hintSize, 13);
    // The answer sentence is " " + field + "。": 47 bytes of field make 50.
    EXPECT_EQ(sizes(56, 72, 47).answerSize, 24);
    EXPECT_EQ(sizes(56, 72, 48).answerSize, 1000 / 51);
    EXPECT_EQ(sizes(56, 72, 97).answerSize, 10);
    // Read from the file, the field keeps its line feed, and the feed counts: 47 bytes of text
    // make a sentence of 51 bytes.
    const PatternTable read = ParsePatterns("NUM:1\nAnsr:" + Utf8ToCp932(fullWidth(47)) + "\n");
    const ReibunTexts withFeed = Build(read, {"1+2=", "3"}, '+');
    EXPECT_EQ(withFeed.answerSize, 1000 / 51);
    EXPECT_EQ(withFeed.answer, " " + fullWidth(47) + "。");

    // The calculation line: " " + expression + answer, 24 below 33 bytes, 20 to 38, then 19.
    const auto calculation = [&](const std::string& a, const std::string& b) {
        return Build(t, {a + "+" + b + "=", "1"}, '+').calculationSize;
    };
    EXPECT_EQ(calculation(std::string(14, '1'), std::string(12, '1')), 24);  // 32 bytes
    EXPECT_EQ(calculation(std::string(15, '1'), std::string(12, '1')), 20);  // 33
    EXPECT_EQ(calculation(std::string(20, '1'), std::string(12, '1')), 20);  // 38
    EXPECT_EQ(calculation(std::string(21, '1'), std::string(12, '1')), 19);  // 39
}

TEST(Reibun, DrawnTextsAtTheirPlaces) {
    MetricsCanvas metrics;
    RecordingCanvas canvas(metrics);
    DrawReibun(canvas, Build(Simple(), {"12+5=", "17"}, '+'));
    const std::vector<std::string> expected = {
        "text 30 10 18 #0000FF \"★タイプ [1]：《整数＋整数》の問題例\"",
        "text 30 60 20 #FF0000 \"[問題]\"",
        "text 130 60 20 #000000 \"前は12。\"",
        "text 80 100 20 #000000 \"後は55。\"",
        "text 80 140 20 #000000 \"なに（何）？\"",
        "text 30 225 20 #FF0000 \"［式］\"",
        "text 90 225 24 #0000FF \" 12＋5＝17\"",
        "text 100 259 16 #000000 \"（検算式： 17－5＝12 ）\"",
        "text 30 294 20 #FF0000 \"［答］\"",
        "text 90 294 24 #0000FF \" 答17余。\"",
    };
    ASSERT_GE(canvas.log().size(), expected.size() + 1);
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(canvas.log()[i], expected[i]);
    }
    EXPECT_EQ(canvas.log()[expected.size()].rfind("line 90 326 ", 0), 0u);  // the underline
}

// A view that records what the owner asked of the example window.
class RecordingView : public ExampleView {
  public:
    std::vector<std::string> calls;
    bool shown = false;
    void ShowExample() override {
        calls.push_back("show");
        shown = true;
    }
    void HideExample() override {
        calls.push_back("hide");
        shown = false;
    }
    bool ExampleShown() const override { return shown; }
    void SpeedButton3Dsp() override { calls.push_back("button"); }
};

struct SwitchFixture : BoardFixture {
    explicit SwitchFixture(const AppSettings& settings = AppSettings{}) : BoardFixture(settings) {
        model.SetExampleView(&view);
    }
    void Available() {
        model.example.patterns = Simple();
        model.example.available = true;
    }
    RecordingView view;
};

TEST(ExampleSwitch, MissingFileShowsTheRequestAndTurnsBack) {
    SwitchFixture f;
    f.model.LoadExamples("/nonexistent/bunExPtrn.txt");
    EXPECT_FALSE(f.model.example.available);
    f.Type("12+5=");
    f.model.FormKeyDown('Z', {});
    ASSERT_EQ(f.host.messages.size(), 1u);
    EXPECT_EQ(f.host.messages[0],
              "★☆お願い☆★|文章題の例文ファイル<>がありません。\nご確認をお願いします。\n"
              "なくても文章例がないだけです。");
    EXPECT_FALSE(f.model.example.on);
    EXPECT_EQ(f.view.calls, (std::vector<std::string>{"button", "button"}));
}

TEST(ExampleSwitch, OnWithACalculationShowsAndSpeaks) {
    SwitchFixture f;
    f.Available();
    f.model.SpeedButton3Click();  // nothing on the board: only the switch moves
    EXPECT_TRUE(f.model.example.on);
    EXPECT_EQ(f.view.calls, (std::vector<std::string>{"button"}));
    f.Type("17/5=");
    EXPECT_EQ(f.view.calls.back(), "show");
    EXPECT_EQ(f.model.example.remainderFlag, 4);

    MetricsCanvas metrics;
    const ReibunTexts texts = f.model.ReibunDsp(metrics);
    EXPECT_EQ(texts.type, 17);
    EXPECT_EQ(f.model.example.readingText, texts.reading);

    f.model.SpeedButton3Click();
    EXPECT_EQ(f.view.calls.back(), "hide");
    f.voice.Clear();
    f.model.SpeedButton3Click();
    EXPECT_EQ(f.voice.spoken(), (std::vector<std::string>{"文章題の例文を表示しました。"}));
}

TEST(ExampleSwitch, ReadingFollowsTheSettingAndDeleteHides) {
    AppSettings settings;
    settings.REIREADF = 1;
    SwitchFixture f(settings);
    f.Available();
    f.model.SpeedButton3Click();
    f.Type("12+5=");
    f.voice.Clear();
    MetricsCanvas metrics;
    const ReibunTexts texts = f.model.ReibunDsp(metrics);
    EXPECT_EQ(f.voice.spoken(), (std::vector<std::string>{texts.reading}));

    f.voice.Clear();
    f.model.YomiageClick();
    ASSERT_EQ(f.voice.spoken().size(), 2u);
    EXPECT_EQ(f.voice.spoken()[1], texts.reading);

    f.model.FormKeyDown(vk::kDelete, {});
    EXPECT_EQ(f.view.calls.back(), "hide");
    EXPECT_TRUE(f.model.example.readingText.empty());
    EXPECT_TRUE(f.model.example.on);  // the switch stays
    // Without a finished calculation the window gets the blank layout.
    RecordingCanvas blank(metrics);
    EXPECT_EQ(f.model.ReibunDsp(blank).hint, KaraHint());
    EXPECT_EQ(blank.log().front(), "fill 0 0 805 336 #FFFFFF");
}

TEST(ExampleSwitch, RecalculationShowsTheExampleOnce) {
    SwitchFixture f;
    f.Available();
    f.model.SpeedButton3Click();
    f.Type("1.5*2=");
    f.view.calls.clear();
    f.model.ReCalcButtonClick();
    EXPECT_EQ(f.view.calls, (std::vector<std::string>{"show"}));
    MetricsCanvas metrics;
    EXPECT_EQ(f.model.ReibunDsp(metrics).type, 10);
}

}  // namespace
}  // namespace kazu
