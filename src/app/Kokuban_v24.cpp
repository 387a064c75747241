#include "app/Kokuban_v24.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QToolButton>

#include "app/About_.h"
#include "app/BoardView.h"
#include "app/Bunex.h"
#include "app/ExplanationWalk.h"
#include "app/Face.h"
#include "app/FirstFrame.h"
#include "app/HelpWindow.h"
#include "app/Joukenv24_.h"
#include "app/KeyTranslation.h"
#include "app/Memo.h"
#include "app/Notebook.h"
#include "app/Paths.h"
#include "app/Placement.h"
#include "app/Sikiinpv.h"
#include "app/Stepgov.h"
#include "app/WorksheetWindow.h"

// The pictures are compiled into a static library, which the linker would otherwise drop.
static void InitResources() {
    Q_INIT_RESOURCE(kazuchan);
}

namespace kazu {

namespace {
QString Q(const std::string& text) {
    return QString::fromStdString(text);
}
}  // namespace

// A bare up-down control: its own position, 0 to 10, changed by its two arrows.
class UpDown : public QWidget {
  public:
    UpDown(QWidget* parent, std::function<void(int)> clicked)
        : QWidget(parent), clicked_(std::move(clicked)) {
        auto* up = new QToolButton(this);
        up->setArrowType(Qt::UpArrow);
        up->setGeometry(0, 0, 20, 12);
        auto* down = new QToolButton(this);
        down->setArrowType(Qt::DownArrow);
        down->setGeometry(0, 12, 20, 12);
        up->setFocusPolicy(Qt::NoFocus);
        down->setFocusPolicy(Qt::NoFocus);
        connect(up, &QToolButton::clicked, this, [this] { Step(1); });
        connect(down, &QToolButton::clicked, this, [this] { Step(-1); });
    }
    int position() const { return position_; }
    void Step(int delta) {
        position_ = std::clamp(position_ + delta, 0, 10);
        clicked_(position_);
    }

  private:
    int position_ = 0;
    std::function<void(int)> clicked_;
};

namespace {

QLabel* PanelLabel(QWidget* parent, const QString& text, QRect bounds, const QString& style) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(bounds);
    label->setStyleSheet(style);
    return label;
}

QToolButton* PanelButton(QWidget* parent, const QString& text, QRect bounds, const QString& hint) {
    auto* button = new QToolButton(parent);
    button->setText(text);
    button->setGeometry(bounds);
    button->setToolTip(hint);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

QProgressBar* LevelBar(QWidget* parent, QRect bounds) {
    auto* bar = new QProgressBar(parent);
    bar->setGeometry(bounds);
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->setTextVisible(false);
    return bar;
}

// Clicks on a label act like a button.
class ClickFilter : public QObject {
  public:
    ClickFilter(QObject* parent, std::function<void()> onClick)
        : QObject(parent), onClick_(std::move(onClick)) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonPress) {
            onClick_();
            return true;
        }
        return false;
    }

  private:
    std::function<void()> onClick_;
};

void OnClick(QWidget* widget, std::function<void()> onClick) {
    widget->installEventFilter(new ClickFilter(widget, std::move(onClick)));
    widget->setCursor(Qt::PointingHandCursor);
}

}  // namespace

TKokubanForm::TKokubanForm(std::unique_ptr<SettingsStore> store, std::unique_ptr<Voice> voice,
                           QWidget* parent)
    : QMainWindow(parent), store_(std::move(store)), voice_(std::move(voice)) {
    InitResources();
    messageSink_ = [this](const QString& text, const QString& caption, bool exclamation) {
        QMessageBox box(exclamation ? QMessageBox::Warning : QMessageBox::NoIcon, caption, text,
                        QMessageBox::Ok, this);
        box.exec();
    };
    model_ = std::make_unique<Kokuban>(*this, *voice_, store_->Load());

    auto* central = new QWidget(this);
    setCentralWidget(central);
    canvas_ = std::make_unique<BoardCanvas>();
    // In the board's own colour from the first: a clear in any other would be followed by a
    // second fill of the whole image.
    canvas_->SetBackground(SchemeColours(model_->settings.DSP_CL_TYPE).background);
    board_ = new BoardView(
        *canvas_, [this](int notches, bool sideways) { Wheel(notches, sideways); }, central);
    WatchFirstFrame(board_);
    scrollBar_ = new QScrollBar(Qt::Vertical, central);
    scrollBar_->setSingleStep(Kokuban::kScrollStep);
    scrollBar_->setFocusPolicy(Qt::NoFocus);
    connect(scrollBar_, &QScrollBar::actionTriggered, this,
            [this](int) { RunPaced([this] { model_->ScrollTo(scrollBar_->sliderPosition()); }); });
    // Sideways the view moves over the board's image; nothing is drawn again.
    sideways_ = new QScrollBar(Qt::Horizontal, central);
    sideways_->setFocusPolicy(Qt::NoFocus);
    sideways_->hide();
    connect(sideways_, &QScrollBar::valueChanged, this, [this](int x) {
        board_->SetOffset({x, board_->offset().y()});
        ArrangeCompanions();
    });
    BuildPanel();
    BuildMenu();
    // The version is the build's (CMake's project version), as in the version box.
    setWindowTitle(QStringLiteral("タテ書き計算器『数ちゃん（V)』v" KAZU_VERSION "--- ほしぞら舎"));
    // The window laid out at its stored size while still hidden, so that the board is drawn
    // once, at the size it is shown at (drawn at another, it would be cleared and drawn again
    // on show, each time in a new image).
    ApplyStoredBounds();
    layout()->activate();
    board_->setGeometry(0, 0, central->width() - kScrollBarWidth, central->height());
    canvas_->SetViewSize(board_->size());

    // A blink outside a drawing pauses too: it has no progress to show.
    pacer_ = new WindowPacer(
        [this] {
            if (model_->drawing()) {
                ShowProgress();
            }
        },
        this);
    model_->SetPacer(pacer_);
    senEx_ = new TSenExForm(
        *model_, this, [this] { SpeedButton3Dsp(); },
        [this] { RunPaced([this] { model_->VK_DeleteKey(); }); });
    senEx_->LoadPictureWhenShown(FindDataFile(QStringLiteral("bunex.jpg")));
    companions_.push_back({senEx_, senEx_->pos(), senEx_->pos()});
    model_->SetExampleView(senEx_);
    model_->LoadExamples(FindDataFile(QString::fromUtf8(kPatternFileName)).toStdString());
    SpeedButton3Dsp();
    model_->SetCharacter(this);
    model_->SetClientSize(board_->width(), board_->height());
    const int dpi = screen() != nullptr ? static_cast<int>(screen()->logicalDotsPerInchY()) : 96;
    model_->Start(*canvas_, dpi);
    // The explanation's marks come into view as the drawing's cells do.
    walk_ = new ExplanationWalk(
        *model_, *voice_, *board_,
        [this](const QRect& rect) {
            SetViewOffset(Revealed(rect, board_->offset(), Band(), false));
            ArrangeCompanions();
        },
        this);
    scrollBar_->setRange(0, model_->scrollRange());
    scrollBar_->setPageStep(model_->board.layout.rowHeight);
    canvas_->SetBackground(model_->board.colours.background);

    panel1_->setVisible(model_->settings.SP_PANELSHOW == 1);
    qApp->installEventFilter(this);

    timer1_.setInterval(500);
    connect(&timer1_, &QTimer::timeout, this, [this] { Timer1Timer(); });
    timer1_.start();
}

TKokubanForm::~TKokubanForm() {
    qApp->removeEventFilter(this);
}

void TKokubanForm::BuildPanel() {
    panel1_ = new QFrame(centralWidget());
    panel1_->setGeometry(0, 0, 902, Kokuban::kSpeechPanelHeight);
    panel1_->setAutoFillBackground(true);
    panel1_->setStyleSheet(QStringLiteral("QFrame#Panel1 { background: #c0c0c0; }"));
    panel1_->setObjectName(QStringLiteral("Panel1"));
    QWidget* p = panel1_;
    const QString bold = QStringLiteral("font-weight: bold;");

    PanelButton(p, QStringLiteral("♪"), {3, 5, 28, 28}, {});
    PanelLabel(p, QStringLiteral("読み上げ中"), {33, 12, 69, 13}, bold + "background: lime;");
    yomiageBar_ = LevelBar(p, {103, 10, 120, 18});
    staticText6_ = PanelLabel(p, {}, {225, 10, 20, 17}, QStringLiteral("background: lime;"));
    staticText6_->setAlignment(Qt::AlignCenter);
    staticText7_ = PanelLabel(p, {}, {249, 10, 28, 17}, QStringLiteral("background: fuchsia;"));
    PanelButton(p, QStringLiteral("耳"), {280, 5, 28, 28}, {});
    // Voice input is off until a recogniser is present: the status line says so.
    label1_ = PanelLabel(p, QStringLiteral("×××××"), {308, 12, 96, 16},
                         bold + "font-size: 12pt; background: rgb(0,128,0); color: white;");
    spVolumeBar_ = LevelBar(p, {404, 10, 120, 18});
    auto* help = PanelButton(p, QStringLiteral("音声？(&Q)"), {530, 10, 70, 22},
                             QStringLiteral("音声コマンドのヘルプを開く"));
    connect(help, &QToolButton::clicked, this, [this] { SpeedButton4Click(); });
    staticText1_ =
        PanelLabel(p, {}, {602, 11, 92, 19}, QStringLiteral("color: fuchsia; background: yellow;"));
    OnClick(staticText1_, [this] { StaticText1Click(); });
    staticText2_ =
        PanelLabel(p, {}, {696, 11, 92, 19}, QStringLiteral("color: green; background: white;"));
    OnClick(staticText2_, [this] { StaticText2Click(); });
    speedButton3_ = PanelButton(p, QStringLiteral("文"), {794, 10, 24, 24},
                                QStringLiteral("式の例題を表示する(Z)"));
    connect(speedButton3_, &QToolButton::clicked, this,
            [this] { RunPaced([this] { model_->SpeedButton3Click(); }); });
    auto* read = PanelButton(p, QStringLiteral("読"), {820, 10, 24, 24},
                             QStringLiteral("入力式・答え・問題例を読み上げる（V）"));
    connect(read, &QToolButton::clicked, this, [this] { model_->YomiageClick(); });
    speedButton5_ = PanelButton(p, QStringLiteral("●"), {846, 10, 24, 24},
                                QStringLiteral("問題例を読み上げる"));
    connect(speedButton5_, &QToolButton::clicked, this, [this] { SpeedButton5Click(); });

    memo1_ = new Memo(QStringLiteral("音声入力した式を表示"), 512, Qt::red, p);
    memo1_->setGeometry(6, 36, 270, 42);
    memo1_->setStyleSheet(QStringLiteral("font-weight: bold; background: #87ceeb;"));
    memo2_ = new Memo(QStringLiteral("音声入力したコマンド等を表示"), 1024, Qt::black, p);
    memo2_->setGeometry(284, 36, 238, 42);
    memo2_->setStyleSheet(QStringLiteral("font-weight: bold; background: yellow;"));
    memo2_->setAttribute(Qt::WA_InputMethodEnabled, false);
    // A click on the expression memo sends the focus on to the command memo.
    OnClick(memo1_, [this] { memo2_->setFocus(); });

    auto* font = PanelLabel(p, QStringLiteral(" フォント"), {532, 32, 51, 16}, {});
    OnClick(font, [this] { OpenFontDialog(); });
    auto* bigger = PanelButton(p, QStringLiteral("大"), {532, 48, 32, 30},
                               QStringLiteral("数字を大きくする(O)"));
    connect(bigger, &QToolButton::clicked, this,
            [this] { RunPaced([this] { model_->MojiBigButtonClick(); }); });
    auto* smaller = PanelButton(p, QStringLiteral("小"), {566, 52, 22, 22},
                                QStringLiteral("数字を小さくする(T)"));
    connect(smaller, &QToolButton::clicked, this,
            [this] { RunPaced([this] { model_->MojiSmallButtonClick(); }); });
    upDown1_ = new UpDown(p, [this](int position) { UpDown1Click(position); });
    upDown1_->setGeometry(600, 53, 20, 24);
    staticText4_ = PanelLabel(p, {}, {620, 53, 121, 21}, {});
    PanelLabel(p, QStringLiteral("▼わり算の商▼"), {620, 36, 112, 19}, {});
    PanelLabel(p, QStringLiteral("▼かずちゃんの声▼"), {754, 37, 114, 16}, {});
    comboBox1_ = new QComboBox(p);
    comboBox1_->setGeometry(750, 55, 145, 22);
    comboBox1_->setToolTip(QStringLiteral("先頭が現在の声です。ここでは声の交代はできません。"));
    comboBox1_->setFocusPolicy(Qt::NoFocus);
    connect(comboBox1_, &QComboBox::activated, this, [this](int) {
        // The engine's default voice always speaks: the list only shows it.
        comboBox1_->setCurrentIndex(0);
        memo2_->setFocus();
    });
}

void TKokubanForm::FillVoiceList() {
    comboBox1_->clear();
    for (const auto& description : voice_->Voices()) {
        comboBox1_->addItem(Q(description));
    }
}

// The menu bar's titles come with the window; their items after its first frame, or when a menu
// is first opened before that.
void TKokubanForm::BuildMenu() {
    for (const char* title : {"黒板(&F)", "音声(&S)", "条件設定（&C)", "表示(&V)", "お助け(&H)"}) {
        QMenu* menu = menuBar()->addMenu(QString::fromUtf8(title));
        connect(menu, &QMenu::aboutToShow, this, [this] { FillMenus(); });
        menus_.push_back(menu);
    }
}

void TKokubanForm::FillMenus() {
    if (panelAction_ != nullptr) {
        return;
    }
    auto add = [this](QMenu* menu, const QString& text, std::function<void()> handler,
                      const QKeySequence& shortcut = {}) {
        QAction* action = menu->addAction(text);
        action->setShortcut(shortcut);
        if (handler) {
            connect(action, &QAction::triggered, this, [this, handler] { RunPaced(handler); });
        } else {
            action->setEnabled(false);
        }
        return action;
    };
    QMenu* board = menus_[0];
    add(board, QStringLiteral("印刷(&P)..."), [this] { Print1Click(); });
    add(board, QStringLiteral("ページ設定(&R)..."), nullptr);
    add(board, QStringLiteral("ノートで練習(&N)"), [this] { OpenNotebook(); });
    add(board, QStringLiteral("プリント作成(&W)"), [this] { OpenWorksheet(); });
    add(board, QStringLiteral("学習の記録(&K)"), [this] { ShowRecord(); });
    add(board, QStringLiteral("画面を直前の大きさにする(&Y)"), [this] { Y1Click(); });
    add(board, QStringLiteral("画面を最大化する(&Z)"), [this] { Z1Click(); });
    add(
        board, QStringLiteral("画面既定値サイズ(&D)"), [this] { D1Click(); },
        QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_V));
    board->addSeparator();
    add(board, QStringLiteral("終了(&X)"), [this] { Exit1Click(); });

    QMenu* speech = menus_[1];
    // Listening needs the recogniser and its grammar: enabled once they are ready.
    startAction_ = add(speech, QStringLiteral("音声入力開始(&S)"), [this] { model_->S2Click(); });
    startAction_->setEnabled(voiceInputAvailable_);
    add(speech, QStringLiteral("音声入力終了(&E)"), [this] { model_->E1Click(); });
    add(speech, QStringLiteral("読み上げ(&V)"), [this] { model_->R2Click(); });
    add(speech, QStringLiteral("説明(&E)"), [this] { model_->ExplainRequest(); });
    panelAction_ =
        add(speech, QStringLiteral("SpeechPanelを表示(&P)"), [this] { ToggleSpeechPanel(); });
    panelAction_->setCheckable(true);
    panelAction_->setChecked(model_->settings.SP_PANELSHOW == 1);

    QMenu* conditions = menus_[2];
    add(conditions, QStringLiteral("条件設定(&J)"), [this] { SokudoClick(); });
    add(conditions, QStringLiteral("詳細設定(&A)"), nullptr);

    QMenu* view = menus_[3];
    add(view, QStringLiteral("フォント(&F)"), [this] { OpenFontDialog(); });
    add(view, QStringLiteral("フォント大きく(&L)"), [this] { model_->MojiBigButtonClick(); });
    add(view, QStringLiteral("フォント小さく(&S)"), [this] { model_->MojiSmallButtonClick(); });
    // The same shortcut belongs to the first item that has it, "画面既定値サイズ(&D)".
    QAction* defaults =
        add(view, QStringLiteral("既定値サイズ\tCtrl+Alt+V"), [this] { N3Click(); });
    defaults->setShortcut({});

    QMenu* help = menus_[4];
    add(
        help, QStringLiteral("｢数ちゃん｣のヘルプ(&C)"), [this] { Contents1Click(); },
        QKeySequence(Qt::Key_F1));
    add(
        help, QStringLiteral("音声ヘルプ(&V)"), [this] { model_->HelpSpeak(); },
        QKeySequence(Qt::Key_F2));
    add(help, QStringLiteral("バージョン情報(&A)..."), [this] { About1Click(); });
}

void TKokubanForm::ApplyStoredBounds() {
    const AppSettings& s = model_->settings;
    QRect bounds(s.LEFT, s.TOP, s.WIDTH, s.HEIGHT);
    // A position from another monitor layout must not put the window out of reach.
    bool visible = false;
    for (const QScreen* each : QGuiApplication::screens()) {
        visible = visible || each->availableGeometry().intersects(bounds.adjusted(0, 0, -40, -40));
    }
    if (!visible) {
        bounds.moveTo(200, 200);
    }
    move(bounds.topLeft());
    resize(bounds.size());
    prevBounds_ = QRect(pos(), size());
}

void TKokubanForm::ResizeBoard() {
    if (model_->drawing()) {
        pendingResize_ = true;
        return;
    }
    QWidget* central = centralWidget();
    const int width = std::max(central->width(), 1);
    const int height = std::max(central->height(), 1);
    panel1_->setGeometry(0, 0, width, Kokuban::kSpeechPanelHeight);
    const int top = panel1_->isVisible() ? Kokuban::kSpeechPanelHeight : 0;
    scrollBar_->setGeometry(width - kScrollBarWidth, top, kScrollBarWidth, height - top);
    board_->setGeometry(0, 0, width - kScrollBarWidth, height);
    sideways_->setGeometry(0, height - kSidewaysBarHeight, width - kScrollBarWidth,
                           kSidewaysBarHeight);
    if (canvas_->viewSize() != board_->size()) {
        canvas_->SetViewSize(board_->size());
        model_->SetClientSize(board_->width(), board_->height());
        model_->FormPaint();
    }
    UpdateSidewaysBar();
}

// The part of the board a child sees: below the speech panel, above the sideways bar.
QRect TKokubanForm::Band() const {
    const int top = panel1_->isVisible() ? Kokuban::kSpeechPanelHeight : 0;
    const int bottom = board_->height() - (sideways_->isVisible() ? kSidewaysBarHeight : 0);
    return QRect(0, top, board_->width(), std::max(bottom - top, 1));
}

void TKokubanForm::UpdateSidewaysBar() {
    const QRect content = canvas_->content();
    const int cell = std::max(model_->board.layout.cellWidth, 1);
    const int range =
        content.isEmpty() ? 0 : std::max(content.right() + 1 + cell / 2 - board_->width(), 0);
    sideways_->setRange(0, range);
    sideways_->setSingleStep(cell);
    sideways_->setPageStep(board_->width());
    sideways_->setVisible(range > 0);
}

// The view moves over the image: sideways by the bar, and downwards by an offset below the
// scroll position. The board's own scroll position stays where it was, so that Delete clears a
// board that only the drawing has moved; the user's scrolling starts from what is in view.
void TKokubanForm::SetViewOffset(QPoint offset) {
    board_->SetOffset({board_->offset().x(), offset.y()});
    sideways_->setValue(offset.x());
    const QSignalBlocker blocker(scrollBar_);
    scrollBar_->setValue(model_->scrollPosition() + offset.y());
}

// A pause of a drawing: the cells written since the last pause come into view, and the
// companions step aside.
void TKokubanForm::ShowProgress() {
    UpdateSidewaysBar();
    const QRect recent = canvas_->TakeRecent();
    if (model_->drawing()) {
        SetViewOffset(Revealed(recent, board_->offset(), Band(), true));
    }
    ArrangeCompanions();
    board_->repaint();
}

// A finished calculation: its lowest row, the answer of the columns, with as much of the
// working above it as fits. The expression line with its answer is a scroll away.
void TKokubanForm::ShowFinishedWork() {
    UpdateSidewaysBar();
    const QRect band = Band();
    const QRect content = canvas_->content();
    const QRect lowest = canvas_->LowestRow(model_->board.layout.textHeight);
    const QPoint offset =
        Revealed(QRect(lowest.left(), content.top(), lowest.width(), content.height()),
                 board_->offset(), band, true);
    SetViewOffset(offset);
}

// While an expression is typed, the cell that takes the next character stays in view.
void TKokubanForm::FollowEntry() {
    UpdateSidewaysBar();
    const BoardLayout& l = model_->board.layout;
    const QRect typed(QPoint(l.originX - l.cellWidth, model_->state.nextEntryY),
                      QPoint(l.nextEntryX + l.cellWidth, model_->state.nextEntryY + l.textHeight));
    SetViewOffset({Revealed(typed, board_->offset(), Band(), true).x(), 0});
}

// The offset below the scroll position becomes part of it, before the user scrolls on.
void TKokubanForm::FoldViewOffset() {
    const int below = board_->offset().y();
    if (below != 0 && !model_->state.entryOpen) {
        board_->SetOffset({board_->offset().x(), 0});
        model_->ScrollTo(model_->scrollPosition() + below);
    }
}

void TKokubanForm::Wheel(int notches, bool sideways) {
    if (sideways) {
        sideways_->setValue(sideways_->value() - notches * sideways_->singleStep());
        return;
    }
    RunPaced([&] {
        FoldViewOffset();
        for (int i = 0; i < std::abs(notches); ++i) {
            notches > 0 ? model_->ScrollUp() : model_->ScrollDown();
        }
    });
}

void TKokubanForm::RunPaced(const std::function<void()>& work) {
    // Whatever comes next may change the board under the marks.
    walk_->End();
    pacer_->Begin();
    const int drawn = model_->calculationsDrawn();
    work();
    if (model_->calculationsDrawn() != drawn) {
        ShowFinishedWork();
    } else if (model_->state.entryOpen) {
        FollowEntry();
    }
    model_->HandleHeldRecognitions();
    pacer_->End();
    canvas_->SetBackground(model_->board.colours.background);
    if (pendingResize_) {
        pendingResize_ = false;
        ResizeBoard();
    }
    UpdateSidewaysBar();
    ArrangeCompanions();
}

// Host.

bool TKokubanForm::ExplainOnBoard() {
    return walk_->Start();
}

Notebook& TKokubanForm::MadeNotebook() {
    if (notebook_ == nullptr) {
        notebook_ = new Notebook(*this);
    }
    return *notebook_;
}

void TKokubanForm::OpenNotebook() {
    MadeNotebook().Open();
}

void TKokubanForm::OpenWorksheet() {
    if (worksheet_ == nullptr) {
        worksheet_ = new WorksheetWindow(*this);
    }
    worksheet_->Open();
}

void TKokubanForm::ShowRecord() {
    MadeNotebook().ShowRecord();
}

const Progress& TKokubanForm::PracticeRecord() {
    return MadeNotebook().progress();
}

void TKokubanForm::ShowMessage(const std::string& text, const std::string& caption,
                               MessageIcon icon) {
    messageSink_(Q(text), Q(caption), icon == MessageIcon::Exclamation);
}

void TKokubanForm::Beep() {
    QApplication::beep();
}

void TKokubanForm::InsertIntoMemo1(const std::string& text) {
    memo1_->Insert(Q(text));
}

void TKokubanForm::ClearMemo1() {
    memo1_->Clear();
}

void TKokubanForm::ClearMemo2() {
    memo2_->Clear();
}

void TKokubanForm::BoardChanged() {
    if (caretTick_) {
        const BoardLayout& l = model_->board.layout;
        board_->update(QRect(l.nextEntryX, model_->state.nextEntryY, l.digitWidth, l.textHeight)
                           .translated(-board_->offset()));
        return;
    }
    board_->update();
    UpdateSidewaysBar();
}

void TKokubanForm::SetScrollPosition(int position) {
    board_->SetOffset({board_->offset().x(), 0});
    const QSignalBlocker blocker(scrollBar_);
    scrollBar_->setValue(position);
}

void TKokubanForm::CaptionsChanged() {
    const Kokuban& m = *model_;
    staticText1_->setText(QLatin1Char(' ') + Q(m.CarryCaption()));
    staticText2_->setText(QLatin1Char(' ') + Q(m.BorrowCaption()));
    staticText4_->setText(Q(m.PointsCaption()));
    staticText6_->setText(QString::number(m.settings.SIKISPRATE));
    staticText7_->setText(QString::number(m.settings.SIKISPVOLUME));
    speedButton5_->setStyleSheet(m.settings.REIREADF == 1 ? QStringLiteral("color: red;")
                                                          : QStringLiteral("color: blue;"));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(QRgb(m.board.colours.background)));
    centralWidget()->setPalette(palette);
    canvas_->SetBackground(m.board.colours.background);
}

void TKokubanForm::OpenFontDialog() {
    QFontDialog dialog(BoardFont(model_->settings.FONTNAME, model_->board.layout.fontSize), this);
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    dialog.setWindowTitle(QStringLiteral("フォント"));
    // Colour, underline and strike-out mean nothing on the board.
    for (QCheckBox* effect : dialog.findChildren<QCheckBox*>()) {
        effect->hide();
    }
    for (QGroupBox* group : dialog.findChildren<QGroupBox*>()) {
        if (group->findChildren<QCheckBox*>().size() == group->findChildren<QWidget*>().size()) {
            group->hide();
        }
    }
    if (auto* buttons = dialog.findChild<QDialogButtonBox*>()) {
        QPushButton* apply = buttons->addButton(QDialogButtonBox::Apply);
        apply->setText(QStringLiteral("適用(&A)"));
        connect(apply, &QPushButton::clicked, this,
                [this, &dialog] { FontDialog1Apply(dialog.currentFont()); });
    }
    if (dialog.exec() == QDialog::Accepted) {
        FontDialog1Apply(dialog.selectedFont());
    } else {
        model_->newFont(model_->settings.FONTNAME, model_->board.layout.fontSize);
    }
}

void TKokubanForm::FontDialog1Apply(const QFont& font) {
    const int size = font.pointSize() > 0 ? font.pointSize() : model_->board.layout.fontSize;
    model_->newFont(font.family().toStdString(), size);
}

void TKokubanForm::PostKey(int virtualKey) {
    const int key = QtKey(virtualKey);
    if (key != 0) {
        // To the focus widget, where a typed key would arrive and where the key map looks.
        QWidget* focus = QApplication::focusWidget();
        QCoreApplication::postEvent(focus != nullptr && focus->window() == this ? focus : this,
                                    new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier));
    }
}

// Menu commands.

void TKokubanForm::Print1Click() {
    if (!model_->PrintCheck()) {
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    if (QPrinterInfo::availablePrinters().isEmpty()) {
        // No printer here: the dialog offers a PDF file instead, in a folder that exists.
        printer.setOutputFileName(PdfFolder() + QStringLiteral("/kazuchan.pdf"));
    }
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(QStringLiteral("印刷"));
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    PrintTo(&printer);
}

void TKokubanForm::PrintTo(QPrinter* printer) {
    QtCanvas page(printer, printer->resolution() / 96.0);
    model_->PrintOn(page);
    page.End();
}

void TKokubanForm::Z1Click() {
    prevBounds_ = QRect(pos(), size());
    showMaximized();
}

void TKokubanForm::Y1Click() {
    showNormal();
    move(prevBounds_.topLeft());
    resize(prevBounds_.size());
}

void TKokubanForm::D1Click() {
    prevBounds_ = QRect(pos(), size());
    showNormal();
    N3Click();
}

void TKokubanForm::N3Click() {
    move(100, 100);
    resize(804, 600);
}

// Our own window shows the pages, so help needs no web browser on the machine.
void TKokubanForm::OpenHelp(const QString& page, const QString& missingMessage) {
    const QString path = FindDataFile(page);
    if (path.isEmpty()) {
        messageSink_(missingMessage, QStringLiteral("お知らせ"), false);
        return;
    }
    if (help_ == nullptr) {
        help_ = new HelpWindow(this);
    }
    help_->Open(path);
}

void TKokubanForm::Contents1Click() {
    OpenHelp(QStringLiteral("KazuchanV24.html"),
             QStringLiteral("Kazuchan_V24.chm が見あたりません。"));
}

void TKokubanForm::SpeedButton4Click() {
    OpenHelp(QStringLiteral("KazuOnCmd_V24.html"),
             QStringLiteral("KazuOnCmd_V24.chm が見あたりません。"));
}

void TKokubanForm::About1Click() {
    TAboutForm about(this);
    about.exec();
}

void TKokubanForm::StaticText1Click() {
    // The indicator acts as the key A would.
    RunPaced([this] { model_->FormKeyDown('A', {}); });
}

void TKokubanForm::StaticText2Click() {
    RunPaced([this] { model_->FormKeyDown('S', {}); });
}

void TKokubanForm::UpDown1Click(int position) {
    model_->SetPointMax(position);
}

void TKokubanForm::SpeedButton5Click() {
    model_->settings.REIREADF = 1 - model_->settings.REIREADF;
    CaptionsChanged();
}

void TKokubanForm::SokudoClick() {
    if (jouken_ != nullptr) {
        return;  // already open
    }
    TJoukenSetForm dialog(*this, *model_);
    jouken_ = &dialog;
    dialog.exec();
    jouken_ = nullptr;
    Kokuban& m = *model_;
    m.board.SetColourScheme(m.settings.DSP_CL_TYPE);
    CaptionsChanged();
    m.FormPaint();
}

void TKokubanForm::StepModeOff() {
    model_->board.stepDisplay = false;
    stepWindow()->hide();
    messageSink_(QStringLiteral("ステップモードからぬけました。"), QStringLiteral("お知らせ14"),
                 false);
}

// The face, the input panel and the step window are made after the board's first frame: made
// before it, they would hold it up.
void TKokubanForm::MakeCompanions() {
    if (face_ != nullptr) {
        return;
    }
    face_ = new TFaceS(*pacer_, this);
    input_ = new TInputForm(*this);
    step_ = new TStepGoForm(
        this, [this] { StepModeOff(); }, [this](const QKeyEvent& key) { KeyDown(key); });
    pacer_->SetStepping(step_, board_, [this] { StepModeOff(); });
    companions_.insert(companions_.begin(), {CompanionPlace{face_, face_->pos(), face_->pos()},
                                             CompanionPlace{input_, input_->pos(), input_->pos()},
                                             CompanionPlace{step_, step_->pos(), step_->pos()}});
}

TFaceS* TKokubanForm::face() {
    MakeCompanions();
    return face_;
}

TInputForm* TKokubanForm::inputPanel() {
    MakeCompanions();
    return input_;
}

TStepGoForm* TKokubanForm::stepWindow() {
    MakeCompanions();
    return step_;
}

void TKokubanForm::ShowInputPanel(bool shown) {
    inputPanel()->setVisible(shown);
}

void TKokubanForm::ToggleInputPanelMinimized() {
    MakeCompanions();
    // A panel closed from the window manager (Alt+F4) comes back as a minimised one does.
    if (input_->isMinimized() || input_->isHidden()) {
        input_->showNormal();
    } else {
        input_->showMinimized();
    }
}

void TKokubanForm::SpeedButton3Dsp() {
    const bool on = model_->example.on;
    speedButton3_->setStyleSheet(on ? QStringLiteral("color: red; font-weight: bold;")
                                    : QStringLiteral("color: blue; font-weight: bold;"));
    speedButton5_->setVisible(on);
}

void TKokubanForm::ToggleSpeechPanel() {
    model_->SpeechPanel1Click();
}

void TKokubanForm::ShowSpeechPanel(bool shown) {
    panel1_->setVisible(shown);
    if (panelAction_ != nullptr) {
        panelAction_->setChecked(shown);
    }
    ResizeBoard();
}

void TKokubanForm::SetStatusLine(const std::string& text, Colour background) {
    const QColor colour{QRgb(background)};
    // Dark grounds (green, red) take white letters.
    const bool dark = colour.lightness() < 128 || background == 0xFF0000;
    label1_->setText(Q(text));
    label1_->setStyleSheet(
        QStringLiteral("font-weight: bold; font-size: 12pt; background: %1; "
                       "color: %2;")
            .arg(colour.name(), dark ? QStringLiteral("white") : QStringLiteral("black")));
    label1_->repaint();
}

void TKokubanForm::ShowInMemo2(const std::string& text) {
    memo2_->Clear();
    memo2_->Insert(Q(text));
}

std::string TKokubanForm::Memo1Text() const {
    return memo1_->toPlainText().toStdString();
}

void TKokubanForm::SetInputLevel(int level) {
    spVolumeBar_->setTextVisible(false);
    spVolumeBar_->setValue(std::clamp(level, 0, 100));
}

void TKokubanForm::SetVoiceInputAvailable(bool available) {
    voiceInputAvailable_ = available;
    if (startAction_ != nullptr) {
        startAction_->setEnabled(available);
    }
}

void TKokubanForm::MinimizeProgram() {
    showMinimized();
}

void TKokubanForm::RestoreProgram() {
    showNormal();
    setVisible(true);
    raise();
    activateWindow();
    board_->setFocus();
}

void TKokubanForm::CloseProgram() {
    // After the command's own handling has finished.
    QTimer::singleShot(0, this, [this] { close(); });
}

void TKokubanForm::PrintBoard() {
    Print1Click();
}

bool TKokubanForm::SettingsDialogOpen() const {
    return jouken_ != nullptr;
}

void TKokubanForm::SetRecognizer(std::unique_ptr<Recognizer> recognizer,
                                 const std::string& grammarPath) {
    recognizer_ = std::move(recognizer);
    model_->SpeechSetup(*recognizer_, grammarPath);
    recognizer_->SetListener(this);
    // Says so until the first level comes, which shows that the microphone is heard.
    spVolumeBar_->setFormat(model_->voiceInputUnavailable() ? QStringLiteral("音声入力できません")
                                                            : QStringLiteral("音声入力できます"));
    spVolumeBar_->setTextVisible(true);
}

void TKokubanForm::VoiceInputPreparing() {
    spVolumeBar_->setFormat(QStringLiteral("音声入力の準備中…"));
    spVolumeBar_->setTextVisible(true);
}

void TKokubanForm::OnRecognition(const Recognition& recognition) {
    if (walk_->Heard(recognition) || (notebook_ != nullptr && notebook_->Heard(recognition))) {
        return;
    }
    RunPaced([&] { model_->OnRecognition(recognition); });
}

void TKokubanForm::OnInputLevel(int level) {
    model_->OnInputLevel(level);
}

void TKokubanForm::OnRecognizerLost(const std::string& reason) {
    spVolumeBar_->setFormat(QStringLiteral("音声入力できません"));
    spVolumeBar_->setTextVisible(true);
    RunPaced([&] { model_->OnRecognizerLost(reason); });
}

void TKokubanForm::KeyDown(const QKeyEvent& event) {
    if (walk_->KeyDown(event)) {
        return;
    }
    // E, which the key map leaves free, asks for the explanation.
    if (event.key() == Qt::Key_E && event.modifiers() == Qt::NoModifier) {
        RunPaced([this] { model_->ExplainRequest(); });
        return;
    }
    // N, also free, opens the notebook.
    if (event.key() == Qt::Key_N && event.modifiers() == Qt::NoModifier) {
        RunPaced([this] { OpenNotebook(); });
        return;
    }
    // Page Up and Page Down, which the key map leaves free, scroll by what the board shows.
    if ((event.key() == Qt::Key_PageUp || event.key() == Qt::Key_PageDown) &&
        (event.modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        const int page = event.key() == Qt::Key_PageUp ? -Band().height() : Band().height();
        RunPaced([&] {
            FoldViewOffset();
            model_->ScrollTo(model_->scrollPosition() + page);
        });
        return;
    }
    if ((event.key() == Qt::Key_Up || event.key() == Qt::Key_Down) &&
        event.modifiers() == Qt::NoModifier) {
        RunPaced([this] { FoldViewOffset(); });
    }
    const int key = VirtualKey(event);
    if (key == 0) {
        return;
    }
    const Qt::KeyboardModifiers mods = event.modifiers();
    KeyModifiers modifiers;
    modifiers.shift = mods.testFlag(Qt::ShiftModifier);
    modifiers.ctrl = mods.testFlag(Qt::ControlModifier);
    modifiers.alt = mods.testFlag(Qt::AltModifier);
    RunPaced([&] { model_->FormKeyDown(key, modifiers); });
}

bool TKokubanForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize && watched == centralWidget()) {
        ResizeBoard();
        PlaceCompanions(false);
    }
    if (watched != nullptr && (watched == notebook_ || watched == worksheet_)) {
        switch (event->type()) {
            case QEvent::Show:
            case QEvent::Hide:
            case QEvent::Move:
            case QEvent::Resize:
            case QEvent::WindowStateChange:
            case QEvent::WindowActivate:
                // Once the window manager has framed and placed it.
                QMetaObject::invokeMethod(
                    this, [this] { ArrangeCompanions(); }, Qt::QueuedConnection);
                break;
            default:
                break;
        }
    }
    if ((event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) &&
        watched->isWidgetType() &&
        PreviewKey(static_cast<QWidget*>(watched), static_cast<QKeyEvent*>(event))) {
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

// The window sees every key first, whichever of its widgets has the focus; the key goes on
// to that widget as well. True when the key must go no further.
bool TKokubanForm::PreviewKey(QWidget* widget, QKeyEvent* key) {
    const int code = key->key();
    const bool press = key->type() == QEvent::KeyPress;
    if (widget->window() != this || !press) {
        // A key that went down in another window (the OK of a box) is that window's: while it
        // is held down, its repeats must not type on the board once the box has gone. Only a
        // release from the keyboard lets it go, not one that waited out a drawing.
        if (!key->isAutoRepeat() && press) {
            keysDownElsewhere_.insert(code);
        } else if (!key->isAutoRepeat() && key->spontaneous()) {
            keysDownElsewhere_.erase(code);
        }
        return false;
    }
    // Qt hands an ignored key on to the parents, one by one: the same key, not a new one, even
    // when a box has been answered meanwhile, the focus has gone and the key's release has come.
    if (key == keyOnItsWay_ && keyReached_ != nullptr && widget == keyReached_->parentWidget()) {
        keyReached_ = widget;
        return false;
    }
    if (keysDownElsewhere_.contains(code)) {
        if (key->isAutoRepeat()) {
            return true;
        }
        keysDownElsewhere_.erase(code);  // its release went to another program
    }
    if (pacer_->active()) {
        return false;  // held by the pacer until the drawing is over
    }
    KeyDown(*key);
    keyOnItsWay_ = key;
    keyReached_ = widget;
    return false;
}

void TKokubanForm::Timer1Timer() {
    if (pacer_->active()) {
        return;
    }
    // A tick draws at most the entry cursor: only its cell goes to the screen again.
    caretTick_ = true;
    model_->Timer1Timer();
    caretTick_ = false;
    // Keys belong to the key map: the companions give the focus back, unless a panel button
    // is being handled.
    const QWidget* active = QApplication::activeWindow();
    if (input_ != nullptr && !input_->panelInUse() && active != nullptr &&
        (active == input_ || active == face_)) {
        activateWindow();
    }
}

void TKokubanForm::VisemeDsp(int viseme) {
    face()->VisemeDsp(viseme);
}

void TKokubanForm::MabatakiDsp(int milliseconds) {
    face()->MabatakiDsp(milliseconds);
}

void TKokubanForm::ReadingLevel(int level) {
    yomiageBar_->setValue(std::clamp(level, 0, 100));
}

// The face stays beside the board: placed on a resize, and, a little differently, when the
// window has moved.
void TKokubanForm::PlaceCompanions(bool moved) {
    if (face_ == nullptr) {
        return;
    }
    const QRect frame = frameGeometry();
    const QPoint homes[] = {
        moved ? FacePlaceOnMove(frame) : FacePlaceOnResize(frame, face_->frameGeometry().size()),
        InputPanelPlace(frame), StepWindowPlace(frame)};
    for (size_t i = 0; i < std::size(homes); ++i) {
        companions_[i].home = homes[i];
        companions_[i].placed = companions_[i].window->pos();
    }
    ArrangeCompanions();
}

// The part of the work in view, on the screen.
QRect TKokubanForm::WorkOnScreen() const {
    // While the notebook or the worksheet window is open, that is the work to keep clear; with
    // both open, the one the child works in now.
    const QWidget* open = nullptr;
    for (const QWidget* window :
         {static_cast<QWidget*>(notebook_), static_cast<QWidget*>(worksheet_)}) {
        if (window != nullptr && window->isVisible() && !window->isMinimized() &&
            (open == nullptr || window->isActiveWindow())) {
            open = window;
        }
    }
    if (open != nullptr) {
        return open->frameGeometry();
    }
    const QPoint offset = board_->offset();
    const QRect work = canvas_->ContentWithin(Band().translated(offset)).translated(-offset);
    return work.isEmpty() ? QRect() : QRect(board_->mapToGlobal(work.topLeft()), work.size());
}

// Each companion at its own place unless that covers the work or one placed before it; the
// face first, so that it is always seen while it speaks.
void TKokubanForm::ArrangeCompanions() {
    const QScreen* screen = this->screen();
    if (closing_ || companions_.empty() || screen == nullptr) {
        return;
    }
    // A window shown a moment ago has no frame yet; the window manager is about to put one like
    // the main window's round it. Until then it is placed by that frame, and it cannot have been
    // moved by the user.
    const QMargins mainFrame =
        windowHandle() != nullptr ? windowHandle()->frameMargins() : QMargins();
    const auto unframed = [](const QWidget* window) {
        return window->frameGeometry() == window->geometry() &&
               !window->windowFlags().testFlag(Qt::FramelessWindowHint);
    };
    std::vector<CompanionPlace*> shown;
    std::vector<QRect> wanted;
    for (CompanionPlace& companion : companions_) {
        QWidget* window = companion.window;
        if (!unframed(window) && window->pos() != companion.placed) {
            companion.home = window->pos();
            companion.placed = window->pos();
        }
        if (window->isVisible() && window->windowState() == Qt::WindowNoState) {
            shown.push_back(&companion);
            const QSize frame = window->frameGeometry().size();
            wanted.emplace_back(companion.home,
                                unframed(window) ? frame.grownBy(mainFrame) : frame);
        }
    }
    const std::vector<QRect> placed =
        PlaceBeside(screen->availableGeometry(), WorkOnScreen(), wanted);
    for (size_t i = 0; i < shown.size(); ++i) {
        QWidget* window = shown[i]->window;
        const QPoint at = unframed(window)
                              ? placed[i].topLeft() + QPoint(mainFrame.left(), mainFrame.top())
                              : placed[i].topLeft();
        if (window->pos() != at) {
            window->move(at);
        }
        shown[i]->placed = placed[i].topLeft();
    }
}

void TKokubanForm::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    PlaceCompanions(true);
}

void TKokubanForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // The companions and the greeting come after the board's first frame, which they would
    // otherwise hold up.
    AfterFirstPaint(board_, [this] {
        // Set before, its picture would be decoded and sent to the display ahead of the first
        // frame.
        if (windowIcon().isNull()) {
            setWindowIcon(QIcon(QStringLiteral(":/kazuchan.png")));
        }
        MakeCompanions();
        FillMenus();
        if (!face_->LoadPictures(QStringLiteral(":/face/"))) {
            messageSink_(QStringLiteral("Could not load or display bitmap"), QString(), false);
        }
        face_->show();
        input_->show();
        PlaceCompanions(false);
        // Without a window manager a window never becomes active; greet on the first show then.
        if (isVisible()) {
            model_->FormActivate();
        }
    });
}

void TKokubanForm::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        model_->FormActivate();
    }
    QMainWindow::changeEvent(event);
}

void TKokubanForm::closeEvent(QCloseEvent* event) {
    closing_ = true;
    timer1_.stop();
    AppSettings& s = model_->settings;
    const QRect bounds = isMaximized() ? normalGeometry() : QRect(pos(), size());
    s.LEFT = bounds.x();
    s.TOP = bounds.y();
    s.HEIGHT = bounds.height();
    s.WIDTH = bounds.width();
    // Where the example window belongs, not where it stepped aside to.
    const CompanionPlace& place = companions_.back();
    const QPoint example = senEx_->pos() == place.placed ? place.home : senEx_->pos();
    s.BLEFT = example.x();
    s.BTOP = example.y();
    if (!store_->Save(s)) {
        messageSink_(QStringLiteral("設定を保存できませんでした。\n") + Q(store_->path()) +
                         QStringLiteral("\n") + Q(store_->lastError()),
                     QStringLiteral("ご注意！"), true);
    }
    event->accept();
}

}  // namespace kazu
