// The owner object of the blackboard window: the calculation, the board, the settings and the
// operations every input path calls. It knows no window; it asks the Host for everything
// outside itself.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <random>
#include <string>

#include "core/Board.h"
#include "core/Bunex/Bunex.h"
#include "core/Bunex/Reibun.h"
#include "core/Clock.h"
#include "core/Funcsv.h"
#include "core/Kokuban_v24/CalcState.h"
#include "core/Kokuban_v24/Character.h"
#include "core/Kokuban_v24/Keys.h"
#include "core/Settings.h"
#include "speech/Recognizer.h"
#include "speech/Voice.h"

namespace kazu {

// The texts handed to the voice: symbols read as words, a final point read as 点.
std::string MessageReading(const std::string& text);
std::string ExpressionReading(const std::string& text);

// What the owner asks of the main window; the message box and the posted key come from
// BoardHost, which the board uses too.
class Host : public BoardHost {
  public:
    virtual void Beep() = 0;
    // Memo1 shows what was typed or spoken, Memo2 the recognised commands.
    virtual void InsertIntoMemo1(const std::string& text) = 0;
    virtual void ClearMemo1() = 0;
    virtual void ClearMemo2() = 0;
    // The board image changed and should reach the screen.
    virtual void BoardChanged() = 0;
    virtual void SetScrollPosition(int position) = 0;
    // A caption of the speech panel changed (quotient places, carries, borrows, colours).
    virtual void CaptionsChanged() = 0;
    virtual void OpenFontDialog() = 0;
    // The settings dialog, modal; returns when it has closed.
    virtual void OpenSettingsDialog() = 0;
    // The input panel beside the board: shown or hidden, and minimised or restored (F8).
    virtual void ShowInputPanel(bool shown) = 0;
    virtual void ToggleInputPanelMinimized() = 0;
    // Voice input: the speech panel's status line, the command box (Memo2), the input level
    // bar and the menu item that starts listening.
    virtual void SetStatusLine(const std::string& text, Colour background) = 0;
    virtual void ShowInMemo2(const std::string& text) = 0;
    virtual std::string Memo1Text() const = 0;
    virtual void SetInputLevel(int level) = 0;
    virtual void SetVoiceInputAvailable(bool available) = 0;
    virtual void ShowSpeechPanel(bool shown) = 0;
    // The program's window: minimised, brought back to the front, closed (ends the program).
    virtual void MinimizeProgram() = 0;
    virtual void RestoreProgram() = 0;
    virtual void CloseProgram() = 0;
    virtual void PrintBoard() = 0;
    virtual bool SettingsDialogOpen() const = 0;
    // Walks the explanation of the finished calculation over the board; false when this host
    // has no board to walk it on.
    virtual bool ExplainOnBoard() { return false; }
};

class Kokuban : public VoiceListener, public RecognizerListener {
  public:
    static constexpr int kSpeechPanelHeight = 90;
    static constexpr int kScrollStep = 4;

    Kokuban(Host& host, Voice& voice, const AppSettings& settings);
    ~Kokuban() override;
    Kokuban(const Kokuban&) = delete;
    Kokuban& operator=(const Kokuban&) = delete;

    CalcState state;
    AppSettings settings;
    DivisionRecord division;
    Board board{state, settings, division};

    // The window's construction, once the window canvas exists. screenDpi sets the scroll range
    // (one printed page).
    void Start(Canvas& windowCanvas, int screenDpi);
    void SetPacer(Pacer* pacer) { board.SetPacer(pacer); }
    // The face and the level bar; none in tests that do not look at them.
    void SetCharacter(CharacterView* character) { character_ = character; }
    void SetClientSize(int width, int height);

    // Entry.
    void InputChar(char ch);
    void KeyInputChar(char ch);
    void BackSpace();
    void Hukkatu();
    void VK_DeleteKey();
    void R1Click();
    void ReCalcButtonClick();
    void HomeDsp();
    void GamenClear();
    void KaigyouToggle();
    // The settings dialog's line-break box: a finished calculation is drawn again with it.
    void SetLineBreak(int flag);
    void IroChange();
    void ResetEntry();
    void FreezeEntry();
    bool CheckDigitLimits();

    // The key map of the main window.
    void FormKeyDown(int key, KeyModifiers modifiers);

    // Every 500 ms.
    void Timer1Timer();

    // Repaint and scrolling.
    void FormPaint();
    void ScrollUp();
    void ScrollDown();
    void ScrollTo(int position);
    int scrollPosition() const { return scrollPosition_; }
    int scrollRange() const { return scrollRange_; }

    // The speech panel.
    void SetSpeechPanelShown(bool shown);
    std::string PointsCaption() const;
    std::string CarryCaption() const;
    std::string BorrowCaption() const;
    void SetPointMax(int places);

    // Fonts.
    void newFont(const std::string& name, int size);
    void MojiBigButtonClick();
    void MojiSmallButtonClick();

    // Printing: PrintCheck reports an empty board and says whether there is anything to
    // print; PrintOn draws the board on a page.
    bool PrintCheck();
    void PrintOn(Canvas& page);

    // Speech.
    void FormActivate();
    void SpeakText(const std::string& text, int blinkMilliseconds);
    void SpeakMessage(const std::string& text);
    void R2Click();
    void StopSpeaking();
    // The spoken help of the voice commands (F2).
    void HelpSpeak();
    // The reply to a request for an explanation.
    void ExplainRequest();
    // The settings dialog's test sentence.
    void TestYomiClick();
    // Set while voice input listens for commands rather than calculations.
    bool commandMode = false;

    // Voice events.
    void OnAudioLevel(int level) override;
    void OnViseme(int viseme) override;
    void OnEndStream() override {}
    const std::string& greetingText() const { return greetingText_; }

    // The word-problem examples: the pattern file (an empty path when there is none), the
    // switch of the "文" button (key Z), the drawing of the example window and its reading.
    ExampleState example;
    void SetExampleView(ExampleView* view) { example.view = view; }
    void LoadExamples(const std::string& path);
    void SpeedButton3Click();
    // Draws the example for the finished calculation, or the blank layout when there is
    // none; the hint label's caption and size come back with the texts.
    ReibunTexts ReibunDsp(Canvas& canvas);
    void ReibunYomi();
    // The button "読": the expression and answer, then the example when its reading is on.
    void YomiageClick();
    // Hides the example window if it is shown (the spoken clear).
    void HideExample();

    // Set while a calculation is being drawn with its pauses.
    bool drawing() const { return drawing_; }
    // How many calculations "=" has drawn: the window shows each one's working when it ends.
    int calculationsDrawn() const { return calculationsDrawn_; }
    // Voice input. SpeechSetup is the window's start-up step; the recogniser lives as long as
    // the owner.
    void SpeechSetup(Recognizer& recognizer, const std::string& grammarPath);
    void S2Click();
    void E1Click();
    void SpeechPanel1Click();
    void StatusLine(bool on);
    void EnterCommandMode();
    void ReturnToCalculationMode();
    void OnRecognition(const Recognition& recognition) override;
    void OnInputLevel(int level) override;
    void OnRecognizerLost(const std::string& reason) override;
    // Recognitions that came during a paced drawing or another recognition's handling.
    void HandleHeldRecognitions();
    void RunCommand(int number);
    int EvaluateSpokenExpression(const std::string& text);
    bool voiceInputUnavailable() const { return voiceUnavailable_; }
    bool resumePending() const { return resumePending_; }
    std::string SpokenExpression;
    std::string lastSpokenAnswer;
    std::function<LocalTime()> clock = SystemLocalTime;

  private:
    Host& host_;
    Voice& voice_;
    Canvas* windowCanvas_ = nullptr;
    int clientWidth_ = 902;
    int clientHeight_ = 567;
    int scrollPosition_ = 0;
    int scrollRange_ = 0;
    bool drawing_ = false;
    int calculationsDrawn_ = 0;
    Recognizer* recognizer_ = nullptr;
    bool voiceUnavailable_ = true;
    // Voice input was switched on or off before the recogniser was ready: done once it is.
    std::optional<bool> switchWhenReady_;
    bool resumePending_ = false;
    bool hearing_ = false;
    // Set only while FeedSpoken enters recognised text, whose characters are not echoed.
    bool feedingSpoken_ = false;
    std::deque<Recognition> heldRecognitions_;
    // A calculation heard with low confidence, said back to the child, waiting for a yes.
    std::optional<std::string> doubtfulCalculation_;
    bool rebuilding_ = false;
    bool greeted_ = false;
    std::string greetingText_;
    CharacterView* character_ = nullptr;
    int lastViseme_ = 0;
    int tickCount_ = 0;
    std::mt19937 random_{std::random_device{}()};

    void Blink(int milliseconds);

    Canvas& canvas() { return *board.canvas(); }
    void EqualsSequence();
    void InputDigitOrPoint(char ch);
    void InputOperator(char ch);
    void RebuildFromExpression();
    void ClearCursorCell();
    void DrawMarker();
    void Refuse(const std::string& spoken, const std::string& boxText, const std::string& caption,
                MessageIcon icon);
    void ToggleSetting(int32_t& flag);
    void F8Key();
    void KeyWithShift(int key);
    void KeyWithCtrl(int key);
    void KeyOfCalculator(int key);
    bool ExampleReady() const;
    void SetRemainderFlag();
    void ExampleAfterEquals();
    void ExampleAfterRecalculation();
    void HandleRecognition(const Recognition& recognition);
    void HearCalculationWords(const std::string& text, double confidence);
    void ShowInMemo1(const std::string& text);
    bool FeedSpoken(const std::string& text);
    bool CalculationWordCommand(const std::string& text);
    void SpokenExpressionInput(std::string text);
    void CommandReplies(int number);
    void CommandSettings(int number);
    void CommandWindow(int number);
    void CommandListening(int number);
    void ChangeRate(int step);
    void ChangeVolume(int step);
    void SpeakTime(bool longFormat);
    void SpeakDate();
    void PanelShowCommand(bool show);
};

// A calculation stands on the board: "=" was accepted and, for a division, its working fit.
inline bool Calculated(const Kokuban& model) {
    return model.state.entry.drawReady && !model.state.entryOpen &&
           model.division.status != DivisionStatus::kOverflow;
}

}  // namespace kazu
