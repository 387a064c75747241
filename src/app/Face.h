// The talking face: a small always-on-top window beside the board whose mouth follows the
// voice and whose eyes blink.
#pragma once

#include <QImage>
#include <array>

#include "app/ToolWindow.h"
#include "core/Canvas.h"

namespace kazu {

class TFaceS : public ToolWindow {
    Q_OBJECT
  public:
    // The pictures in the order they are loaded.
    static constexpr std::array<const char*, 9> kPictureNames = {
        "FACE00",  "MOUTH_A", "MOUTH_I",  "MOUTH_U",  "MOUTH_E",
        "MOUTH_O", "MOUTH_N", "EYE_OPEN", "EYE_CLOSE"};

    // Waits (the blinks) go through the pacer, so the window keeps repainting and input is
    // held back until the blink is over.
    TFaceS(Pacer& pacer, QWidget* parent = nullptr);

    // Loads the pictures from `folder` (a resource path such as ":/face/"); a picture that
    // cannot be loaded stops the loading there. False when any is missing.
    bool LoadPictures(const QString& folder);

    void VisemeDsp(int viseme);
    void EyeDsp(int state);
    void MabatakiDsp(int milliseconds);

    const QImage& picture() const { return face_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    Pacer& pacer_;
    std::array<QImage, 9> pictures_;
    QImage face_;

    void DrawPicture(size_t index, QPoint at);
};

}  // namespace kazu
