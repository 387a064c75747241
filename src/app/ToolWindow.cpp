#include "app/ToolWindow.h"

#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

namespace kazu {

ToolWindow::ToolWindow(QWidget* parent, QSize clientSize)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      client_(new QWidget(this)) {
    client_->setGeometry(QRect(QPoint(kBorder, kBorder + kCaptionHeight), clientSize));
    setFixedSize(clientSize + QSize(2 * kBorder, 2 * kBorder + kCaptionHeight));
}

bool ToolWindow::event(QEvent* event) {
    if (event->type() == QEvent::WindowTitleChange || event->type() == QEvent::ActivationChange) {
        update(0, 0, width(), kBorder + kCaptionHeight);
    }
    return QWidget::event(event);
}

void ToolWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(QColor(64, 64, 64));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    // The colours of a caption: blue while the window is active, grey otherwise.
    const QRect caption(kBorder, kBorder, width() - 2 * kBorder, kCaptionHeight);
    const bool active = isActiveWindow();
    QLinearGradient shade(caption.topLeft(), caption.topRight());
    shade.setColorAt(0, active ? QColor(10, 36, 106) : QColor(128, 128, 128));
    shade.setColorAt(1, active ? QColor(166, 202, 240) : QColor(192, 192, 192));
    painter.fillRect(caption, shade);
    QFont font = this->font();
    font.setPointSize(9);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(active ? Qt::white : QColor(224, 224, 224));
    painter.drawText(caption.adjusted(3, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter,
                     windowTitle());
}

void ToolWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && event->position().y() < kBorder + kCaptionHeight &&
        windowHandle() != nullptr) {
        windowHandle()->startSystemMove();
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

}  // namespace kazu
