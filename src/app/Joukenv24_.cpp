#include "app/Joukenv24_.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QStyle>

#include "app/Kokuban_v24.h"
#include "core/Kokuban_v24/Kokuban.h"

namespace kazu {
namespace {

const QString kYellow = QStringLiteral("#ffff80");
const QString kSkyBlue = QStringLiteral("#a6caf0");
const QString kCream = QStringLiteral("#fffbf0");

// A coloured group with its title in the top left corner. The colour is the frame's palette,
// not a style sheet: a style sheet on the boxes would take the style's check marks away.
QFrame* Group(QWidget* parent, const QString& title, QRect bounds, const QString& colour) {
    auto* group = new QFrame(parent);
    group->setGeometry(bounds);
    group->setFrameShape(QFrame::Box);
    group->setAutoFillBackground(true);
    QPalette palette = group->palette();
    palette.setColor(QPalette::Window, QColor(colour));
    palette.setColor(QPalette::WindowText, Qt::black);
    group->setPalette(palette);
    auto* caption = new QLabel(title, group);
    caption->setGeometry(6, 3, bounds.width() - 12, 16);
    QFont bold = caption->font();
    bold.setBold(true);
    caption->setFont(bold);
    return group;
}

// Texts are kept whole: where the board font is wider than the original's, the font shrinks
// until the text fits its room.
void FitText(QWidget* widget, const QString& text, int room) {
    QFont font = widget->font();
    while (font.pointSizeF() > 6 && QFontMetrics(font).horizontalAdvance(text) > room) {
        font.setPointSizeF(font.pointSizeF() - 0.5);
    }
    widget->setFont(font);
}

QLabel* Text(QWidget* parent, const QString& text, QRect bounds) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(bounds);
    FitText(label, text, bounds.width());
    return label;
}

// The room a check box or radio button leaves for its text beside the indicator.
int TextRoom(const QWidget* button, int width) {
    const QStyle* style = button->style();
    return width - style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, button) -
           style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, button) - 4;
}

QCheckBox* Box(QWidget* parent, const QString& text, QRect bounds, int32_t value) {
    auto* box = new QCheckBox(text, parent);
    box->setGeometry(bounds);
    box->setChecked(value == 1);
    FitText(box, text, TextRoom(box, bounds.width()));
    return box;
}

QSlider* Slider(QWidget* parent, QRect bounds, int maximum) {
    auto* slider = new QSlider(Qt::Horizontal, parent);
    slider->setGeometry(bounds);
    slider->setRange(0, maximum);
    slider->setPageStep(1);
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setTickInterval(1);
    return slider;
}

int32_t Flag(const QCheckBox* box) {
    return box->isChecked() ? 1 : 0;
}

}  // namespace

TJoukenSetForm::TJoukenSetForm(TKokubanForm& main, Kokuban& model)
    : QDialog(&main, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      main_(main),
      model_(model) {
    setWindowTitle(QStringLiteral("□いろいろな条件の設定□"));
    setFixedSize(255, 473);
    setFont(QFont(QStringLiteral("ＭＳ Ｐゴシック"), 9));
    setModal(true);
    BuildButtons();
    BuildDisplayGroup();
    BuildStepGroup();
    BuildColourGroup();
    BuildPlacesGroup();
    BuildSpeechGroup();
    BuildName();
    FormCreate();
    // The dialog sees its letter keys before its controls.
    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>()) {
        child->installEventFilter(this);
    }
}

void TJoukenSetForm::BuildButtons() {
    auto* decide = new QPushButton(QStringLiteral("決　定"), this);
    decide->setGeometry(176, 12, 70, 22);
    decide->setDefault(true);
    connect(decide, &QPushButton::clicked, this, [this] { Button1Click(); });
    auto* font = new QPushButton(QStringLiteral("文字（&F）"), this);
    font->setGeometry(176, 36, 70, 22);
    font->setAutoDefault(false);
    connect(font, &QPushButton::clicked, this, [this] { main_.OpenFontDialog(); });
    auto* help = new QPushButton(QStringLiteral("ヘルプ（&H）"), this);
    help->setGeometry(176, 62, 70, 22);
    help->setAutoDefault(false);
    connect(help, &QPushButton::clicked, this, [this] { main_.SpeedButton4Click(); });
}

void TJoukenSetForm::BuildDisplayGroup() {
    QFrame* g = Group(this, QStringLiteral("◎表示等の設定"), {6, 6, 160, 116}, kYellow);
    const AppSettings& s = model_.settings;
    carries_ = Box(g, QStringLiteral("くり上がりを表示する（A）"), {8, 22, 150, 18}, s.KURIAGARI);
    borrows_ = Box(g, QStringLiteral("くり下がりを表示する（S）"), {8, 40, 150, 18}, s.KURISAGARI);
    lineBreak_ = Box(g, QStringLiteral("「＝」で改行する（L）"), {8, 58, 150, 18}, s.KAIGYO_FLAG);
    explain_ = Box(g, QStringLiteral("説明を表示する"), {8, 76, 150, 18}, s.EXPLAIN_FLAG);
    messages_ = Box(g, QStringLiteral("メッセージをしゃべる"), {8, 94, 150, 18}, s.MSGSPEAK);
    // The indicators follow at once.
    connect(carries_, &QCheckBox::clicked, this, [this](bool on) {
        model_.settings.KURIAGARI = on ? 1 : 0;
        main_.CaptionsChanged();
    });
    connect(borrows_, &QCheckBox::clicked, this, [this](bool on) {
        model_.settings.KURISAGARI = on ? 1 : 0;
        main_.CaptionsChanged();
    });
    connect(lineBreak_, &QCheckBox::clicked, this,
            [this](bool on) { main_.RunPaced([this, on] { model_.SetLineBreak(on ? 1 : 0); }); });
}

void TJoukenSetForm::BuildStepGroup() {
    QFrame* g = Group(this, QStringLiteral("◎ステップ計算時間"), {6, 130, 160, 76}, kSkyBlue);
    speed_ = new QSpinBox(g);
    speed_->setGeometry(8, 24, 48, 22);
    speed_->setRange(0, 100);
    Text(g, QStringLiteral("(１０ごとに約１秒)"), {60, 27, 98, 16});
    stepDisplay_ = Box(g, QStringLiteral("ステップ表示にする"), {8, 52, 148, 18}, 0);
}

void TJoukenSetForm::BuildColourGroup() {
    QFrame* g = Group(this, QStringLiteral("◎表示の色"), {174, 138, 78, 60}, kCream);
    blackboard_ = new QRadioButton(QStringLiteral("黒板風"), g);
    blackboard_->setGeometry(8, 20, 66, 18);
    whiteboard_ = new QRadioButton(QStringLiteral("白板風"), g);
    whiteboard_->setGeometry(8, 38, 66, 18);
    auto choose = [this](int scheme) {
        if (scheme != model_.settings.DSP_CL_TYPE) {
            main_.RunPaced([this] { model_.IroChange(); });
        }
    };
    connect(blackboard_, &QRadioButton::clicked, this, [choose] { choose(0); });
    connect(whiteboard_, &QRadioButton::clicked, this, [choose] { choose(1); });
}

void TJoukenSetForm::BuildPlacesGroup() {
    QFrame* g = Group(this, QStringLiteral("◎小数第？位まで、商をもとめるか。"), {6, 214, 246, 52},
                      kYellow);
    Text(g, QStringLiteral("◇小数第"), {10, 27, 50, 16});
    places_ = new QSpinBox(g);
    places_->setGeometry(60, 24, 44, 22);
    places_->setRange(0, 10);
    Text(g, QStringLiteral("位まで（最大１０位）"), {110, 27, 130, 16});
}

void TJoukenSetForm::BuildSpeechGroup() {
    QFrame* g = Group(this, QStringLiteral("◎音声設定"), {5, 273, 248, 200}, kCream);
    auto* test = new QPushButton(QStringLiteral("テスト"), g);
    test->setGeometry(176, 22, 62, 24);
    test->setAutoDefault(false);
    test->setToolTip(QStringLiteral("読み上げの速さ・音量のテストです。"));
    connect(test, &QPushButton::clicked, this, [this] { model_.TestYomiClick(); });
    const AppSettings& s = model_.settings;
    expressionSpeech_ = Box(g, QStringLiteral("式と答を読み上げる"), {8, 22, 160, 18}, s.SIKISPEAK);
    keySpeech_ = Box(g, QStringLiteral("１字入力を読み上げる"), {8, 42, 160, 18}, s.KEYSPEAK);
    Text(g, QStringLiteral("Min              読み上げの速さ　　　　　　  Max"), {8, 66, 232, 16});
    rate_ = Slider(g, {8, 82, 232, 26}, 10);
    Text(g, QStringLiteral("0                読み上げの音量             Max"), {8, 114, 232, 16});
    volume_ = Slider(g, {8, 130, 232, 26}, 20);
    // Voice input is switched from its own menu; the boxes of the original stay hidden.
    voiceInput_ = Box(g, QStringLiteral("音声入力を行う"), {8, 160, 160, 18}, s.SRFLAG);
    voiceInput_->hide();
    connect(voiceInput_, &QCheckBox::clicked, this,
            [this](bool on) { on ? model_.S2Click() : model_.E1Click(); });
    auto* examples = Box(g, QStringLiteral("文章例題も読み上げる"), {8, 178, 160, 18}, 0);
    examples->hide();
}

void TJoukenSetForm::BuildName() {
    auto* caption = new QLabel(QStringLiteral("お名前"), this);
    caption->setGeometry(176, 89, 40, 15);
    caption->setStyleSheet(QStringLiteral("color: red; background: white; font-weight: bold;"));
    name_ = new QLineEdit(this);
    // As wide as the dialog leaves room for.
    name_->setGeometry(172, 106, 80, 21);
    name_->setStyleSheet(QStringLiteral("color: red; font-weight: bold;"));
}

void TJoukenSetForm::FormCreate() {
    const AppSettings& s = model_.settings;
    speed_->setValue(s.ENZANSPEED);
    stepDisplay_->setChecked(model_.board.stepDisplay);
    (s.DSP_CL_TYPE == 1 ? whiteboard_ : blackboard_)->setChecked(true);
    places_->setValue(s.POINTMAX);
    rate_->setValue(s.SIKISPRATE);
    volume_->setValue(s.SIKISPVOLUME / 5);
    name_->setText(QString::fromStdString(s.USERSYOBINA));
    // Connected only now, so that setting the controls changes nothing.
    connect(places_, &QSpinBox::valueChanged, this,
            [this](int places) { model_.SetPointMax(places); });
    connect(rate_, &QSlider::valueChanged, this, [this](int rate) {
        model_.settings.SIKISPRATE = rate;
        main_.CaptionsChanged();
    });
    connect(volume_, &QSlider::valueChanged, this, [this](int position) {
        model_.settings.SIKISPVOLUME = position * 5;
        main_.CaptionsChanged();
    });
    connect(name_, &QLineEdit::textChanged, this,
            [this](const QString& text) { model_.settings.USERSYOBINA = text.toStdString(); });
}

void TJoukenSetForm::Button1Click() {
    AppSettings& s = model_.settings;
    s.KURIAGARI = Flag(carries_);
    s.KURISAGARI = Flag(borrows_);
    s.KAIGYO_FLAG = Flag(lineBreak_);
    s.EXPLAIN_FLAG = Flag(explain_);
    s.MSGSPEAK = Flag(messages_);
    model_.board.stepDisplay = stepDisplay_->isChecked();
    s.SIKISPEAK = Flag(expressionSpeech_);
    s.KEYSPEAK = Flag(keySpeech_);
    s.ENZANSPEED = speed_->value();
    s.POINTMAX = places_->value();
    s.DSP_CL_TYPE = whiteboard_->isChecked() ? 1 : 0;
    accept();
}

bool TJoukenSetForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) {
        return QDialog::eventFilter(watched, event);
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    // Letters typed into the name are the name.
    if (watched == name_ || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
        return false;
    }
    switch (key->key()) {
        case Qt::Key_L:
            lineBreak_->click();
            return true;
        case Qt::Key_U:
            carries_->click();
            return true;
        case Qt::Key_D:
            borrows_->click();
            return true;
        case Qt::Key_F:
            main_.OpenFontDialog();
            return true;
        default:
            return false;
    }
}

}  // namespace kazu
