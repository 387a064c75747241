// Starting and stopping voice input, the two listening modes, the status line and the first
// step of every recognition.
#include <algorithm>
#include <cctype>
#include <charconv>
#include <utility>

#include "core/Kokuban_v24/Kokuban.h"
#include "core/SpokenText.h"

namespace kazu {
namespace {

constexpr Colour kStatusGreen = 0x008000;
constexpr Colour kStatusRed = 0xFF0000;
constexpr Colour kStatusYellow = 0xFFFF00;
// Longer than any utterance; keeps a runaway engine from feeding megabytes into the entry.
constexpr size_t kMaxRecognitionBytes = 1024;
// Recognitions kept while the board is busy; more than a child can say during one drawing.
constexpr size_t kMaxHeldRecognitions = 16;
// "ヘルプ中止": said over the character's spoken help to stop it.
constexpr int kStopHelpCommand = 31;

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

int CommandNumber(const Recognition& recognition) {
    for (const SemanticProperty& property : recognition.properties) {
        if (!SameIgnoringCase(property.name, "chosencommand")) {
            continue;
        }
        for (const SemanticProperty& child : property.children) {
            if (child.name == "commandvalue") {
                int number = 0;
                const char* end = child.value.data() + child.value.size();
                const auto parsed = std::from_chars(child.value.data(), end, number);
                return parsed.ec == std::errc{} && parsed.ptr == end ? number : 0;
            }
        }
        return 0;
    }
    return 0;
}

// Cut at a character boundary, never inside a UTF-8 sequence.
std::string Truncated(const std::string& text) {
    if (text.size() <= kMaxRecognitionBytes) {
        return text;
    }
    size_t end = kMaxRecognitionBytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
        --end;
    }
    return text.substr(0, end);
}

}  // namespace

void Kokuban::SpeechSetup(Recognizer& recognizer, const std::string& grammarPath) {
    recognizer_ = &recognizer;
    recognizer.SetListener(this);
    recognizer.DictationLoad();
    recognizer.DictationSetState(0);
    voiceUnavailable_ = recognizer.CmdLoadFromFile(grammarPath) < 0;
    if (!voiceUnavailable_) {
        recognizer.CmdSetRuleIdState(0, 0);
        voiceUnavailable_ = recognizer.DictationSetState(1) < 0;
    }
    host_.SetVoiceInputAvailable(!voiceUnavailable_);
    if (voiceUnavailable_) {
        settings.SRFLAG = 0;
        settings.HEAROK = 0;
    }
    commandMode = false;
    StatusLine(settings.SRFLAG == 1);
    host_.CaptionsChanged();
    SpokenExpression.clear();
    if (switchWhenReady_) {
        *std::exchange(switchWhenReady_, std::nullopt) ? S2Click() : E1Click();
    }
}

void Kokuban::S2Click() {
    if (recognizer_ == nullptr) {
        switchWhenReady_ = true;
        return;
    }
    if (voiceUnavailable_) {
        host_.Beep();
        host_.Beep();
        return;
    }
    if (settings.SRFLAG == 1) {
        return;
    }
    R1Click();
    recognizer_->CmdSetRuleIdState(0, 0);
    if (recognizer_->DictationSetState(1) < 0) {
        host_.Beep();
        voice_.Speak("音声認識ができません。", Voice::kAsync);
        return;
    }
    host_.ShowInputPanel(false);
    SpokenExpression.clear();
    state.expression.clear();
    state.restoreText.clear();
    ResetEntry();
    commandMode = false;
    settings.SRFLAG = 1;
    settings.HEAROK = 1;
    StatusLine(true);
    VK_DeleteKey();
    state.entryOpen = true;
    voice_.Speak("音声入力ができます。", Voice::kAsync);
}

void Kokuban::E1Click() {
    if (recognizer_ == nullptr) {
        switchWhenReady_ = false;
        return;
    }
    if (settings.SRFLAG != 1) {
        return;
    }
    if (recognizer_->DictationSetState(0) < 0) {
        return;
    }
    settings.SRFLAG = 0;
    settings.HEAROK = 0;
    host_.ShowInputPanel(true);
    R1Click();
    voice_.Speak("音声入力をオフにしました。読み上げは可能です。", Voice::kAsync);
    StatusLine(false);
}

void Kokuban::SpeechPanel1Click() {
    const bool shown = settings.SP_PANELSHOW != 1;
    host_.ShowSpeechPanel(shown);
    SetSpeechPanelShown(shown);
}

void Kokuban::StatusLine(bool on) {
    if (!on) {
        host_.SetStatusLine("×××××", kStatusGreen);
    } else if (commandMode) {
        host_.SetStatusLine("命令してね！", kStatusRed);
    } else {
        host_.SetStatusLine("式を言って!!", kStatusYellow);
    }
}

void Kokuban::EnterCommandMode() {
    if (recognizer_ != nullptr) {
        recognizer_->DictationSetState(0);
        recognizer_->CmdSetRuleIdState(0, 1);
    }
    commandMode = true;
}

void Kokuban::ReturnToCalculationMode() {
    if (recognizer_ != nullptr) {
        recognizer_->CmdSetRuleIdState(0, 0);
        recognizer_->DictationSetState(1);
    }
    commandMode = false;
}

void Kokuban::OnRecognition(const Recognition& recognition) {
    // A recognition in the middle of a paced drawing or of another recognition's replies
    // would enter characters into a calculation that is half drawn: it waits its turn.
    if (drawing_ || hearing_) {
        if (heldRecognitions_.size() < kMaxHeldRecognitions) {
            heldRecognitions_.push_back(recognition);
        }
        return;
    }
    HandleRecognition(recognition);
    HandleHeldRecognitions();
}

void Kokuban::HandleHeldRecognitions() {
    while (!heldRecognitions_.empty() && !drawing_ && !hearing_) {
        const Recognition next = std::move(heldRecognitions_.front());
        heldRecognitions_.pop_front();
        HandleRecognition(next);
    }
}

void Kokuban::HandleRecognition(const Recognition& recognition) {
    const std::string text = Truncated(recognition.text);
    if (text.empty()) {
        return;
    }
    // With loudspeakers the microphone hears the character too, and her own words ran commands
    // and calculations. What was heard while she spoke is left, but for the command that stops
    // her help, which is said over her.
    const int number = commandMode ? CommandNumber(recognition) : 0;
    if (recognition.duringOwnVoice && number != kStopHelpCommand) {
        return;
    }
    hearing_ = true;
    host_.ShowInMemo2(text);
    if (commandMode) {
        if (number > 0 && !SureEnoughToRun(number, recognition.confidence)) {
            // Heard this unsure it may be its opposite, which would undo what the child asked for.
            host_.ShowInMemo2(text + "？ よく きこえなかったよ。もう一度 言ってね。");
            SpeakMessage("もう一度 言ってね。");
        } else if (number > 0) {
            RunCommand(number);
        }
    } else if (settings.HEAROK != 0) {
        HearCalculationWords(text, recognition.confidence);
    }
    hearing_ = false;
}

void Kokuban::HearCalculationWords(const std::string& text, double confidence) {
    const bool yes = text == "はい";
    if (const auto doubtful = std::exchange(doubtfulCalculation_, std::nullopt); doubtful && yes) {
        host_.ShowInMemo2(*doubtful);
        CalculationWordCommand(*doubtful);
        return;
    }
    // A yes with nothing to confirm is no part of a calculation ("は" would end one).
    if (yes) {
        return;
    }
    const std::string heard = NormaliseSpokenText(text);
    const bool ends = heard.find('=') != std::string::npos;
    const bool digits = heard.find_first_of("0123456789") != std::string::npos;
    if (confidence >= kSureCalculation || !ends || !digits || !state.entryOpen) {
        CalculationWordCommand(text);
        return;
    }
    // What was collected before, with this, is what the child is asked about.
    doubtfulCalculation_ = text;
    const std::string whole =
        CollapsePoints(KeepExpressionAlphabet(SpokenDigitsToSymbols(SpokenExpression + heard)));
    const std::string shown = ReplaceAll(ReplaceAll(whole, "*", "×"), "/", "÷");
    host_.ShowInMemo2("「" + shown + "」かな？ そうなら「はい」、ちがったら もう一度 言ってね。");
    SpeakMessage(MessageReading(whole) + "、かな？");
}

void Kokuban::OnInputLevel(int level) {
    host_.SetInputLevel(std::clamp(level, 0, 100));
}

void Kokuban::OnRecognizerLost(const std::string& reason) {
    voiceUnavailable_ = true;
    heldRecognitions_.clear();
    host_.SetVoiceInputAvailable(false);
    host_.ShowInMemo2(reason);
    if (settings.SRFLAG == 1) {
        settings.SRFLAG = 0;
        settings.HEAROK = 0;
        commandMode = false;
        host_.ShowInputPanel(true);
        voice_.Speak("音声認識ができません。", Voice::kAsync);
    }
    StatusLine(false);
}

void Kokuban::ShowInMemo1(const std::string& text) {
    host_.ClearMemo1();
    host_.InsertIntoMemo1(text);
}

}  // namespace kazu
