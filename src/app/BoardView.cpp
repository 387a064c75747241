#include "app/BoardView.h"

#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <utility>

namespace kazu {
namespace {

// Beyond this the image stops growing: drawing there is clipped (no layout comes near it).
constexpr int kLargestSide = 16384;
// Room added on each growth, so that a row written cell by cell grows the image seldom.
constexpr int kGrowthStep = 256;

int RevealedAxis(int low, int high, int viewLow, int viewHigh, int offset, bool keepEnd) {
    if (high - low > viewHigh - viewLow) {
        offset = keepEnd ? high - viewHigh : low - viewLow;
    } else if (low < viewLow + offset) {
        offset = low - viewLow;
    } else if (high > viewHigh + offset) {
        offset = high - viewHigh;
    }
    return std::max(offset, 0);
}

}  // namespace

BoardCanvas::BoardCanvas() : image_(1, 1, QImage::Format_RGB32), canvas_(&image_) {
    image_.fill(QColor::fromRgb(QRgb(background_)));
}

void BoardCanvas::SetViewSize(QSize size) {
    view_ = size.expandedTo(QSize(1, 1));
    FillRect(0, 0, view_.width(), view_.height(), background_);
}

void BoardCanvas::SetBackground(Colour colour) {
    if (colour != background_) {
        // A new colour scheme: the image is bare in the new background, beyond the view too.
        background_ = colour;
        canvas_.SetBackground(colour);
        canvas_.FillRect(0, 0, image_.width(), image_.height(), colour);
        content_ = {};
        recent_ = {};
        drawn_.clear();
    }
}

void BoardCanvas::FillRect(int x1, int y1, int x2, int y2, Colour colour) {
    if (colour == background_ && x1 <= 0 && y1 <= 0 && x2 >= view_.width() &&
        y2 >= view_.height()) {
        // The image keeps its size; beyond the view only what was drawn needs wiping.
        // The view itself exactly: room to grow is for what is drawn beyond it.
        Grow(QRect(QPoint(0, 0), view_), 0);
        // Nothing drawn since the image was last bare: it still is (the first clears at start
        // would each write the whole view again).
        if (content_.isEmpty()) {
            return;
        }
        canvas_.FillRect(0, 0, view_.width(), view_.height(), colour);
        const QRect drawn = content_ & image_.rect();
        if (!drawn.isEmpty()) {
            canvas_.FillRect(drawn.left(), drawn.top(), drawn.right() + 1, drawn.bottom() + 1,
                             colour);
        }
        content_ = {};
        recent_ = {};
        drawn_.clear();
        return;
    }
    const QRect rect(QPoint(x1, y1), QPoint(x2 - 1, y2 - 1));
    Grow(rect, kGrowthStep);
    canvas_.FillRect(x1, y1, x2, y2, colour);
    // A fill in the background only wipes; the cell written over it counts.
    if (colour != background_) {
        Drawn(rect);
    }
}

int BoardCanvas::TextOut(int x, int y, const std::string& text) {
    const QRect rect(x, y, canvas_.TextWidth(text), canvas_.TextHeight(text));
    Grow(rect, kGrowthStep);
    Drawn(rect);
    return canvas_.TextOut(x, y, text);
}

void BoardCanvas::Line(int x1, int y1, int x2, int y2, int width, Colour colour) {
    const QRect rect(QPoint(std::min(x1, x2), std::min(y1, y2)),
                     QPoint(std::max(x1, x2) + width, std::max(y1, y2) + width));
    Grow(rect, kGrowthStep);
    Drawn(rect);
    canvas_.Line(x1, y1, x2, y2, width, colour);
}

void BoardCanvas::Drawn(const QRect& rect) {
    content_ |= rect;
    recent_ |= rect;
    drawn_.push_back(rect);
}

QRect BoardCanvas::ContentWithin(const QRect& area) const {
    QRect within;
    for (const QRect& rect : drawn_) {
        within |= rect & area;
    }
    return within;
}

QRect BoardCanvas::LowestRow(int height) const {
    QRect row;
    for (const QRect& rect : drawn_) {
        if (rect.bottom() > content_.bottom() - height) {
            row |= rect;
        }
    }
    return row;
}

QRect BoardCanvas::TakeRecent() {
    return std::exchange(recent_, QRect());
}

void BoardCanvas::Grow(const QRect& rect, int room) {
    const int width = std::min(rect.right() + 1, kLargestSide);
    const int height = std::min(rect.bottom() + 1, kLargestSide);
    if (width <= image_.width() && height <= image_.height()) {
        return;
    }
    QImage grown(std::max(image_.width(), std::min(width + room, kLargestSide)),
                 std::max(image_.height(), std::min(height + room, kLargestSide)),
                 QImage::Format_RGB32);
    canvas_.End();
    {
        // Each pixel written once: the old image, then the bare strips right of it and below.
        QPainter painter(&grown);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(0, 0, image_);
        const QColor bare = QColor::fromRgb(QRgb(background_));
        painter.fillRect(image_.width(), 0, grown.width() - image_.width(), grown.height(), bare);
        painter.fillRect(0, image_.height(), image_.width(), grown.height() - image_.height(),
                         bare);
    }
    image_ = std::move(grown);
    canvas_.SetDevice(&image_);
}

QPoint Revealed(const QRect& rect, QPoint offset, const QRect& band, bool keepEnd) {
    if (rect.isEmpty()) {
        return offset;
    }
    return {RevealedAxis(rect.left(), rect.right() + 1, band.left(), band.right() + 1, offset.x(),
                         keepEnd),
            RevealedAxis(rect.top(), rect.bottom() + 1, band.top(), band.bottom() + 1, offset.y(),
                         keepEnd)};
}

BoardView::BoardView(const BoardCanvas& canvas, std::function<void(int, bool)> wheel,
                     QWidget* parent)
    : QWidget(parent), canvas_(canvas), wheel_(std::move(wheel)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
}

void BoardView::SetOffset(QPoint offset) {
    if (offset != offset_) {
        offset_ = offset;
        update();
    }
}

void BoardView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QImage& image = canvas_.image();
    // Beyond the image the board is bare.
    painter.fillRect(event->rect(), QColor::fromRgb(QRgb(canvas_.background())));
    painter.drawImage(event->rect().topLeft(), image, event->rect().translated(offset_));
}

void BoardView::wheelEvent(QWheelEvent* event) {
    const QPoint delta = event->angleDelta();
    const bool sideways = delta.x() != 0 || event->modifiers().testFlag(Qt::ShiftModifier);
    const int notches = (delta.y() != 0 ? delta.y() : delta.x()) / 120;
    if (notches != 0) {
        wheel_(notches, sideways);
    }
    event->accept();
}

}  // namespace kazu
