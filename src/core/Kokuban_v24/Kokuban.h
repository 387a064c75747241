// The owner object of the blackboard window: the calculation, the board, the settings and the
// operations every input path calls. It knows no window; it asks the Host for everything
// outside itself.
#pragma once

#include <cstdint>
#include <random>
#include <string>

#include "core/Board.h"
#include "core/Funcsv.h"
#include "core/Kokuban_v24/CalcState.h"
#include "core/Kokuban_v24/Character.h"
#include "core/Kokuban_v24/Keys.h"
#include "core/Settings.h"
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
};

class Kokuban : public VoiceListener {
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

    // Set while a calculation is being drawn with its pauses.
    bool drawing() const { return drawing_; }
    // Set while recognised speech is fed in, so single characters are not echoed.
    bool fromRecognition = false;

  private:
    Host& host_;
    Voice& voice_;
    Canvas* windowCanvas_ = nullptr;
    int clientWidth_ = 902;
    int clientHeight_ = 567;
    int scrollPosition_ = 0;
    int scrollRange_ = 0;
    bool drawing_ = false;
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
};

}  // namespace kazu
