// What the character says, and how: the reading tables and the speaking operations.
#include <string>
#include <utility>

#include "core/Kokuban_v24/Kokuban.h"

namespace kazu {
namespace {

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

std::string ApplyTable(std::string text,
                       std::initializer_list<std::pair<const char*, const char*>> table) {
    for (const auto& [symbol, word] : table) {
        text = ReplaceAll(std::move(text), symbol, word);
    }
    if (!text.empty() && text.back() == '.') {
        text.pop_back();
        text += "点";
    }
    return text;
}

}  // namespace

std::string MessageReading(const std::string& text) {
    return ApplyTable(text, {{"=", "イコール"},
                             {"*", "掛ける"},
                             {"-", "ひく"},
                             {"+", "たす"},
                             {"/", "わる"},
                             {"R", " あまり "}});
}

std::string ExpressionReading(const std::string& text) {
    return ApplyTable(
        text, {{"*", "かける"}, {"/", "わる"}, {"-", "ひく"}, {"+", "たす"}, {"R", "あまり"}});
}

void Kokuban::SpeakText(const std::string& text, int /*blinkMilliseconds*/) {
    voice_.SetRate(settings.SIKISPRATE);
    voice_.SetVolume(settings.SIKISPVOLUME);
    voice_.Speak(text, Voice::kAsync);
}

void Kokuban::SpeakMessage(const std::string& text) {
    if (settings.SIKISPEAK == 0) {
        return;
    }
    if (text == "ZZZ") {
        host_.Beep();
        voice_.Speak("はあい。", Voice::kPurge);
        return;
    }
    voice_.SetRate(settings.SIKISPRATE);
    voice_.SetVolume(settings.SIKISPVOLUME);
    voice_.Speak(MessageReading(text), Voice::kAsync);
}

void Kokuban::R2Click() {
    if (settings.SIKISPEAK == 0 || state.expression.empty()) {
        return;
    }
    std::string& result = board.operands.result;
    if (!result.empty()) {
        result = NormalizeNumberText(result);
    }
    voice_.SetRate(settings.SIKISPRATE);
    voice_.SetVolume(settings.SIKISPVOLUME);
    voice_.Speak(ExpressionReading(state.expression + result), Voice::kAsync);
}

void Kokuban::StopSpeaking() {
    voice_.Skip("Sentence", 1000);
}

void Kokuban::FormActivate() {
    if (greeted_) {
        return;
    }
    greetingText_ = "。こんにちわ！" + settings.USERSYOBINA + "。数ちゃんです。";
    if (settings.SRFLAG == 1 && settings.HEAROK != 0) {
        greetingText_ +=
            "今は音声入力による計算モードです。使い方が分からなかったら、「コマンド」と言って、"
            "次に「ヘルプ」と言えばいいっちゃ。";
    } else {
        greetingText_ += "今はキーとマウスによる計算モードです。";
    }
    greetingText_ += "では、どーぞー。";
    if (settings.MSGSPEAK == 1) {
        SpeakText(greetingText_, 200);
    }
    greeted_ = true;
}

}  // namespace kazu
