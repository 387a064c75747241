#include "app/Face.h"

#include <QPainter>

namespace kazu {
namespace {

constexpr size_t kFace = 0, kEyeOpen = 7, kEyeClose = 8;

// Where each mouth of a viseme is drawn on the face.
struct Mouth {
    int viseme;
    size_t picture;
    QPoint at;
};
constexpr Mouth kMouths[] = {{2, 1, {45, 90}}, {6, 2, {45, 90}},  {7, 3, {50, 88}},
                             {4, 4, {46, 87}}, {10, 5, {50, 90}}, {0, 6, {52, 90}}};
constexpr QPoint kEyes{35, 56};

}  // namespace

TFaceS::TFaceS(Pacer& pacer, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint),
      pacer_(pacer),
      face_(128, 128, QImage::Format_RGB32) {
    setWindowTitle(QStringLiteral("数ちゃん 　　　　◆F4◆"));
    setFixedSize(162, 127);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_ShowWithoutActivating);
    face_.fill(QColor(0, 255, 0));
}

bool TFaceS::LoadPictures(const QString& folder) {
    bool complete = true;
    for (size_t i = 0; i < kPictureNames.size() && complete; ++i) {
        pictures_[i] = QImage(folder + QLatin1String(kPictureNames[i]) + QStringLiteral(".png"));
        complete = !pictures_[i].isNull();
    }
    VisemeDsp(-1);
    return complete;
}

void TFaceS::DrawPicture(size_t index, QPoint at) {
    if (pictures_[index].isNull()) {
        return;
    }
    QPainter painter(&face_);
    painter.drawImage(at, pictures_[index]);
}

void TFaceS::VisemeDsp(int viseme) {
    DrawPicture(kFace, {0, 0});
    for (const Mouth& mouth : kMouths) {
        if (mouth.viseme == viseme) {
            DrawPicture(mouth.picture, mouth.at);
        }
    }
    update();
}

void TFaceS::EyeDsp(int state) {
    if (state == 1 || state == 0) {
        DrawPicture(state == 1 ? kEyeOpen : kEyeClose, kEyes);
        update();
    }
}

void TFaceS::MabatakiDsp(int milliseconds) {
    EyeDsp(0);
    repaint();
    pacer_.Pause(milliseconds);
    EyeDsp(1);
}

void TFaceS::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(0, 255, 0));
    // Centred and scaled with its proportions kept.
    const QSize size = face_.size().scaled(this->size(), Qt::KeepAspectRatio);
    const QRect target(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, face_);
}

}  // namespace kazu
