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
    : ToolWindow(mainWindow, QSize(154, 137)),
      mainWindow_(mainWindow),
      leave_(std::move(leave)),
      forward_(std::move(forward)) {
    setWindowTitle(QStringLiteral("◆ステップの指示◆"));
    QWidget* area = client();
    area->setAutoFillBackground(true);
    QPalette cream = area->palette();
    cream.setColor(QPalette::Window, QColor(0xff, 0xfb, 0xf0));
    area->setPalette(cream);
    QFont font = area->font();
    font.setPointSize(10);
    area->setFont(font);
    auto* showing = Line(area, QStringLiteral("<ステップ表示中>"), {12, 8, 130, 22},
                         QStringLiteral("color: red; background: yellow; font-weight: bold;"));
    showing->setAlignment(Qt::AlignCenter);
    Line(area, QStringLiteral("⇒ステップ実行"), {10, 40, 136, 18},
         QStringLiteral("font-weight: bold;"));
    Line(area, QStringLiteral("Gｷｰ or 左ｸﾘｯｸ"), {30, 58, 116, 18}, QStringLiteral("color: blue;"));
    Line(area, QStringLiteral("⇒ステップ解除"), {10, 88, 136, 18},
         QStringLiteral("font-weight: bold;"));
    Line(area, QStringLiteral("Escキー"), {30, 106, 116, 18}, QStringLiteral("color: blue;"));
}

void TStepGoForm::showEvent(QShowEvent* event) {
    // Beside the board, wherever the main window stands now.
    const QRect main = mainWindow_->frameGeometry();
    move(main.left() + main.width() - 220, main.top() + 300);
    ToolWindow::showEvent(event);
}

void TStepGoForm::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        mainWindow_->activateWindow();  // keys belong to the main window's key map
    }
    ToolWindow::changeEvent(event);
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
