// Start-up, the timer, repaint, scrolling, the font commands and printing of the board.
#include "core/Kokuban_v24/Kokuban.h"

#include <algorithm>

namespace kazu {

Kokuban::Kokuban(Host& host, Voice& voice, const AppSettings& initial)
    : settings(initial), host_(host), voice_(voice) {
    voice_.SetListener(this);
    board.SetHost(&host_);
}

Kokuban::~Kokuban() {
    voice_.SetListener(nullptr);
    if (recognizer_ != nullptr) {
        recognizer_->SetListener(nullptr);
    }
}

void Kokuban::Start(Canvas& windowCanvas, int screenDpi) {
    windowCanvas_ = &windowCanvas;
    board.SetCanvas(&windowCanvas);
    settings.FONTSIZE = std::max(settings.FONTSIZE, 10);
    BoardLayout& l = board.layout;
    l.fontSize = settings.FONTSIZE;
    l.halfSize = Trunc(0.4L * settings.FONTSIZE);
    state = CalcState{};
    board.SetColourScheme(settings.DSP_CL_TYPE);
    windowCanvas.SetFontName(settings.FONTNAME);
    board.Measure(l.fontSize);
    l.originX = 3 * l.textHeight;
    l.originY = l.textHeight + (settings.SP_PANELSHOW == 1 ? kSpeechPanelHeight : 0);
    l.nextEntryX = l.originX;
    state.nextEntryY = l.originY;
    scrollRange_ = Trunc(11.7L * screenDpi);
    scrollPosition_ = 0;
    R1Click();
    host_.CaptionsChanged();
}

void Kokuban::SetClientSize(int width, int height) {
    clientWidth_ = width;
    clientHeight_ = height;
}

void Kokuban::SetSpeechPanelShown(bool shown) {
    settings.SP_PANELSHOW = shown ? 1 : 0;
    BoardLayout& l = board.layout;
    l.originY = l.textHeight + (shown ? kSpeechPanelHeight : 0);
    if (state.expression.empty()) {
        l.nextEntryX = l.originX;
        state.nextEntryY = l.originY;
    }
    FormPaint();
}

void Kokuban::Timer1Timer() {
    if (drawing_ || windowCanvas_ == nullptr) {
        return;
    }
    // Every fifth tick the idle face blinks and shows a mouth at random.
    if (++tickCount_ > 4) {
        Blink(100);
        if (character_ != nullptr) {
            character_->VisemeDsp(std::uniform_int_distribution<int>(0, 10)(random_));
        }
        tickCount_ = 0;
    }
    BoardLayout& l = board.layout;
    if (!state.entryOpen && l.cursorBlinkPhase == 1) {
        return;
    }
    const Colour colour = l.cursorBlinkPhase == 1 ? board.colours.cursor : board.colours.background;
    windowCanvas_->FillRect(l.nextEntryX + 2, state.nextEntryY + 2, l.nextEntryX + l.digitWidth - 2,
                            state.nextEntryY + l.textHeight - 2, colour);
    l.cursorBlinkPhase = 1 - l.cursorBlinkPhase;
    host_.BoardChanged();
}

void Kokuban::FormPaint() {
    const int speed = board.speed();
    const bool stepping = board.stepDisplay;
    BoardLayout& l = board.layout;
    l.scrollOffset = scrollPosition_;
    canvas().FillRect(0, 0, clientWidth_, clientHeight_, board.colours.background);
    DrawMarker();
    board.setSpeed(0);
    board.stepDisplay = false;
    board.DrawCalculation();
    board.setSpeed(speed);
    board.stepDisplay = stepping;
    host_.BoardChanged();
}

void Kokuban::ScrollTo(int position) {
    if (state.entryOpen) {
        host_.SetScrollPosition(scrollPosition_);
        return;
    }
    scrollPosition_ = std::clamp(position, 0, scrollRange_);
    host_.SetScrollPosition(scrollPosition_);
    FormPaint();
}

void Kokuban::ScrollUp() {
    ScrollTo(scrollPosition_ - kScrollStep);
}

void Kokuban::ScrollDown() {
    ScrollTo(scrollPosition_ + kScrollStep);
}

std::string Kokuban::PointsCaption() const {
    return settings.POINTMAX == 0 ? "整数まで"
                                  : "小数第" + std::to_string(settings.POINTMAX) + "位まで";
}

std::string Kokuban::CarryCaption() const {
    return settings.KURIAGARI == 1 ? "くり上がり◎" : "くり上がり×";
}

std::string Kokuban::BorrowCaption() const {
    return settings.KURISAGARI == 1 ? "くり下がり◎" : "くり下がり×";
}

void Kokuban::SetPointMax(int places) {
    settings.POINTMAX = std::clamp(places, 0, 10);
    host_.CaptionsChanged();
}

void Kokuban::newFont(const std::string& name, int size) {
    settings.FONTNAME = name;
    settings.FONTSIZE = size;
    BoardLayout& l = board.layout;
    l.fontSize = size;
    l.halfSize = size / 2;
    canvas().SetFontName(name);
    board.Measure(size);
    canvas().FillRect(0, 0, clientWidth_, clientHeight_, board.colours.background);
    FormPaint();
}

void Kokuban::MojiBigButtonClick() {
    newFont(settings.FONTNAME, std::min(board.layout.fontSize + 1, 50));
}

void Kokuban::MojiSmallButtonClick() {
    newFont(settings.FONTNAME, std::max(board.layout.fontSize - 1, 5));
}

bool Kokuban::PrintCheck() {
    board.layout.scrollOffset = 0;
    if (!state.expression.empty()) {
        return true;
    }
    const std::string message = "印刷する式がありません。";
    if (settings.HEAROK != 0) {
        SpeakMessage(message);
    } else {
        host_.ShowMessage(message, "ご注意！", MessageIcon::None);
    }
    return false;
}

void Kokuban::PrintOn(Canvas& page) {
    BoardLayout& l = board.layout;
    const BoardLayout saved = l;
    board.SetCanvas(&page);
    page.SetFontName(settings.FONTNAME);
    page.SetFontSize(l.fontSize);
    l.digitWidth = page.TextWidth("1234567890") / 10;
    l.textHeight = page.TextHeight("１２３４５");
    l.originX = 2 * l.textHeight;
    l.originY = 3 * l.textHeight / 2;
    l.cellWidth = 2 * l.digitWidth;
    l.rowHeight = l.textHeight;
    l.scrollOffset = 0;
    board.SetColourScheme(1);
    // A page is drawn whole, never step by step.
    const bool stepping = board.stepDisplay;
    board.stepDisplay = false;
    drawing_ = true;
    board.DrawCalculation();
    drawing_ = false;
    board.stepDisplay = stepping;
    state.restoreText = state.expression;
    board.SetColourScheme(settings.DSP_CL_TYPE);
    board.SetCanvas(windowCanvas_);
    l.digitWidth = saved.digitWidth;
    l.textHeight = saved.textHeight;
    l.originX = saved.originX;
    l.originY = saved.originY;
    l.cellWidth = 2 * l.digitWidth;
    l.rowHeight = l.textHeight;
}

}  // namespace kazu
