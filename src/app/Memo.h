// The speech panel's memos: a few lines of text the program writes, with a grey hint while
// empty. Lighter than an editor, which the panel does not need and which costs start-up time.
#pragma once

#include <QLabel>

namespace kazu {

class Memo : public QLabel {
    Q_OBJECT
  public:
    Memo(const QString& placeholder, int limit, const QColor& colour, QWidget* parent);

    // Appends at the end, within the limit of characters.
    void Insert(const QString& text);
    void Clear();
    const QString& toPlainText() const { return text_; }
    const QString& placeholderText() const { return placeholder_; }

  private:
    QString placeholder_;
    QString text_;
    int limit_;
    QColor colour_;

    void Show();
};

}  // namespace kazu
