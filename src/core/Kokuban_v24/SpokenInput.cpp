// A dictated expression: collected across recognitions, entered afresh after each, and
// worked out when an equals word is heard.
#include <initializer_list>

#include "core/Kokuban_v24/Kokuban.h"
#include "core/SpokenText.h"

namespace kazu {
namespace {

// The spoken-expression box holds no more than this.
constexpr size_t kMaxSpokenExpression = 512;

bool ContainsAnyOf(const std::string& text, std::initializer_list<const char*> words) {
    for (const char* word : words) {
        if (text.find(word) != std::string::npos) {
            return true;
        }
    }
    return false;
}

}  // namespace

void Kokuban::SpokenExpressionInput(std::string text) {
    const bool equalsHeard = ContainsAnyOf(text, {"イコール", "＝", "=", "は", "わ", "話"});
    if (!state.entryOpen) {
        // A child who pauses before the end word is heard twice: the calculation, which the
        // pause ended, then the end word alone. That word asks for no new calculation.
        const std::string normal = NormaliseSpokenText(text);
        const bool endWordOnly = equalsHeard && normal.find_first_not_of('=') == std::string::npos;
        if (!endWordOnly) {
            host_.ShowInMemo2("新しい式を入力するには、まず今の式を「クリア」か「消去」してね。");
        }
        return;
    }
    if (ContainsAnyOf(text, {"ぱい", "パイ", "PI", "円", "円周率", "サークル"})) {
        text = "3.14";
    }
    SpokenExpression += NormaliseSpokenText(text);
    if (SpokenExpression.size() > kMaxSpokenExpression) {
        SpokenExpression.resize(kMaxSpokenExpression);
    }
    const std::string previous = host_.Memo1Text();
    ShowInMemo1(SpokenExpression);
    if (SpokenExpression.empty()) {
        return;
    }
    if (SpokenExpression.front() == '.') {
        host_.ClearMemo1();
        return;
    }
    if (equalsHeard) {
        EvaluateSpokenExpression(host_.Memo1Text());
        return;
    }
    R1Click();
    SpokenExpression = CollapsePoints(std::move(SpokenExpression));
    ShowInMemo1(SpokenExpression);
    FeedSpoken(ReplaceAll(SpokenExpression, "÷", "/"));
    if (host_.Memo1Text() != previous) {
        SpeakMessage(host_.Memo1Text());
    }
}

int Kokuban::EvaluateSpokenExpression(const std::string& text) {
    std::string e = CollapsePoints(KeepExpressionAlphabet(SpokenDigitsToSymbols(text))) + "=";
    ShowInMemo1(e);
    const int check = CheckSpokenExpression(e);
    if (check < 0) {
        Blink(300);
        SpeakMessage("式が正しくありません。");
        return check;
    }
    board.operands.result.clear();
    // What earlier recognitions entered stays; only the rest is fed. An entry that refused
    // some of those characters is not a prefix, and is entered again from the start.
    std::string rest = e;
    if (e.compare(0, state.expression.size(), state.expression) == 0) {
        rest.erase(0, state.expression.size());
    } else {
        R1Click();
    }
    if (!FeedSpoken(rest)) {
        return -2;
    }
    // A division's "quotientRremainder" is normal already; as one text "0R7" would lose its
    // quotient.
    const std::string& result = board.operands.result;
    std::string answer =
        result.find('R') == std::string::npos ? NormalizeNumberText(result) : result;
    if (answer.size() >= 2 && answer.compare(answer.size() - 2, 2, "R0") == 0) {
        answer.resize(answer.size() - 2);
    }
    std::string reply = MessageReading(e + answer) + "です。";
    if (reply.find('e') != std::string::npos) {
        reply = "式が不正です。";
    }
    lastSpokenAnswer = reply;
    SpeakMessage(reply);
    return 0;
}

}  // namespace kazu
