#include "speech/listen/SpokenGrammar.h"

#include <cctype>
#include <cstdint>
#include <map>
#include <string_view>

namespace kazu::listen {

namespace {

// Operators, end words and word commands: name, the text it stands for, readings.
struct FixedWord {
    const char* category;
    const char* name;
    const char* text;
    std::vector<const char*> readings;
};

const std::vector<FixedWord>& FixedWords() {
    static const std::vector<FixedWord> words = {
        {"OP", "op+", "+", {"たす", "たすー"}},
        {"OP", "op-", "-", {"ひく", "ひくー"}},
        {"OP", "opx", "かける", {"かける"}},
        {"OP", "op/", "わる", {"わる"}},
        {"OP", "opP", "プラス", {"ぷらす"}},
        {"OP", "opM", "マイナス", {"まいなす"}},
        {"EQ", "eqI", "イコール", {"いこーる"}},
        {"EQ", "eqW", "わ", {"わ", "わー"}},
        {"WORD", "w01", "消去", {"しょうきょ"}},
        {"WORD", "w02", "クリア", {"くりあ", "くりやー"}},
        {"WORD", "w03", "戻る", {"もどる", "もどれ"}},
        {"WORD", "w04", "戻って", {"もどって"}},
        {"WORD", "w05", "バック", {"ばっく"}},
        {"WORD", "w06", "問題", {"もんだい"}},
        {"WORD", "w07", "文章題", {"ぶんしょうだい", "ぶんしょうもんだい"}},
        {"WORD", "w08", "認識終了", {"にんしきしゅうりょう"}},
        {"WORD", "w09", "コマンド", {"こまんど"}},
        {"WORD", "w10", "メニュー", {"めにゅー"}},
        {"WORD", "w11", "命令", {"めいれい"}},
        {"WORD", "w12", "復活", {"ふっかつ"}},
        {"WORD", "w13", "再計算", {"さいけいさん"}},
        {"WORD", "w14", "計算", {"けいさん"}},
        {"WORD", "w15", "改行", {"かいぎょう"}},
        {"WORD", "w16", "折り返す", {"おりかえす", "おりかえせ"}},
        {"WORD", "w17", "ヘルプ", {"へるぷ"}},
        {"WORD", "w18", "パネル表示", {"ぱねるひょうじ", "すぴーちぱねるひょうじ"}},
        {"WORD", "w19", "パネルなし", {"ぱねるなし", "すぴーちぱねるなし"}},
        {"WORD", "w20", "解説", {"かいせつ"}},
        {"WORD", "w21", "説明", {"せつめい"}},
        {"WORD", "w22", "読み上げ", {"よみあげ", "よめ", "よみなさい"}},
        {"WORD", "w23", "リード", {"りーど"}},
        {"WORD", "w24", "スピーク", {"すぴーく"}},
        {"WORD", "w25", "静かに", {"しずかに"}},
        {"WORD", "w26", "黙って", {"だまって"}},
        {"WORD", "w27", "沈黙", {"ちんもく"}},
        {"WORD", "w28", "イグザンプル", {"いぐざんぷる"}},
        // The explanation's steps: the next, the same again, the end.
        {"WORD", "w29", "次", {"つぎ"}},
        {"WORD", "w30", "もう一度", {"もういちど"}},
        {"WORD", "w31", "終わり", {"おわり"}},
        // The answer when a calculation heard with low confidence is said back.
        {"WORD", "w32", "はい", {"はい", "うん"}},
    };
    return words;
}

struct NumberWord {
    const char* category;
    const char* name;
    std::vector<const char*> readings;
    double weight = 0;
};

constexpr double kManWeight = -20;
constexpr double kSenWeight = -8;

const std::vector<NumberWord>& NumberWords() {
    // Long vowels as "ー": the model knows them as long phones, which "う" after a syllable is not.
    static const std::vector<NumberWord> words = {
        // Our voice says れい with both vowels; heard as "れー" alone, its "い" became a digit.
        {"DIGIT", "d0", {"ぜろ", "れー", "れい"}},
        {"DIGIT", "d1", {"いち", "いちー"}},
        {"DIGIT", "d2", {"に", "にー"}},
        {"DIGIT", "d3", {"さん"}},
        {"DIGIT", "d4", {"よん", "し", "しー"}},
        {"DIGIT", "d5", {"ご", "ごー"}},
        {"DIGIT", "d6", {"ろく"}},
        {"DIGIT", "d7", {"なな", "しち"}},
        {"DIGIT", "d8", {"はち"}},
        {"DIGIT", "d9", {"きゅー", "く"}},
        // The ones before a point as said in "いってん", "ろってん", "はってん".
        {"DIGITQ", "d1", {"いっ"}},
        {"DIGITQ", "d6", {"ろっ"}},
        {"DIGITQ", "d8", {"はっ"}},
        {"JUU", "k10", {"じゅー", "じゅっ"}},
        {"JUU", "k20", {"にじゅー"}},
        {"JUU", "k30", {"さんじゅー"}},
        {"JUU", "k40", {"よんじゅー"}},
        {"JUU", "k50", {"ごじゅー"}},
        {"JUU", "k60", {"ろくじゅー"}},
        {"JUU", "k70", {"ななじゅー"}},
        {"JUU", "k80", {"はちじゅー"}},
        {"JUU", "k90", {"きゅーじゅー"}},
        {"HYAKU", "k100", {"ひゃく"}},
        {"HYAKU", "k200", {"にひゃく"}},
        {"HYAKU", "k300", {"さんびゃく"}},
        {"HYAKU", "k400", {"よんひゃく"}},
        {"HYAKU", "k500", {"ごひゃく"}},
        {"HYAKU", "k600", {"ろっぴゃく"}},
        {"HYAKU", "k700", {"ななひゃく"}},
        {"HYAKU", "k800", {"はっぴゃく"}},
        {"HYAKU", "k900", {"きゅーひゃく"}},
        // Weighed down too: to the model "てん" sounds much like "せん".
        {"SEN", "k1000", {"せん", "いっせん"}, kSenWeight},
        {"SEN", "k2000", {"にせん"}, kSenWeight},
        {"SEN", "k3000", {"さんぜん"}, kSenWeight},
        {"SEN", "k4000", {"よんせん"}, kSenWeight},
        {"SEN", "k5000", {"ごせん"}, kSenWeight},
        {"SEN", "k6000", {"ろくせん"}, kSenWeight},
        {"SEN", "k7000", {"ななせん"}, kSenWeight},
        {"SEN", "k8000", {"はっせん"}, kSenWeight},
        {"SEN", "k9000", {"きゅーせん"}, kSenWeight},
        // Our voice's "わ" and "わる" sound more like "まん" to the model than themselves.
        {"MAN", "x10000", {"まん"}, kManWeight},
        {"PT", "pt", {"てん"}},
    };
    return words;
}

// Syllables for the filler word, which soaks up whatever is not in the grammar.
const char* const kFillerSyllables[] = {
    "あ",   "い",   "う",   "え",   "お",   "か",   "き",   "く",   "け",   "こ",   "さ",   "し",
    "す",   "せ",   "そ",   "た",   "ち",   "つ",   "て",   "と",   "な",   "に",   "ぬ",   "ね",
    "の",   "は",   "ひ",   "ふ",   "へ",   "ほ",   "ま",   "み",   "む",   "め",   "も",   "や",
    "ゆ",   "よ",   "ら",   "り",   "る",   "れ",   "ろ",   "わ",   "ん",   "が",   "ぎ",   "ぐ",
    "げ",   "ご",   "ざ",   "じ",   "ず",   "ぜ",   "ぞ",   "だ",   "で",   "ど",   "ば",   "び",
    "ぶ",   "べ",   "ぼ",   "ぱ",   "ぴ",   "ぷ",   "ぺ",   "ぽ",   "きゃ", "しゃ", "ちゃ", "にゃ",
    "ひゃ", "りゃ", "きょ", "しょ", "ちょ", "りょ", "しゅ", "ちゅ", "っ"};

void AddSilenceAndFiller(GrammarSource& source) {
    source.rules.insert(source.rules.end(),
                        {"S : NS_B FILLS NS_E", "FILLS : FILL", "FILLS : FILLS FILL"});
    source.words.push_back({"NS_B", std::string(kSilenceNames[0]), ""});
    source.words.push_back({"NS_E", std::string(kSilenceNames[1]), ""});
    for (const char* syllable : kFillerSyllables)
        source.words.push_back({"FILL", std::string(kFillerName), syllable});
}

// Numbers of up to five digits, said digit by digit or counted (below 100000): no more, since
// every longer path is one more way to mishear a short one. NAME_Q is the same ending in a
// DIGITQ, the form before "てん".
void AddNumberRules(std::vector<std::string>& rules) {
    const char* const places[] = {"SEN", "HYAKU", "JUU", "DIGIT"};
    for (int mask = 1; mask < 16; ++mask) {
        std::string rule;
        for (int place = 0; place < 4; ++place)
            if ((mask & (8 >> place)) != 0)
                rule += std::string(" ") + places[place];
        rules.push_back("C4 :" + rule);
        if ((mask & 1) != 0)
            rules.push_back("C4_Q :" + rule.substr(0, rule.size() - 5) + "DIGITQ");
    }
    std::string digits;
    for (int count = 1; count <= 5; ++count) {
        rules.push_back("DS_Q :" + digits + " DIGITQ");
        digits += " DIGIT";
        rules.push_back("DS :" + digits);
    }
    rules.insert(rules.end(),
                 {"CNT : C4", "CNT : DIGIT MAN", "CNT : DIGIT MAN C4", "CNT_Q : C4_Q",
                  "CNT_Q : DIGIT MAN C4_Q", "NUM : DS", "NUM : CNT", "NUM_Q : DS_Q",
                  "NUM_Q : CNT_Q", "DEC : NUM", "DEC : NUM PT DS", "DEC : NUM_Q PT DS"});
}

}  // namespace

std::string GrammarSource::GrammarText() const {
    std::string text;
    for (const auto& rule : rules) text += rule + "\n";
    return text;
}

std::string GrammarSource::YomiText() const {
    std::vector<std::string> order;
    std::map<std::string, std::string> lines;
    for (const auto& word : words) {
        if (!lines.contains(word.category))
            order.push_back(word.category);
        // The silence words carry their phones already; yomi2voca.pl passes them through.
        const std::string reading =
            word.reading.empty() ? (word.category == "NS_B" ? "silB" : "silE") : word.reading;
        lines[word.category] += word.name + "\t" + reading + "\n";
    }
    std::string text;
    for (const auto& category : order) text += "% " + category + "\n" + lines[category];
    return text;
}

GrammarSource CalcGrammar() {
    GrammarSource source;
    // A whole calculation, or the part of one a child says before pausing: "3かける", "4わ".
    // A number is never last: the end word is what tells "4わ" from "4まん" and "8イコール" from
    // "8250" to the engine, which hears them much alike.
    source.rules = {"S : NS_B EXPR NS_E", "S : NS_B WORD NS_E", "EXPR : DEC OP DEC EQ",
                    "EXPR : DEC OP",      "EXPR : DEC EQ",      "EXPR : OP DEC EQ",
                    "EXPR : EQ"};
    AddNumberRules(source.rules);
    for (const auto& word : NumberWords())
        for (const char* reading : word.readings)
            source.words.push_back({word.category, word.name, reading, word.weight});
    for (const auto& word : FixedWords())
        for (const char* reading : word.readings)
            source.words.push_back({word.category, word.name, reading});
    AddSilenceAndFiller(source);
    return source;
}

GrammarSource CommandGrammar(const std::vector<CommandPhrase>& phrases) {
    GrammarSource source;
    source.rules = {"S : NS_B CMD NS_E"};
    // "N.I": command N, phrase I, so that the program can show what was said.
    for (size_t i = 0; i < phrases.size(); ++i)
        source.words.push_back({"CMD", std::to_string(phrases[i].command) + "." + std::to_string(i),
                                phrases[i].reading, phrases[i].weight});
    AddSilenceAndFiller(source);
    return source;
}

namespace {

// UTF-8 code points of a text; nullopt for broken UTF-8.
std::optional<std::vector<char32_t>> CodePoints(std::string_view text) {
    std::vector<char32_t> points;
    for (size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const int length = lead < 0x80         ? 1
                           : (lead >> 5) == 6  ? 2
                           : (lead >> 4) == 14 ? 3
                           : (lead >> 3) == 30 ? 4
                                               : 0;
        if (length == 0 || i + static_cast<size_t>(length) > text.size())
            return std::nullopt;
        char32_t point = length == 1 ? lead : lead & (0x3F >> (length - 1));
        for (int k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + static_cast<size_t>(k)]);
            if ((next >> 6) != 2)
                return std::nullopt;
            point = (point << 6) | (next & 0x3F);
        }
        points.push_back(point);
        i += static_cast<size_t>(length);
    }
    return points;
}

void AppendUtf8(std::string& out, char32_t point) {
    out += static_cast<char>(0xE0 | (point >> 12));
    out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (point & 0x3F));
}

bool IsHiragana(char32_t point) {
    return point >= 0x3041 && point <= 0x3094;
}
bool IsKatakana(char32_t point) {
    return point >= 0x30A1 && point <= 0x30F4;
}
constexpr char32_t kLongVowel = 0x30FC;

}  // namespace

std::optional<std::string> ReadingOfText(std::string_view text) {
    const auto points = CodePoints(text);
    if (!points || points->empty())
        return std::nullopt;
    std::string reading;
    for (const char32_t point : *points) {
        if (IsHiragana(point) || point == kLongVowel)
            AppendUtf8(reading, point);
        else if (IsKatakana(point))
            AppendUtf8(reading, point - 0x60);
        else if (point != 0x3001 && point != 0x3002 && point != 0xFF1F && point != 0xFF01 &&
                 point != '?' && point != '!')
            return std::nullopt;  // punctuation is silent, everything else needs a reading
    }
    if (reading.empty())
        return std::nullopt;
    return reading;
}

bool IsReadable(std::string_view reading) {
    const auto points = CodePoints(reading);
    if (!points || points->empty())
        return false;
    for (const char32_t point : *points)
        if (!IsHiragana(point) && point != kLongVowel)
            return false;
    // yomi2voca.pl reads neither a lone small kana nor a long vowel mark at the start.
    const char32_t first = points->front();
    return first != kLongVowel && first != 0x3063 && first != 0x3093;
}

int MostPhones(std::string_view reading) {
    const auto points = CodePoints(reading);
    if (!points)
        return 0;
    static constexpr std::u32string_view kOnePhone = U"あいうえおゐゑをんっぁぃぅぇぉゃゅょ";
    int phones = 0;
    for (const char32_t point : *points) {
        if (point != kLongVowel)
            phones += kOnePhone.find(point) == std::u32string_view::npos ? 2 : 1;
    }
    return phones;
}

namespace {

// A run of number words: counted (十/百/千/万 present) or digit by digit.
std::string NumberText(const std::vector<std::string>& names) {
    bool counted = false;
    for (const auto& name : names) counted = counted || name[0] != 'd';
    std::string digits;
    if (!counted) {
        for (const auto& name : names) digits += name.substr(1);
        return digits;
    }
    uint64_t total = 0;
    uint64_t group = 0;
    for (const auto& name : names) {
        const uint64_t value = std::stoull(name.substr(1));
        if (name[0] == 'x') {
            total += (group == 0 ? 1 : group) * value;
            group = 0;
        } else {
            group += value;
        }
    }
    return std::to_string(total + group);
}

std::string FixedText(const std::string& name) {
    for (const auto& word : FixedWords())
        if (name == word.name)
            return word.text;
    return {};
}

}  // namespace

std::string DictationText(const std::vector<std::string>& names) {
    std::string text;
    std::vector<std::string> number;
    auto flush = [&] {
        if (!number.empty())
            text += NumberText(number);
        number.clear();
    };
    for (const auto& name : names) {
        if (name.empty())
            continue;
        if (name == "pt") {
            flush();
            text += ".";
        } else if ((name[0] == 'd' || name[0] == 'k' || name[0] == 'x') && name.size() > 1 &&
                   std::isdigit(static_cast<unsigned char>(name[1]))) {
            number.push_back(name);
        } else {
            flush();
            text += FixedText(name);
        }
    }
    flush();
    return text;
}

}  // namespace kazu::listen
