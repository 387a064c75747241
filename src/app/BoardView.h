// The board on the screen: an image that grows to hold everything drawn on it, and a view of
// the window's size onto it that can be moved, so that no written cell is out of reach.
#pragma once

#include <QImage>
#include <QWidget>
#include <functional>
#include <vector>

#include "app/QtCanvas.h"

namespace kazu {

// The window's canvas. Its image starts at the board's top-left corner and grows to the right
// and downwards when something is drawn beyond it; a fill of the whole view in the background
// colour is the board's clear.
class BoardCanvas : public Canvas {
  public:
    BoardCanvas();

    // The size of the view; clears the board.
    void SetViewSize(QSize size);
    QSize viewSize() const { return view_; }
    const QImage& image() const { return image_; }
    // Everything drawn since the board was last cleared.
    QRect content() const { return content_; }
    // Everything drawn since the last call.
    QRect TakeRecent();
    // What was drawn within `height` pixels of the lowest thing drawn: the last row.
    QRect LowestRow(int height) const;
    // The part of what was drawn that lies within area.
    QRect ContentWithin(const QRect& area) const;
    void SetBackground(Colour colour);
    Colour background() const { return background_; }

    void FillRect(int x1, int y1, int x2, int y2, Colour colour) override;
    void SetFontName(const std::string& name) override { canvas_.SetFontName(name); }
    void SetFontSize(int points) override { canvas_.SetFontSize(points); }
    int FontSize() const override { return canvas_.FontSize(); }
    void SetFontColour(Colour colour) override { canvas_.SetFontColour(colour); }
    Colour FontColour() const override { return canvas_.FontColour(); }
    int TextOut(int x, int y, const std::string& text) override;
    int TextWidth(const std::string& text) override { return canvas_.TextWidth(text); }
    int TextHeight(const std::string& text) override { return canvas_.TextHeight(text); }
    void Line(int x1, int y1, int x2, int y2, int width, Colour colour) override;

  private:
    QImage image_;
    QtCanvas canvas_;
    QSize view_{1, 1};
    Colour background_ = 0;
    QRect content_;
    QRect recent_;
    std::vector<QRect> drawn_;

    void Drawn(const QRect& rect);
    // Big enough for rect, with `room` more where it grows.
    void Grow(const QRect& rect, int room);
};

// The part of the image in view: a view offset that shows rect within the view's band
// (view coordinates), moved as little as possible; a rect larger than the band shows its end
// when keepEnd is set, else its start. Offsets never go below 0.
QPoint Revealed(const QRect& rect, QPoint offset, const QRect& band, bool keepEnd);

// Shows the board's image from the view offset; the wheel is handed on, with whether it goes
// sideways (Shift held, or a sideways wheel).
class BoardView : public QWidget {
  public:
    BoardView(const BoardCanvas& canvas, std::function<void(int notches, bool sideways)> wheel,
              QWidget* parent);

    QPoint offset() const { return offset_; }
    void SetOffset(QPoint offset);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    const BoardCanvas& canvas_;
    std::function<void(int, bool)> wheel_;
    QPoint offset_;
};

}  // namespace kazu
