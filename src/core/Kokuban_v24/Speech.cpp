// What the character says, and how: the reading tables and the speaking operations.
#include <string>
#include <utility>

#include "core/Kokuban_v24/Kokuban.h"
#include "core/SpokenText.h"

namespace kazu {
namespace {

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

void Kokuban::Blink(int milliseconds) {
    if (character_ != nullptr) {
        character_->MabatakiDsp(milliseconds);
    }
}

void Kokuban::OnAudioLevel(int level) {
    if (character_ != nullptr) {
        character_->ReadingLevel(level);
    }
}

void Kokuban::OnViseme(int viseme) {
    // Repeated reports of the same viseme would only redraw the same face.
    if (viseme != lastViseme_ && character_ != nullptr) {
        character_->VisemeDsp(viseme);
    }
    lastViseme_ = viseme;
}

void Kokuban::SpeakText(const std::string& text, int blinkMilliseconds) {
    voice_.SetRate(settings.SIKISPRATE);
    voice_.SetVolume(settings.SIKISPVOLUME);
    voice_.Speak(text, Voice::kAsync);
    if (blinkMilliseconds > 0) {
        Blink(blinkMilliseconds);
    }
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
    Blink(100);
    voice_.SetRate(settings.SIKISPRATE);
    voice_.SetVolume(settings.SIKISPVOLUME);
    voice_.Speak(MessageReading(text), Voice::kAsync);
}

void Kokuban::R2Click() {
    if (settings.SIKISPEAK == 0 || state.expression.empty()) {
        return;
    }
    std::string& result = board.operands.result;
    // A division's quotient and remainder are normal already; as one text "0R7" would lose
    // its quotient.
    if (!result.empty() && result.find('R') == std::string::npos) {
        result = NormalizeNumberText(result);
    }
    voice_.SetRate(settings.SIKISPRATE);
    voice_.SetVolume(settings.SIKISPVOLUME);
    voice_.Speak(ExpressionReading(state.expression + result), Voice::kAsync);
    Blink(250);
}

void Kokuban::StopSpeaking() {
    voice_.Skip("Sentence", 1000);
}

void Kokuban::HelpSpeak() {
    std::string text =
        "おっす！　ぽん吉の音声での使い方を説明するよ。「ヘルプ中止」と言うか、エスケープ "
        "キーを押せば、説明はやめます。";
    text +=
        commandMode
            ? "。。今はコマンドモードです。計算モードに移りたいときは，「計算」と言ってください。「"
              "計算できます」と返ってきたら計算モードＯＫです。"
            : "。。今は計算モードです。コマンドモードに移りたいときは，「コマンド」と言ってくれれば"
              "いいよ！「メニューコマンド受け付けました」と返ってきたらコマンドモードＯＫです。";
    text +=
        "。ではまず、コマンドモードのときの説明をします。"
        "。コマンドモードでは、数ちゃんの「声の大きさ」、「速さ」，「割り算の商の位」を決めたり、あ"
        "と、時間や日にち、数ちゃんのあいさつ、などを返してくれます。"
        "①。［数ちゃんの声の大きさ。。］読み上げの声を大きくしたいときは、「もっと大きい声で」と言"
        "ってください。"
        "　　読み上げの声を小さくしたいときは、「もっと小さい声で」と言ってください。。"
        "②。［数ちゃんの読み上げの速さ。］読み上げを速くしたいときは、「もっと速く読んで」と言って"
        "ね。"
        "　　読み上げを遅くしたいときは、「もっとおそく読んで」と言ってくうださい。"
        "③。割り算の賞を整数の位まで出したいときは、「賞は整数まで」と言ってください。"
        "。　割り算の賞を小数第３位まで出したいときは、「賞は小数第３位まで」と言ってください。"
        "。　割り算の賞は小数第10位まで指定できます。"
        "④。式を消したいときは、「クリア」と言ってください！。「クリアしました」と言われたら、式を"
        "新しく言ってください。"
        "⑤。計算モードに移りたいときは、「計算」と言ってくれればいいよ。「計算できます」と返ってき"
        "たら計算モードＯＫです。"
        "⑥。そのほか，「おはよう」、「こんにちわ」、「ありがとう」，「何日？」、「何時」、「好きな"
        "ものは」などに応えます。"
        "。次は、「計算モード」のときの説明をします。"
        "計算は，２つの数のたし算、ひき算、かけ算、わり算をします。整数と小数はいいですが、数ちゃん"
        "は分数は計算できません。"
        "①　式の終わりは、必ず、「わ」、あるいは「イコール」をつけて言ってください。それが合図にな"
        "って計算を始めるんだよ。"
        "例えば、「３×４ わ」とか、「3.2÷0.5イコール」のように、はっきり言ってね。"
        "②。式を間違えたときは、「クリア」と言ってください。「クリアしました」と言われたら、新しく"
        "言い直してください。"
        "④。かずちゃんを終了したいときは、コマンドモードで、「プログラム終了」か「かずちゃん終了」"
        "と言ってください。"
        "。。以上、音声での使い方を説明しました。";
    SpeakText(text, 250);
}

void Kokuban::ExplainRequest() {
    // The teacher switches the explanation on; until then the reply stays as it always was.
    if (settings.EXPLAIN_FLAG == 1 && !state.entryOpen && host_.ExplainOnBoard()) {
        return;
    }
    SpeakText(state.entryOpen ? "まず、式の計算をしてください。"
                              : "ごめんなさい。説明の準備がまだなんです。",
              250);
}

void Kokuban::TestYomiClick() {
    voice_.SetRate(settings.SIKISPRATE);
    voice_.SetVolume(settings.SIKISPVOLUME);
    voice_.Speak("読み上げの速さと音量のテストです。78+23=101", Voice::kAsync);
}

void Kokuban::FormActivate() {
    if (greeted_) {
        return;
    }
    greetingText_ = "。こんにちわ！" + settings.USERSYOBINA + "。数ちゃんです。";
    const bool voiceOnly = settings.SRFLAG == 1 && settings.HEAROK != 0;
    host_.ShowInputPanel(!voiceOnly);
    if (voiceOnly) {
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
