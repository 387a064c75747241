// A small always-on-top companion window (the face, the input panel, the step window) with a
// caption and a single fixed border of its own and no buttons on its caption.
#pragma once

#include <QWidget>

namespace kazu {

// Window managers put a close button on every caption they draw, whatever the window asks
// (openbox among them), and a child who closed the face with it would lose the face for the
// rest of the run. So the window is frameless and draws its caption itself; dragging the
// caption moves the window.
class ToolWindow : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kBorder = 1;
    static constexpr int kCaptionHeight = 18;

    // clientSize: the area below the caption, where the window's controls go.
    ToolWindow(QWidget* parent, QSize clientSize);

    QWidget* client() const { return client_; }

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    QWidget* client_;
};

}  // namespace kazu
