// The blackboard window: the board image, the speech panel, the menu and the timer.
#pragma once

#include <QImage>
#include <QMainWindow>
#include <QPointer>
#include <QRect>
#include <QTimer>
#include <functional>
#include <memory>
#include <set>
#include <vector>

#include "app/BoardView.h"
#include "app/QtCanvas.h"
#include "app/WindowPacer.h"
#include "core/Kokuban_v24/Kokuban.h"
#include "core/Settings.h"
#include "speech/Recognizer.h"
#include "speech/Voice.h"

class QLabel;
class QProgressBar;
class QScrollBar;
class QComboBox;
class QPrinter;
class QFrame;
class QAction;
class QToolButton;

namespace kazu {

class ExplanationWalk;
class Notebook;
struct Progress;
class WorksheetWindow;
class HelpWindow;
class TFaceS;
class TSenExForm;
class TInputForm;
class TStepGoForm;
class TJoukenSetForm;
class UpDown;
class Memo;

class TKokubanForm : public QMainWindow,
                     public Host,
                     public CharacterView,
                     public RecognizerListener {
    Q_OBJECT
  public:
    TKokubanForm(std::unique_ptr<SettingsStore> store, std::unique_ptr<Voice> voice,
                 QWidget* parent = nullptr);
    ~TKokubanForm() override;

    Kokuban& model() { return *model_; }
    // The board's image, from the board's top-left corner; it may reach beyond the view.
    const QImage& boardImage() const { return canvas_->image(); }
    QScrollBar* scrollBar() const { return scrollBar_; }
    QScrollBar* sidewaysBar() const { return sideways_; }
    BoardView* boardView() const { return board_; }
    Voice& voice() { return *voice_; }

    // Tests replace the message box.
    using MessageSink =
        std::function<void(const QString& text, const QString& caption, bool exclamation)>;
    void SetMessageSink(MessageSink sink) { messageSink_ = std::move(sink); }

    // Host.
    void ShowMessage(const std::string& text, const std::string& caption,
                     MessageIcon icon) override;
    void Beep() override;
    void InsertIntoMemo1(const std::string& text) override;
    void ClearMemo1() override;
    void ClearMemo2() override;
    void BoardChanged() override;
    void SetScrollPosition(int position) override;
    void CaptionsChanged() override;
    void OpenFontDialog() override;
    void PostKey(int virtualKey) override;
    void SetStatusLine(const std::string& text, Colour background) override;
    void ShowInMemo2(const std::string& text) override;
    std::string Memo1Text() const override;
    void SetInputLevel(int level) override;
    void SetVoiceInputAvailable(bool available) override;
    void ShowSpeechPanel(bool shown) override;
    void MinimizeProgram() override;
    void RestoreProgram() override;
    void CloseProgram() override;
    void PrintBoard() override;
    bool SettingsDialogOpen() const override;
    bool ExplainOnBoard() override;
    ExplanationWalk* explanationWalk() const { return walk_; }
    // The notebook, made when first opened; nullptr until then.
    Notebook* notebook() const { return notebook_; }
    void OpenNotebook();
    // プリント作成, made when first opened.
    void OpenWorksheet();
    // The teacher's view of the child's practice record.
    void ShowRecord();
    // The child's practice record, as the notebook keeps it.
    const Progress& PracticeRecord();

    // Voice input: the form keeps the recogniser and runs its recognitions as it runs keys,
    // so that input during a drawing's pauses waits for the drawing.
    void SetRecognizer(std::unique_ptr<Recognizer> recognizer, const std::string& grammarPath);
    // Until SetRecognizer, the input level bar says that voice input is being made ready.
    void VoiceInputPreparing();
    // The voice list, once the voice has loaded (asking earlier would wait for the load).
    void FillVoiceList();
    void OnRecognition(const Recognition& recognition) override;
    void OnInputLevel(int level) override;
    void OnRecognizerLost(const std::string& reason) override;
    void OpenSettingsDialog() override { SokudoClick(); }
    void ShowInputPanel(bool shown) override;
    void ToggleInputPanelMinimized() override;

    // CharacterView.
    void VisemeDsp(int viseme) override;
    void MabatakiDsp(int milliseconds) override;
    void ReadingLevel(int level) override;
    // Made after the board's first frame, when they are first shown, or when asked for.
    TFaceS* face();
    TInputForm* inputPanel();
    TStepGoForm* stepWindow();
    WindowPacer* pacer() const { return pacer_; }
    // The settings dialog while it is open, else nullptr.
    TJoukenSetForm* settingsDialog() const { return jouken_; }

    // Menu commands.
    void Print1Click();
    void PrintTo(QPrinter* printer);
    void Y1Click();
    void Z1Click();
    void D1Click();
    void N3Click();
    void Contents1Click();
    void SpeedButton4Click();
    // A help page (by file name) in the help window; when it cannot be found, the message.
    void OpenHelp(const QString& page, const QString& missingMessage);
    // The help window once a page was opened, else nullptr.
    HelpWindow* helpWindow() const { return help_; }
    void About1Click();
    void Exit1Click() { close(); }
    void StaticText1Click();
    void StaticText2Click();
    void UpDown1Click(int position);
    void SpeedButton5Click();
    // The "文" button in red while the example switch is on, blue while off; "●" with it.
    void SpeedButton3Dsp();
    TSenExForm* senEx() const { return senEx_; }
    void ToggleSpeechPanel();
    // The settings dialog, modal; afterwards the board and the panel show what it set.
    void SokudoClick();
    // Y of the step window: stepping off, and the user told.
    void StepModeOff();

    // Runs an operation that may draw with pauses: input meanwhile is held back until it ends.
    void RunPaced(const std::function<void()>& work);

    // The key map, with the key translated from Qt's numbering.
    void KeyDown(const QKeyEvent& event);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    std::unique_ptr<SettingsStore> store_;
    std::unique_ptr<Voice> voice_;
    // Before the model, which lets go of it when destroyed.
    std::unique_ptr<Recognizer> recognizer_;
    std::unique_ptr<Kokuban> model_;
    std::unique_ptr<BoardCanvas> canvas_;
    WindowPacer* pacer_ = nullptr;
    TFaceS* face_ = nullptr;
    TInputForm* input_ = nullptr;
    TStepGoForm* step_ = nullptr;
    TJoukenSetForm* jouken_ = nullptr;
    BoardView* board_ = nullptr;
    QScrollBar* scrollBar_ = nullptr;
    QScrollBar* sideways_ = nullptr;
    static constexpr int kSidewaysBarHeight = 25;
    static constexpr int kScrollBarWidth = 25;
    // Each companion's own place and where it was last put. The face's, the panel's and the
    // step window's follow the main window; one found elsewhere than it was put was moved by
    // the user, and that is its own place now.
    struct CompanionPlace {
        QWidget* window = nullptr;
        QPoint home;
        QPoint placed;
    };
    // The face, the input panel, the step window, the example window: who stays in view first.
    std::vector<CompanionPlace> companions_;
    QTimer timer1_;
    QRect prevBounds_;
    bool closing_ = false;
    bool caretTick_ = false;  // Timer1Timer is running
    bool pendingResize_ = false;
    // The key press last handled and the widget it has reached on its way up to the window.
    const QEvent* keyOnItsWay_ = nullptr;
    QPointer<QWidget> keyReached_;
    // Keys held down in another window, a box most often.
    std::set<int> keysDownElsewhere_;
    MessageSink messageSink_;
    HelpWindow* help_ = nullptr;
    ExplanationWalk* walk_ = nullptr;
    Notebook* notebook_ = nullptr;
    WorksheetWindow* worksheet_ = nullptr;

    // The speech panel.
    QFrame* panel1_ = nullptr;
    QProgressBar* yomiageBar_ = nullptr;
    QProgressBar* spVolumeBar_ = nullptr;
    QLabel* label1_ = nullptr;
    QLabel* staticText1_ = nullptr;
    QLabel* staticText2_ = nullptr;
    QLabel* staticText4_ = nullptr;
    QLabel* staticText6_ = nullptr;
    QLabel* staticText7_ = nullptr;
    Memo* memo1_ = nullptr;
    Memo* memo2_ = nullptr;
    QComboBox* comboBox1_ = nullptr;
    QToolButton* speedButton5_ = nullptr;
    QToolButton* speedButton3_ = nullptr;
    TSenExForm* senEx_ = nullptr;
    UpDown* upDown1_ = nullptr;
    QAction* panelAction_ = nullptr;
    QAction* startAction_ = nullptr;
    std::vector<QMenu*> menus_;
    // Voice input can start: kept for the menu item, which may not be made yet.
    bool voiceInputAvailable_ = false;

    void BuildPanel();
    void BuildMenu();
    void FillMenus();
    void ApplyStoredBounds();
    void ResizeBoard();
    void FontDialog1Apply(const QFont& font);
    void Timer1Timer();
    bool PreviewKey(QWidget* widget, QKeyEvent* key);
    void MakeCompanions();
    Notebook& MadeNotebook();
    void PlaceCompanions(bool moved);
    void ArrangeCompanions();
    QRect WorkOnScreen() const;
    QRect Band() const;
    void UpdateSidewaysBar();
    void SetViewOffset(QPoint offset);
    void ShowProgress();
    void ShowFinishedWork();
    void FollowEntry();
    void FoldViewOffset();
    void Wheel(int notches, bool sideways);
};

}  // namespace kazu
