// The owner object's side of the word-problem examples: the switch, the drawing of the
// example for the calculation on the board, and its reading.
#include "core/Bunex/Reibun.h"
#include "core/Kokuban_v24/Kokuban.h"

namespace kazu {

void Kokuban::LoadExamples(const std::string& path) {
    example.patterns = PatternTable{};
    example.available = !path.empty() && ReiGet(path, example.patterns) == 1;
}

bool Kokuban::ExampleReady() const {
    return example.on && example.available && !state.expression.empty() && !state.entryOpen;
}

void Kokuban::SetRemainderFlag() {
    example.remainderFlag = board.operands.result.find('R') != std::string::npos ? 4 : 0;
}

void Kokuban::SpeedButton3Click() {
    example.on = !example.on;
    if (example.view != nullptr) {
        example.view->SpeedButton3Dsp();
    }
    if (state.expression.empty() || state.entryOpen) {
        return;
    }
    if (!example.available) {
        host_.ShowMessage(
            "文章題の例文ファイル<>"
            "がありません。\nご確認をお願いします。\nなくても文章例がないだけです。",
            "★☆お願い☆★", MessageIcon::None);
        example.on = false;
        if (example.view != nullptr) {
            example.view->SpeedButton3Dsp();
        }
        return;
    }
    if (!example.on) {
        if (example.view != nullptr) {
            example.view->HideExample();
        }
        return;
    }
    SetRemainderFlag();
    // Said before the window draws, so that a read example follows the message.
    if (settings.MSGSPEAK == 1) {
        voice_.Speak("文章題の例文を表示しました。", Voice::kAsync);
    }
    if (example.view != nullptr) {
        example.view->ShowExample();
    }
}

void Kokuban::ExampleAfterEquals() {
    // A recalculation draws its example once, after the whole replay.
    if (!ExampleReady() || state.replaying) {
        return;
    }
    SetRemainderFlag();
    if (example.view != nullptr) {
        example.view->ShowExample();
    }
}

void Kokuban::ExampleAfterRecalculation() {
    if (!example.on || !example.available) {
        return;
    }
    SetRemainderFlag();
    if (example.view != nullptr) {
        example.view->ShowExample();
    }
}

void Kokuban::HideExample() {
    if (example.view != nullptr && example.view->ExampleShown()) {
        example.view->HideExample();
    }
}

ReibunTexts Kokuban::ReibunDsp(Canvas& canvas) {
    canvas.SetFontName(kExampleFont);
    canvas.FillRect(0, 0, kExampleWidth, kExampleHeight, kExampleBackground);
    if (!ExampleReady()) {
        DrawKara(canvas);
        ReibunTexts blank;
        blank.hint = KaraHint();
        return blank;
    }
    example.operatorIndex = OperatorIndex(board.operands.op, example.operatorIndex);
    const ReibunInput input{state.expression, board.operands.result, state.entry.firstFracLen > 0,
                            state.entry.secondFracLen > 0, example.remainderFlag};
    ReibunTexts texts = BuildReibun(example.patterns, input, example.operatorIndex);
    example.type = texts.type;
    example.readingText = texts.reading;
    DrawReibun(canvas, texts);
    if (settings.REIREADF == 1) {
        ReibunYomi();
    }
    return texts;
}

void Kokuban::ReibunYomi() {
    if (example.readingText.empty()) {
        return;
    }
    voice_.SetRate(settings.SIKISPRATE);
    voice_.SetVolume(settings.SIKISPVOLUME);
    voice_.Speak(example.readingText, Voice::kAsync);
}

void Kokuban::YomiageClick() {
    R2Click();
    if (settings.REIREADF == 1 && !example.readingText.empty() && example.on) {
        ReibunYomi();
    }
}

}  // namespace kazu
