#include "speech/listen/SpokenGrammar.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>

namespace kazu::listen {
namespace {

// Whether the calculation grammar takes a sequence of word names, as the engine would: each
// rule's right side matched in turn, each word by its name within its category.
class GrammarChecker {
  public:
    explicit GrammarChecker(const GrammarSource& source) : source_(source) {
        for (const auto& word : source.words) names_[word.category].insert(word.name);
    }

    bool Takes(const std::vector<std::string>& words) const {
        std::vector<std::string> sentence = {std::string(kSilenceNames[0])};
        sentence.insert(sentence.end(), words.begin(), words.end());
        sentence.push_back(std::string(kSilenceNames[1]));
        return Ends("S", sentence, 0).contains(sentence.size());
    }

  private:
    // Every position where `symbol`, started at `at`, can end.
    std::set<size_t> Ends(const std::string& symbol, const std::vector<std::string>& words,
                          size_t at) const {
        std::set<size_t> ends;
        if (const auto category = names_.find(symbol); category != names_.end()) {
            if (at < words.size() && category->second.contains(words[at]))
                ends.insert(at + 1);
            return ends;
        }
        for (const auto& rule : source_.rules) {
            std::istringstream parts(rule);
            std::string left, colon, right;
            parts >> left >> colon;
            if (left != symbol)
                continue;
            std::set<size_t> here = {at};
            while (parts >> right && !here.empty()) {
                std::set<size_t> next;
                for (const size_t from : here)
                    if (right != symbol || from != at)  // FILLS : FILLS FILL would not end
                        next.merge(Ends(right, words, from));
                here = std::move(next);
            }
            ends.merge(here);
        }
        return ends;
    }

    GrammarSource source_;
    std::map<std::string, std::set<std::string>> names_;
};

TEST(CalcGrammarTest, TakesWholeCalculationsAndTheirParts) {
    const GrammarSource source = CalcGrammar();
    const GrammarChecker grammar(source);
    // 12+9わ, 23000かける2イコール, 2.5+1.5わ with "いってん", and the parts "3かける", "4わ",
    // "わ".
    EXPECT_TRUE(grammar.Takes({"d1", "d2", "op+", "d9", "eqW"}));
    EXPECT_TRUE(grammar.Takes({"d2", "x10000", "k3000", "opx", "d2", "eqI"}));
    EXPECT_TRUE(grammar.Takes({"d2", "pt", "d5", "op+", "d1", "pt", "d5", "eqW"}));
    EXPECT_TRUE(grammar.Takes({"k1000", "k200", "k30", "d4", "op-", "k90", "d9", "eqW"}));
    EXPECT_TRUE(grammar.Takes({"d3", "opx"}));
    EXPECT_TRUE(grammar.Takes({"d4", "eqW"}));
    EXPECT_TRUE(grammar.Takes({"eqW"}));
    EXPECT_TRUE(grammar.Takes({"w02"}));
    EXPECT_TRUE(grammar.Takes({"_f"}));
}

TEST(CalcGrammarTest, RefusesWhatNoCalculationIs) {
    const GrammarChecker grammar(CalcGrammar());
    // A number last: "4まん" would win over "4わ".
    EXPECT_FALSE(grammar.Takes({"d4", "x10000"}));
    EXPECT_FALSE(grammar.Takes({"d3", "opx", "d4"}));
    // Six digits, 100000 counted, a number straight after a number, two operators.
    EXPECT_FALSE(grammar.Takes({"d1", "d2", "d3", "d4", "d5", "d6", "eqW"}));
    EXPECT_FALSE(grammar.Takes({"k10", "x10000", "eqW"}));
    EXPECT_FALSE(grammar.Takes({"k100", "d1", "d2", "eqW"}));
    EXPECT_FALSE(grammar.Takes({"d1", "op+", "op-", "d2", "eqW"}));
    EXPECT_FALSE(grammar.Takes({"d1", "_f", "eqW"}));
}

TEST(CalcGrammarTest, EveryWordHasAReadingYomi2vocaReads) {
    // The filler's lone "ん" and "っ" are syllables, no words.
    for (const auto& word : CalcGrammar().words) {
        if (!word.reading.empty() && word.name != kFillerName) {
            EXPECT_TRUE(IsReadable(word.reading)) << word.name << " " << word.reading;
        }
    }
}

TEST(DictationTextTest, CountedNumbers) {
    EXPECT_EQ(DictationText({"d2", "x10000", "k3000"}), "23000");
    EXPECT_EQ(DictationText({"d9", "x10000", "k9000", "k900", "k90", "d9"}), "99999");
    EXPECT_EQ(DictationText({"k100", "k20", "d3"}), "123");
    EXPECT_EQ(DictationText({"d1", "x10000"}), "10000");
    EXPECT_EQ(DictationText({"k10", "d5"}), "15");
}

TEST(DictationTextTest, DigitRunsKeepEveryDigit) {
    EXPECT_EQ(DictationText({"d1", "d0", "d0", "d0", "d0"}), "10000");
    EXPECT_EQ(DictationText({"d0", "d7"}), "07");
}

TEST(DictationTextTest, DecimalsAndWholeCalculations) {
    EXPECT_EQ(DictationText({"d3", "pt", "d1", "d4", "opx", "d2", "eqW"}), "3.14かける2わ");
    EXPECT_EQ(DictationText({"k10", "d2", "pt", "d3", "op-", "d4", "pt", "d5", "eqI"}),
              "12.3-4.5イコール");
    EXPECT_EQ(DictationText({"d5", "opP", "d3", "eqW"}), "5プラス3わ");
    EXPECT_EQ(DictationText({"d8", "opM", "d8", "eqI"}), "8マイナス8イコール");
    EXPECT_EQ(DictationText({"d7", "op/", "d2", "eqW"}), "7わる2わ");
}

}  // namespace
}  // namespace kazu::listen
