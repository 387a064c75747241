// The help pages in a window of our own, so that help works without a web browser.
#pragma once

#include <QWidget>

class QTextBrowser;
class QToolButton;

namespace kazu {

class HelpWindow : public QWidget {
    Q_OBJECT
  public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // Shows the page (a local HTML file) and brings the window to the front.
    void Open(const QString& path);
    QTextBrowser* browser() const { return browser_; }

  private:
    QTextBrowser* browser_ = nullptr;
    QToolButton* back_ = nullptr;
    QToolButton* forward_ = nullptr;

    void ShowTitle();
};

}  // namespace kazu
