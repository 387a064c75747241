// The board's canvas on a QPainter: the window's backing image, a printer page or a picture.
#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QRect>
#include <optional>

#include "core/Canvas.h"

namespace kazu {

// Maps the settings' font names to the faces this system has ("ＭＳゴシック" and friends).
void InstallFontSubstitutions();
QFont BoardFont(const std::string& name, int points);

class QtCanvas : public Canvas {
  public:
    // lineScale multiplies pen widths: 1 on screen, printer dpi / 96 on paper.
    explicit QtCanvas(QPaintDevice* device, double lineScale = 1.0);
    ~QtCanvas() override;
    QtCanvas(const QtCanvas&) = delete;
    QtCanvas& operator=(const QtCanvas&) = delete;

    // Starts painting on another device (the backing image after a resize).
    void SetDevice(QPaintDevice* device);
    void End();

    void FillRect(int x1, int y1, int x2, int y2, Colour colour) override;
    void SetFontName(const std::string& name) override;
    void SetFontSize(int points) override;
    int FontSize() const override { return size_; }
    void SetFontColour(Colour colour) override { colour_ = colour; }
    Colour FontColour() const override { return colour_; }
    int TextOut(int x, int y, const std::string& text) override;
    int TextWidth(const std::string& text) override;
    int TextHeight(const std::string& text) override;
    void Line(int x1, int y1, int x2, int y2, int width, Colour colour) override;

    // The smallest rectangle holding every text and line drawn, and every fill that was not
    // the background (an export crops to it).
    QRect contentBounds() const { return bounds_; }
    void SetBackground(Colour colour) { background_ = colour; }

  private:
    QPainter painter_;
    QFont font_;
    std::optional<QFontMetricsF> metrics_;
    std::string name_ = "ＭＳゴシック";
    int size_ = 10;
    Colour colour_ = 0;
    Colour background_ = 0;
    double lineScale_;
    QRect bounds_;
    // The font has full-width digits of its own: half-width ones are drawn with them.
    bool wideDigits_ = false;

    void ApplyFont();
    void DrawText(QPointF at, const QString& text);
};

}  // namespace kazu
