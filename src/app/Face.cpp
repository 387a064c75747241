#include "app/Face.h"

#include <QCloseEvent>
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
    : ToolWindow(parent, QSize(162, 127)), pacer_(pacer), face_(128, 128, QImage::Format_RGB32) {
    setWindowTitle(QStringLiteral("数ちゃん 　　　　◆F4◆"));
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

void TFaceS::paintEvent(QPaintEvent* event) {
    ToolWindow::paintEvent(event);
    QPainter painter(this);
    const QRect area = client()->geometry();
    painter.fillRect(area, QColor(0, 255, 0));
    // Centred and scaled with its proportions kept.
    QRect target(QPoint(), face_.size().scaled(area.size(), Qt::KeepAspectRatio));
    target.moveCenter(area.center());
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, face_);
}

// The face has no life of its own: a close from the window manager (Alt+F4) leaves it there
// while the board is open. Once the board has closed, the face ends with the program; a refusal
// then would keep the program from ending.
void TFaceS::closeEvent(QCloseEvent* event) {
    if (parentWidget() != nullptr && !parentWidget()->isVisible()) {
        event->accept();
    } else {
        event->ignore();
    }
}

}  // namespace kazu
