#include "app/Memo.h"

namespace kazu {

Memo::Memo(const QString& placeholder, int limit, const QColor& colour, QWidget* parent)
    : QLabel(parent), placeholder_(placeholder), limit_(limit), colour_(colour) {
    setWordWrap(true);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setFrameShape(QFrame::StyledPanel);
    setFocusPolicy(Qt::ClickFocus);
    setTextFormat(Qt::PlainText);
    Show();
}

void Memo::Insert(const QString& text) {
    text_ += text.left(limit_ - text_.size());
    Show();
}

void Memo::Clear() {
    text_.clear();
    Show();
}

void Memo::Show() {
    setText(text_.isEmpty() ? placeholder_ : text_);
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, text_.isEmpty() ? QColor(Qt::darkGray) : colour_);
    setPalette(colours);
}

}  // namespace kazu
