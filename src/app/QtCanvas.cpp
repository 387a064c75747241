#include "app/QtCanvas.h"

#include <QFontMetricsF>
#include <QPen>
#include <QRawFont>

namespace kazu {
namespace {

QColor ToQColor(Colour colour) {
    return QColor((colour >> 16) & 0xFF, (colour >> 8) & 0xFF, colour & 0xFF);
}

QString ToQString(const std::string& text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

}  // namespace

void InstallFontSubstitutions() {
    // Stored settings name the Windows faces; IPAGothic is the fixed-pitch Japanese face here.
    for (const char* name :
         {"ＭＳゴシック", "ＭＳ ゴシック", "MS Gothic", "ＭＳ明朝", "MS Mincho"}) {
        QFont::insertSubstitution(QString::fromUtf8(name), QStringLiteral("IPAGothic"));
    }
}

QFont BoardFont(const std::string& name, int points) {
    QFont font(ToQString(name));
    font.setFixedPitch(true);
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSize(std::max(points, 1));
    return font;
}

QtCanvas::QtCanvas(QPaintDevice* device, double lineScale) : lineScale_(lineScale) {
    SetDevice(device);
}

QtCanvas::~QtCanvas() {
    End();
}

void QtCanvas::SetDevice(QPaintDevice* device) {
    End();
    painter_.begin(device);
    painter_.setRenderHint(QPainter::Antialiasing, true);
    painter_.setRenderHint(QPainter::TextAntialiasing, true);
    ApplyFont();
}

void QtCanvas::End() {
    if (painter_.isActive()) {
        painter_.end();
    }
}

void QtCanvas::ApplyFont() {
    font_ = BoardFont(name_, size_);
    if (painter_.isActive()) {
        painter_.setFont(font_);
        metrics_.emplace(font_, painter_.device());
    } else {
        metrics_.emplace(font_);
    }
    wideDigits_ = QRawFont::fromFont(font_).supportsCharacter(QChar(0xFF10));
}

void QtCanvas::FillRect(int x1, int y1, int x2, int y2, Colour colour) {
    const QRect rect(x1, y1, x2 - x1, y2 - y1);
    painter_.fillRect(rect, ToQColor(colour));
    if (colour != background_) {
        bounds_ |= rect;
    }
}

void QtCanvas::SetFontName(const std::string& name) {
    name_ = name;
    ApplyFont();
}

void QtCanvas::SetFontSize(int points) {
    if (points != size_) {
        size_ = points;
        ApplyFont();
    }
}

int QtCanvas::TextOut(int x, int y, const std::string& text) {
    const QString qtext = ToQString(text);
    painter_.setPen(ToQColor(colour_));
    DrawText(QPointF(x, y + metrics_->ascent()), qtext);
    const int width = static_cast<int>(metrics_->horizontalAdvance(qtext));
    bounds_ |= QRect(x, y, width, static_cast<int>(metrics_->height()));
    return x + width;
}

// IPAGothic, which stands in for the Windows faces, draws its half-width zero with a stroke
// through it, and on this board a stroke through a digit means "cancelled". So a half-width
// digit (the answer, a remainder) is drawn with the font's full-width digit, as in every cell
// of the board, narrowed and centred in the half-width advance; widths stay the font's own.
void QtCanvas::DrawText(QPointF at, const QString& text) {
    if (!wideDigits_) {
        painter_.drawText(at, text);
        return;
    }
    // The full-width cell is twice the half-width one and its ink about half of it: scaled by
    // this, the ink takes most of the half-width cell.
    constexpr qreal kScale = 0.8;
    const auto isDigit = [](QChar ch) { return ch >= QLatin1Char('0') && ch <= QLatin1Char('9'); };
    for (qsizetype start = 0, end = 0; start < text.size(); start = end) {
        if (isDigit(text[start])) {
            const QString wide(QChar(0xFF10 + text[start].digitValue()));
            const qreal advance = metrics_->horizontalAdvance(text[start]);
            const qreal wideAdvance = metrics_->horizontalAdvance(wide);
            painter_.save();
            painter_.translate(at.x() + advance / 2, at.y());
            painter_.scale(kScale * 2 * advance / wideAdvance, 1.0);
            painter_.drawText(QPointF(-wideAdvance / 2, 0), wide);
            painter_.restore();
            at.rx() += advance;
            end = start + 1;
            continue;
        }
        end = start;
        while (end < text.size() && !isDigit(text[end])) {
            ++end;
        }
        const QString run = text.mid(start, end - start);
        painter_.drawText(at, run);
        at.rx() += metrics_->horizontalAdvance(run);
    }
}

int QtCanvas::TextWidth(const std::string& text) {
    return static_cast<int>(metrics_->horizontalAdvance(ToQString(text)));
}

int QtCanvas::TextHeight(const std::string&) {
    return static_cast<int>(metrics_->height());
}

void QtCanvas::Line(int x1, int y1, int x2, int y2, int width, Colour colour) {
    QPen pen(ToQColor(colour));
    pen.setWidthF(width * lineScale_);
    pen.setCapStyle(Qt::FlatCap);
    painter_.setPen(pen);
    painter_.drawLine(x1, y1, x2, y2);
    bounds_ |= QRect(QPoint(std::min(x1, x2), std::min(y1, y2)),
                     QPoint(std::max(x1, x2), std::max(y1, y2) + width));
}

}  // namespace kazu
