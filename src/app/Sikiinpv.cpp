#include "app/Sikiinpv.h"

#include <QFrame>
#include <QPushButton>

#include "app/Kokuban_v24.h"

namespace kazu {
namespace {

const QString kRed = QStringLiteral("red");
const QString kBlue = QStringLiteral("blue");
const QString kGreen = QStringLiteral("green");
const QString kBlack = QStringLiteral("black");

}  // namespace

// One row below the buttons of the calculator holds the explanation's button.
TInputForm::TInputForm(TKokubanForm& main) : ToolWindow(&main, QSize(174, 199)), main_(main) {
    setWindowTitle(QStringLiteral("入力パネル　▼Ｆ８▲"));
    auto* panel = new QFrame(client());
    panel->setObjectName(QStringLiteral("panel"));
    panel->setGeometry(0, 0, 174, 177);
    panel->setStyleSheet(
        QStringLiteral("QFrame#panel { background: lime; border: 2px outset #40c040; }"));

    CharacterButton(QStringLiteral("×"), {4, 6, 25, 25}, '*', kRed);
    CharacterButton(QStringLiteral("÷"), {33, 6, 25, 25}, '/', kRed);
    CharacterButton(QStringLiteral("＋"), {62, 6, 25, 25}, '+', kRed);
    CharacterButton(QStringLiteral("－"), {91, 6, 25, 25}, '-', kRed);
    connect(AddButton(QStringLiteral("←"), {126, 6, 36, 25}, kBlue,
                      QStringLiteral("字を一つ消して前にもどる")),
            &QPushButton::clicked, this, [this] {
                main_.RunPaced([this] { main_.model().BackSpace(); });
                GiveFocusBack();
            });
    const char* digits = "789456123";
    const QString wide[] = {QStringLiteral("７"), QStringLiteral("８"), QStringLiteral("９"),
                            QStringLiteral("４"), QStringLiteral("５"), QStringLiteral("６"),
                            QStringLiteral("１"), QStringLiteral("２"), QStringLiteral("３")};
    for (int i = 0; i < 9; ++i) {
        CharacterButton(wide[i], {4 + 29 * (i % 3), 35 + 29 * (i / 3), 25, 25}, digits[i], kBlack);
    }
    CommandButton(QStringLiteral("式復活H"), {98, 36, 68, 18}, kGreen,
                  QStringLiteral("消去した式を復活する"), &Kokuban::Hukkatu);
    CommandButton(QStringLiteral("消 去D"), {98, 58, 68, 18}, kBlue,
                  QStringLiteral("式をぜんぶ消す"), &Kokuban::VK_DeleteKey);
    CommandButton(QStringLiteral("再計算Ｒ"), {98, 79, 68, 18}, kRed,
                  QStringLiteral("筆算をやり直す"), &Kokuban::ReCalcButtonClick);
    // P goes to the key map directly, whichever window holds the focus.
    connect(AddButton(QStringLiteral("円周率Ｐ"), {98, 101, 68, 18}, kBlack,
                      QStringLiteral("3.14 を入力する")),
            &QPushButton::clicked, this,
            [this] { main_.RunPaced([this] { main_.model().FormKeyDown('P', {}); }); });
    CharacterButton(QStringLiteral("０"), {4, 122, 25, 25}, '0', kRed);
    CharacterButton(QStringLiteral(" ．"), {33, 122, 20, 25}, '.', kBlack,
                    QStringLiteral("小数点"));
    CharacterButton(QStringLiteral("＝"), {56, 122, 31, 25}, '=', kRed,
                    QStringLiteral("キーボードでは<Enter>を押します。"));
    connect(AddButton(QStringLiteral("読Ｖ"), {90, 126, 34, 20}, kBlue,
                      QStringLiteral("式を読み上げる")),
            &QPushButton::clicked, this,
            [this] { main_.RunPaced([this] { main_.model().R2Click(); }); });
    connect(AddButton(QStringLiteral("条件Ｊ"), {126, 126, 40, 20}, kBlack,
                      QStringLiteral("条件設定ダイアログを開く")),
            &QPushButton::clicked, this, [this] {
                main_.RunPaced([this] { main_.SokudoClick(); });
                GiveFocusBack();
            });
    CommandButton(QStringLiteral("説明Ｅ"), {4, 151, 162, 20}, kBlue,
                  QStringLiteral("計算のしかたを説明する"), &Kokuban::ExplainRequest);
    connect(AddButton(QStringLiteral("ノートＮ"), {4, 173, 162, 20}, kGreen,
                      QStringLiteral("ノートで筆算の練習をする")),
            &QPushButton::clicked, this,
            [this] { main_.RunPaced([this] { main_.OpenNotebook(); }); });
}

QPushButton* TInputForm::AddButton(const QString& caption, QRect bounds, const QString& colour,
                                   const QString& hint) {
    auto* button = new QPushButton(caption, client());
    button->setGeometry(bounds);
    button->setToolTip(hint);
    button->setCursor(Qt::PointingHandCursor);
    button->setFocusPolicy(Qt::NoFocus);
    button->setStyleSheet(
        QStringLiteral("QPushButton { color: %1; background: #f0f0f0; border: 1px solid #808080;"
                       " padding: 0px; }"
                       "QPushButton:hover { background: white; }"
                       "QPushButton:pressed { background: #c8c8c8; }")
            .arg(colour));
    return button;
}

void TInputForm::CharacterButton(const QString& caption, QRect bounds, char ch,
                                 const QString& colour, const QString& hint) {
    connect(AddButton(caption, bounds, colour, hint), &QPushButton::clicked, this, [this, ch] {
        panelInUse_ = true;
        main_.RunPaced([this, ch] { main_.model().KeyInputChar(ch); });
        GiveFocusBack();
    });
}

void TInputForm::CommandButton(const QString& caption, QRect bounds, const QString& colour,
                               const QString& hint, void (Kokuban::*command)()) {
    connect(AddButton(caption, bounds, colour, hint), &QPushButton::clicked, this, [this, command] {
        main_.RunPaced([this, command] { (main_.model().*command)(); });
        GiveFocusBack();
    });
}

QPushButton* TInputForm::Button(const QString& caption) const {
    for (QPushButton* button : findChildren<QPushButton*>()) {
        if (button->text() == caption) {
            return button;
        }
    }
    return nullptr;
}

void TInputForm::GiveFocusBack() {
    main_.activateWindow();
}

void TInputForm::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && !isActiveWindow()) {
        panelInUse_ = false;
    }
    ToolWindow::changeEvent(event);
}

}  // namespace kazu
