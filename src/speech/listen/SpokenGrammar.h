// The grammars the recogniser listens with, as Julius grammar text (.grammar) and word lists with
// hiragana readings (.yomi, for yomi2voca.pl), and the way back from recognised words to text.
// Word names are ASCII so that nothing but the readings needs converting to EUC-JP.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kazu::listen {

struct GrammarWord {
    std::string category;
    std::string name;     // what the recogniser outputs
    std::string reading;  // hiragana and "ー"
    double weight = 0;    // log10 of its probability, shared by all words of the name; 0: none
};

struct GrammarSource {
    std::vector<std::string> rules;  // "S : NS_B EXPR NS_E"
    std::vector<GrammarWord> words;

    std::string GrammarText() const;
    std::string YomiText() const;  // UTF-8, grouped by category in first-use order
};

// Spoken calculations: numbers of up to five digits, digit by digit or counted with 十/百/千/万,
// points, operators, end words, and the words of the calculation-mode word commands. A number
// is always followed by an operator or an end word.
GrammarSource CalcGrammar();

struct CommandPhrase {
    int command;
    std::string reading;
    double weight = 0;  // log10 of how much likelier than other phrases it is taken; 0: as likely
};
GrammarSource CommandGrammar(const std::vector<CommandPhrase>& phrases);

// The filler word: any run of syllables, for all that is neither command nor calculation.
inline constexpr std::string_view kFillerName = "_f";
inline constexpr std::string_view kSilenceNames[] = {"<s>", "</s>"};

// A phrase's text as hiragana: kana is read as written, anything else cannot be read.
std::optional<std::string> ReadingOfText(std::string_view text);
bool IsReadable(std::string_view reading);
// The engine keeps a word's length in phones in one byte: a longer word wraps round and sends
// it into a crash or an endless loop.
inline constexpr int kMaxWordPhones = 255;
// No fewer than the phones yomi2voca.pl makes of a readable reading: two for a kana with a
// consonant, one for a vowel, ん, っ and a small ゃゅょ, none for "ー".
int MostPhones(std::string_view reading);

// Recognised calculation words → the text a dictation engine would deliver: "3かける4わ".
std::string DictationText(const std::vector<std::string>& names);

}  // namespace kazu::listen
