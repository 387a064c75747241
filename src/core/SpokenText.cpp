#include "core/SpokenText.h"

#include <array>
#include <cstring>
#include <utility>

namespace kazu {
namespace {

using Table = std::initializer_list<std::pair<const char*, const char*>>;

std::string Apply(std::string text, Table table) {
    for (const auto& [from, to] : table) {
        text = ReplaceAll(std::move(text), from, to);
    }
    return text;
}

constexpr std::array<const char*, 10> kDigits = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};
// Zero said as ゼロ or as れい, in either kana, as a kanji or a full-width digit.
constexpr std::array<const char*, 6> kZeroWords = {"ゼロ", "ぜろ", "零", "れい", "レイ", "０"};

std::string ZeroWords(std::string text) {
    for (const char* zero : kZeroWords) {
        text = ReplaceAll(std::move(text), zero, "0");
    }
    return text;
}

constexpr std::array<const char*, 10> kKanjiDigits = {"零", "一", "二", "三", "四",
                                                      "五", "六", "七", "八", "九"};

// The dictation engine writes 11 to 19 as 自由 ("jiyuu", heard for juu) and a digit.
std::string ElevenToNineteen(std::string text) {
    for (int d = 1; d <= 9; ++d) {
        text = ReplaceAll(std::move(text), std::string("自由") + kDigits[d],
                          std::string("1") + kDigits[d]);
        if (d == 3) {
            text = ReplaceAll(std::move(text), "ジムさん", "13");
        }
    }
    return Apply(std::move(text),
                 {{"に10に", "22"}, {"ご自由に", "52"}, {"を自由に", "52"}, {"自由に", "12"}});
}

// 二 to 九, and さん, as digits; 一 and the zeros are each caller's own.
std::string TwoToNine(std::string text) {
    text = ReplaceAll(std::move(text), "さん", "3");
    for (int d = 2; d <= 9; ++d) {
        text = ReplaceAll(std::move(text), kKanjiDigits[d], kDigits[d]);
    }
    return text;
}

// Tens followed by a word that sounds like 2, 5 or 3: column by column.
std::string TensAndHomophones(std::string text) {
    const std::array<std::pair<const char*, const char*>, 4> columns = {
        {{"に", "2"}, {"後", "5"}, {"語", "5"}, {"さん", "3"}}};
    for (const auto& [word, digit] : columns) {
        for (int t = 1; t <= 9; ++t) {
            text = ReplaceAll(std::move(text), std::string(kDigits[t]) + "0" + word,
                              std::string(kDigits[t]) + digit);
        }
    }
    return text;
}

// Counted tens: 二十一 is 21. Every ten from 二十 to 九十 is composed; left to the single
// digits, 三十五 would come out as 315.
std::string KanjiNumbers(std::string text) {
    for (int t = 2; t <= 9; ++t) {
        const std::string tens = std::string(kKanjiDigits[t]) + "十";
        for (int d = 1; d <= 9; ++d) {
            text = ReplaceAll(std::move(text), tens + kKanjiDigits[d],
                              std::string(kDigits[t]) + kDigits[d]);
        }
        text = ReplaceAll(std::move(text), tens, std::string(kDigits[t]) + "0");
    }
    for (int d = 1; d <= 9; ++d) {
        text = ReplaceAll(std::move(text), std::string("十") + kKanjiDigits[d],
                          std::string("1") + kDigits[d]);
    }
    return Apply(TwoToNine(Apply(std::move(text), {{"例は", "0"}, {"一", "1"}})), {{"十", "10"}});
}

bool InAlphabet(char ch) {
    return ch != '\0' && std::strchr(kExpressionAlphabet, ch) != nullptr;
}

// Everything outside the alphabet goes, every byte of a non-ASCII character included.
std::string MarkAndRemove(const std::string& text) {
    std::string kept;
    for (char ch : text) {
        if (InAlphabet(ch)) {
            kept += ch;
        }
    }
    return kept;
}

}  // namespace

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
    if (from.empty()) {
        return text;
    }
    for (size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

std::string CollapsePoints(std::string text) {
    for (size_t at = text.find(".."); at != std::string::npos; at = text.find("..", at)) {
        text.erase(at, 1);
    }
    return text;
}

std::string NormaliseSpokenText(const std::string& input) {
    std::string text = TensAndHomophones(ElevenToNineteen(input));
    text =
        Apply(std::move(text),
              {{"いち", "1"},     {"はちは", "8="}, {"蜂は", "8="}, {"旧は", "9="},  {"久", "9"},
               {"中に", "12"},    {"はる", "÷"},    {"いく", "-"},  {"には", "2は"}, {"―", "+"},
               {"丸", "÷"},       {"。", "÷"},      {"悪", "÷"},    {"割る", "÷"},   {"わる", "÷"},
               {"ある", "÷"},     {"－", "-"},      {"低", "-"},    {"掛け", "*"},   {"かけ", "*"},
               {"マイナス", "-"}, {"プラス", "+"}});
    text = KanjiNumbers(ZeroWords(std::move(text)));
    text = Apply(std::move(text), {{"わ", "="},
                                   {"×", "*"},
                                   {"＝", "="},
                                   {"＋", "+"},
                                   {"点", "."},
                                   {"てん", "."},
                                   {"天", "."},
                                   {"、", "."},
                                   {"万", "0000"},
                                   {"億", "00000000"},
                                   {"兆", "000000000000"},
                                   {"京", "0000000000000000"},
                                   {"けい", "0000000000000000"},
                                   {"計", "0000000000000000"},
                                   {" ", ""},
                                   {"　", ""},
                                   {"÷", "T"}});
    text = MarkAndRemove(CollapsePoints(std::move(text)));
    return ReplaceAll(std::move(text), "T", "÷");
}

std::string KeepExpressionAlphabet(const std::string& text) {
    std::string kept = ReplaceAll(ReplaceAll(text, "÷", "T"), "=", "");
    return ReplaceAll(MarkAndRemove(kept), "T", "/");
}

int CheckSpokenExpression(const std::string& input) {
    std::string e = input;
    while (e.size() > 2 && e.back() == '=') {
        e.pop_back();
    }
    if (e.size() < 3) {
        return -1;
    }
    const size_t op = e.find_first_of("+-*/");
    if (op == std::string::npos || op == e.size() - 1) {
        return -2;
    }
    if (op == 0) {
        return -3;
    }
    const std::string left = e.substr(0, op);
    const std::string right = e.substr(op + 1);
    if (left == ".") {
        return -4;
    }
    if (right == ".") {
        return -5;
    }
    for (const char* joined : {"+.", "-.", "*.", "/."}) {
        if (e.find(joined) != std::string::npos) {
            return -12;
        }
    }
    const auto numeric = [](const std::string& part) {
        return part.find_first_not_of("0123456789.") == std::string::npos;
    };
    if (!numeric(left)) {
        return -6;
    }
    if (!numeric(right)) {
        return -7;
    }
    return 0;
}

std::string SpokenDigitsToSymbols(const std::string& text) {
    return Apply(TwoToNine(ZeroWords(Apply(text, {{"例は", "0"}, {"れいは", "0"}, {"一", "1"}}))),
                 {{"十二", "12"},
                  {"十", "10"},
                  {"かける", "*"},
                  {"掛ける", "*"},
                  {"かけ", "*"},
                  {"×", "*"},
                  {"＋", "+"}});
}

}  // namespace kazu
