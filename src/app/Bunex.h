// The word-problem example window (文章題の例文): a picture of the example for the
// calculation on the board, with the hint label and a decorative picture.
#pragma once

#include <QImage>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "core/Bunex/Bunex.h"
#include "core/Kokuban_v24/Kokuban.h"

class QLabel;

namespace kazu {

class TSenExForm : public QWidget, public ExampleView {
    Q_OBJECT
  public:
    // mainWindow gets the keyboard focus back after each example (none on the command line);
    // buttonsChanged redraws the main window's "文" and "●"; deleteKey clears its expression.
    TSenExForm(Kokuban& model, QWidget* mainWindow, std::function<void()> buttonsChanged,
               std::function<void()> deleteKey);

    // Draws the content again into the window's picture; with a log, every canvas call is
    // recorded there as well, the hint label as a text line.
    void Redraw(std::vector<std::string>* log = nullptr);
    const QImage& content() const { return image_; }
    QLabel* hintLabel() const { return staticText1_; }
    QLabel* picture() const { return image1_; }
    // The decorative picture from a JPEG file; without one the window shows no picture.
    void LoadPicture(const QString& path);
    // The same, decoded only when the window is first shown: most runs never show it.
    void LoadPictureWhenShown(const QString& path) { pictureToLoad_ = path; }

    // ExampleView.
    void ShowExample() override;
    void HideExample() override;
    bool ExampleShown() const override;
    void SpeedButton3Dsp() override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    Kokuban& model_;
    QWidget* mainWindow_;
    std::function<void()> buttonsChanged_;
    std::function<void()> deleteKey_;
    QImage image_;
    QString pictureToLoad_;
    QLabel* image1_ = nullptr;
    QLabel* staticText1_ = nullptr;
};

}  // namespace kazu
