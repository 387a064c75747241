// Dictated text to expression characters, and the check of a spoken expression: tables of
// the awkward cases, then random calculations said in many ways.
#include <gtest/gtest.h>

#include <random>
#include <regex>

#include "core/SpokenText.h"

namespace kazu {
namespace {

TEST(NormaliseSpokenText, HomophonesKanjiAndSymbols) {
    const std::pair<const char*, const char*> cases[] = {
        {"10に", "12"},
        {"20後", "25"},
        {"10語", "15"},
        {"10さん", "13"},
        {"自由1", "11"},
        {"自由9", "19"},
        {"ご自由に", "52"},
        {"を自由に", "52"},
        {"自由に", "12"},
        {"ジムさん", "13"},
        {"に10に", "22"},
        {"90さん", "93"},
        {"3かける4わ", "3*4="},
        {"3掛ける4=", "3*4="},
        {"8わる2", "8÷2"},
        {"8割る2", "8÷2"},
        {"8。2", "8÷2"},
        {"5マイナス3", "5-3"},
        {"5－3", "5-3"},
        {"5―3", "5+3"},
        {"5プラス3＝", "5+3="},
        {"二十三", "23"},
        {"二十", "20"},
        {"十七", "17"},
        {"十", "10"},
        {"三十五", "35"},
        {"ゼロ点五", "0.5"},
        {"れいてん2", "0.2"},
        {"1天5", "1.5"},
        {"1、5", "1.5"},
        {"1..5", "1.5"},
        {"1...5", "1.5"},
        {"3万", "30000"},
        {"1億", "100000000"},
        {"はちは", "8="},
        {"9×9", "9*9"},
        {" 1 2 ", "12"},
        {"ABC", ""},
        {"T", "÷"},
        {"さんたす", "3"},
        {"零", "0"},
        {"０", "0"},
        {"れいてん5+1わ", "0.5+1="},
        {"10+れいわ", "10+0="},
        {"3.2÷れい点5イコール", "3.2÷0.5"},
        {"ぜろてん5+1わ", "0.5+1="},
        {"10+レイわ", "10+0="},
    };
    for (const auto& [spoken, expected] : cases) {
        EXPECT_EQ(NormaliseSpokenText(spoken), expected) << spoken;
    }
}

TEST(NormaliseSpokenText, KeepsOnlyTheAlphabet) {
    // Any byte outside the alphabet goes, however the text is broken.
    const std::string broken = std::string("1\xE3\x81+\xFF") + '\0' + "2";
    EXPECT_EQ(NormaliseSpokenText(broken), "1+2");
    EXPECT_EQ(KeepExpressionAlphabet("3÷4=わ"), "3/4");
    EXPECT_EQ(KeepExpressionAlphabet("1&R+x="), "1&R+");
}

TEST(CheckSpokenExpression, CodesOfTheEdgeCases) {
    const std::pair<const char*, int> cases[] = {
        {"5+=", -1},    {"123=", -2}, {"-5+3=", -3}, {"5+.=", -5},     {"5+.3=", -12},
        {"5+3+2=", -7}, {".+3=", -4}, {"5a+3=", -6}, {"5+", -1},       {"", -1},
        {"12+", -2},    {"3*4=", 0},  {"3*4", 0},    {"1.5/0.3==", 0}, {".5+3=", 0},
    };
    for (const auto& [expression, code] : cases) {
        EXPECT_EQ(CheckSpokenExpression(expression), code) << expression;
    }
}

// Valid exactly when it reads "number operator number", the second not starting with a point,
// the first not a bare point, with any "=" after it.
bool ReferenceValid(const std::string& text) {
    static const std::regex shape(R"(^([0-9.]+)[-+*/][0-9][0-9.]*=*$)");
    std::smatch match;
    return std::regex_match(text, match, shape) && match[1].str() != ".";
}

TEST(CheckSpokenExpression, AgreesWithAReferenceOnRandomTexts) {
    std::mt19937 random(8);
    const std::string letters = "0123456789..+-*/==a";
    for (int i = 0; i < 20000; ++i) {
        std::string text;
        const int length = std::uniform_int_distribution<int>(0, 9)(random);
        for (int j = 0; j < length; ++j) {
            text += letters[std::uniform_int_distribution<size_t>(0, letters.size() - 1)(random)];
        }
        const int code = CheckSpokenExpression(text);
        EXPECT_EQ(code == 0, ReferenceValid(text)) << text << " " << code;
        EXPECT_LE(code, 0);
    }
}

// Random calculations said as a child and a dictation engine would put them.
class Speaker {
  public:
    explicit Speaker(uint32_t seed) : random_(seed) {}

    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
    template <size_t N>
    const char* Choose(const std::array<const char*, N>& words) {
        return words[static_cast<size_t>(Pick(0, N - 1))];
    }

    // Digits said one by one, as Arabic or kanji digits.
    std::string DigitByDigit(const std::string& digits) {
        static constexpr std::array<const char*, 10> kanji = {"零", "一", "二", "三", "四",
                                                              "五", "六", "七", "八", "九"};
        static constexpr std::array<const char*, 6> zero = {"ゼロ", "ぜろ", "零",
                                                            "れい", "レイ", "０"};
        std::string said;
        for (char d : digits) {
            const int kind = Pick(0, 2);
            if (d == '.') {
                said += Choose(std::array<const char*, 5>{"点", "てん", "天", "、", "."});
            } else if (d == '0' && kind == 0) {
                said += Choose(zero);
            } else if (kind == 1) {
                said += kanji[static_cast<size_t>(d - '0')];
            } else {
                said += d;
            }
        }
        return said;
    }

    // A whole number the way the normalisation composes it: counted kanji tens,
    // homophones of 11 to 19 and of tens with 2, 5 and 3, ten thousands.
    std::string Counted(int n) {
        static constexpr std::array<const char*, 10> kanji = {"",   "一", "二", "三", "四",
                                                              "五", "六", "七", "八", "九"};
        const int way = Pick(0, 3);
        if (n >= 10 && way == 0) {
            return std::string(n >= 20 ? kanji[static_cast<size_t>(n / 10)] : "") + "十" +
                   kanji[static_cast<size_t>(n % 10)];
        }
        if (n > 10 && n < 20 && way == 1) {
            return "自由" + std::to_string(n % 10);
        }
        if (n > 10 && n < 100 && way == 2 && (n % 10 == 2 || n % 10 == 5 || n % 10 == 3)) {
            const int unit = n % 10;
            const char* homophone = unit == 2         ? "に"
                                    : unit == 3       ? "さん"
                                    : Pick(0, 1) == 0 ? "後"
                                                      : "語";
            return std::to_string(n / 10 * 10) + homophone;
        }
        return DigitByDigit(std::to_string(n));
    }

    std::string Number(std::string& written) {
        const int kind = Pick(0, 3);
        if (kind == 0) {
            const int n = Pick(0, 99);
            written = std::to_string(n);
            return Counted(n);
        }
        if (kind == 1) {
            const int d = Pick(1, 9);
            written = std::to_string(d) + "0000";
            return std::to_string(d) + "万";
        }
        written = std::to_string(Pick(1, 99999));
        if (kind == 3) {
            written += "." + std::to_string(Pick(0, 999));
        }
        return DigitByDigit(written);
    }

    std::string Operator(char& written) {
        const int op = Pick(0, 3);
        written = "+-*/"[op];
        static constexpr std::array<std::array<const char*, 3>, 4> words = {{
            {"プラス", "＋", "+"},
            {"マイナス", "－", "-"},
            {"かける", "掛け", "×"},
            {"わる", "割る", "÷"},
        }};
        return words[static_cast<size_t>(op)][static_cast<size_t>(Pick(0, 2))];
    }

  private:
    std::mt19937 random_;
};

TEST(NormaliseSpokenText, RandomCalculationsSaidInManyWays) {
    Speaker speaker(4);
    for (int i = 0; i < 5000; ++i) {
        std::string left, right;
        char op = 0;
        std::string said = speaker.Number(left);
        said += speaker.Operator(op);
        said += speaker.Number(right);
        const int end = speaker.Pick(0, 3);
        said += std::array<const char*, 4>{"わ", "イコール", "＝", ""}[static_cast<size_t>(end)];
        std::string expected = left + (op == '/' ? std::string("÷") : std::string(1, op)) + right;
        if (end == 0 || end == 2) {
            expected += "=";
        }
        EXPECT_EQ(NormaliseSpokenText(said), expected) << said;
        EXPECT_EQ(CheckSpokenExpression(KeepExpressionAlphabet(expected) + "="), 0) << said;
    }
}

}  // namespace
}  // namespace kazu
