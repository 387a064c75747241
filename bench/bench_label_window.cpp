// The floor for start-up: a Qt window with one Japanese label in the board's font, the least a
// window with text costs. It marks its first frame as the program does (KAZU_FIRST_FRAME_FILE).
#include <QApplication>
#include <QLabel>

#include "app/FirstFrame.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QLabel label(QStringLiteral("◆１２＋９＝２１"));
    label.setFont(QFont(QStringLiteral("IPAGothic"), 40));
    label.resize(804, 600);
    kazu::WatchFirstFrame(&label);
    label.show();
    return app.exec();
}
