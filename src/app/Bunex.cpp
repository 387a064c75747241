#include "app/Bunex.h"

#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <utility>

#include "app/JpegImage.h"
#include "app/QtCanvas.h"
#include "core/RecordingCanvas.h"

namespace kazu {
namespace {

constexpr Colour kHintRed = 0xFF0000;

QFont HintFont(int points) {
    QFont font = BoardFont(kExampleFont, points);
    font.setBold(true);
    return font;
}

}  // namespace

TSenExForm::TSenExForm(Kokuban& model, QWidget* mainWindow, std::function<void()> buttonsChanged,
                       std::function<void()> deleteKey)
    : QWidget(mainWindow, Qt::Tool),
      model_(model),
      mainWindow_(mainWindow),
      buttonsChanged_(std::move(buttonsChanged)),
      deleteKey_(std::move(deleteKey)) {
    setWindowTitle(QStringLiteral("文章題の例文"));
    setFixedSize(kExampleWidth, kExampleHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // The child goes on typing on the board; the window only shows.
    setAttribute(Qt::WA_ShowWithoutActivating);

    image1_ = new QLabel(this);
    image1_->setGeometry(663, 202, 140, 100);
    image1_->setScaledContents(true);

    staticText1_ = new QLabel(QStringLiteral("考え方："), this);
    staticText1_->move(36, 180);
    staticText1_->setFrameShape(QFrame::Box);
    staticText1_->setStyleSheet(QStringLiteral("color: red; background: white;"));
    // Its font and size come with the first example (Redraw).

    QPoint place(model.settings.BLEFT, model.settings.BTOP);
    // A position from another monitor layout must not put the window out of reach.
    bool reachable = false;
    for (const QScreen* each : QGuiApplication::screens()) {
        reachable = reachable || each->availableGeometry().intersects(
                                     QRect(place, QSize(kExampleWidth - 40, kExampleHeight - 40)));
    }
    move(reachable ? place : QPoint(200, 500));
}

void TSenExForm::LoadPicture(const QString& path) {
    pictureToLoad_.clear();
    QFile file(path);
    QImage picture;
    if (!path.isEmpty() && file.open(QIODevice::ReadOnly)) {
        picture = DecodeJpeg(file.read(4 * 1024 * 1024));
    }
    image1_->setPixmap(QPixmap::fromImage(picture));
    image1_->setVisible(!picture.isNull());
}

void TSenExForm::Redraw(std::vector<std::string>* log) {
    if (image_.isNull()) {
        // Made on first use, not with the window: most runs never show it.
        image_ = QImage(kExampleWidth, kExampleHeight, QImage::Format_RGB32);
        image_.fill(QColor(QRgb(kExampleBackground)));
    }
    ReibunTexts texts;
    {
        QtCanvas canvas(&image_);
        if (log != nullptr) {
            RecordingCanvas recorder(canvas);
            texts = model_.ReibunDsp(recorder);
            log->insert(log->end(), recorder.log().begin(), recorder.log().end());
        } else {
            texts = model_.ReibunDsp(canvas);
        }
        canvas.End();
    }
    staticText1_->setFont(HintFont(texts.hintSize));
    staticText1_->setText(QString::fromStdString(texts.hint));
    staticText1_->adjustSize();
    if (log != nullptr) {
        log->push_back("text 36 180 " + std::to_string(texts.hintSize) + " " +
                       ColourText(kHintRed) + " " + QuotedText(texts.hint));
    }
    update();
}

void TSenExForm::ShowExample() {
    Redraw();
    if (!pictureToLoad_.isEmpty()) {
        LoadPicture(std::exchange(pictureToLoad_, QString()));
    }
    show();
    if (mainWindow_ != nullptr) {
        mainWindow_->activateWindow();
    }
}

void TSenExForm::HideExample() {
    hide();
}

bool TSenExForm::ExampleShown() const {
    return isVisible();
}

void TSenExForm::SpeedButton3Dsp() {
    if (buttonsChanged_) {
        buttonsChanged_();
    }
}

void TSenExForm::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.drawImage(event->rect().topLeft(), image_, event->rect());
}

void TSenExForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Delete) {
        if (deleteKey_) {
            deleteKey_();
        }
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace kazu
