#include "app/Stepgov.h"

#include <QKeyEvent>
#include <QLabel>

namespace kazu {
namespace {

QLabel* Line(QWidget* parent, const QString& text, QRect bounds, const QString& style = {}) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(bounds);
    label->setStyleSheet(style);
    return label;
}

}  // namespace

TStepGoForm::TStepGoForm(QWidget* mainWindow, std::function<void()> leave,
                         std::function<void(const QKeyEvent&)> forward)
    : QWidget(mainWindow,
              Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      mainWindow_(mainWindow),
      leave_(std::move(leave)),
      forward_(std::move(forward)) {
    setWindowTitle(QStringLiteral("◆ステップの指示◆"));
    setFixedSize(154, 137);
    setAutoFillBackground(true);
    setStyleSheet(QStringLiteral("TStepGoForm { background: #fffbf0; }"));
    QFont font = this->font();
    font.setPointSize(10);
    setFont(font);
    auto* showing = Line(this, QStringLiteral("<ステップ表示中>"), {12, 8, 130, 22},
                         QStringLiteral("color: red; background: yellow; font-weight: bold;"));
    showing->setAlignment(Qt::AlignCenter);
    Line(this, QStringLiteral("⇒ステップ実行"), {10, 40, 136, 18},
         QStringLiteral("font-weight: bold;"));
    Line(this, QStringLiteral("Gｷｰ or 左ｸﾘｯｸ"), {30, 58, 116, 18}, QStringLiteral("color: blue;"));
    Line(this, QStringLiteral("⇒ステップ解除"), {10, 88, 136, 18},
         QStringLiteral("font-weight: bold;"));
    Line(this, QStringLiteral("Escキー"), {30, 106, 116, 18}, QStringLiteral("color: blue;"));
}

void TStepGoForm::showEvent(QShowEvent* event) {
    // Beside the board, wherever the main window stands now.
    const QRect main = mainWindow_->frameGeometry();
    move(main.left() + main.width() - 220, main.top() + 300);
    QWidget::showEvent(event);
}

void TStepGoForm::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        mainWindow_->activateWindow();  // keys belong to the main window's key map
    }
    QWidget::changeEvent(event);
}

void TStepGoForm::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (event->key() == Qt::Key_Y && modifiers == Qt::NoModifier) {
        leave_();
    } else if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) {
        forward_(*event);
    }
    event->accept();
}

}  // namespace kazu
