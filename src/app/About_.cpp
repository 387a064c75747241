#include "app/About_.h"

#include <QLabel>
#include <QPushButton>

namespace kazu {

TAboutForm::TAboutForm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("『数ちゃん(V)』のバージョン"));
    setFixedSize(202, 129);
    setModal(true);
    auto* title = new QLabel(QStringLiteral("《タテ書き計算器--音声対応版》"), this);
    title->setGeometry(8, 6, 186, 18);
    title->setAlignment(Qt::AlignCenter);
    auto* name = new QLabel(QStringLiteral("『数ちゃん(V)』"), this);
    name->setGeometry(8, 26, 186, 22);
    name->setAlignment(Qt::AlignCenter);
    QFont bold = name->font();
    bold.setBold(true);
    bold.setPointSize(bold.pointSize() + 2);
    name->setFont(bold);
    auto* version = new QLabel(QStringLiteral("v" KAZU_VERSION), this);
    version->setGeometry(8, 50, 186, 16);
    version->setAlignment(Qt::AlignCenter);
    auto* picture = new QLabel(this);
    picture->setPixmap(QPixmap(QStringLiteral(":/about.png"))
                           .scaled(28, 28, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    picture->setGeometry(40, 70, 28, 28);
    auto* maker = new QLabel(QStringLiteral("ほしぞら舎"), this);
    maker->setGeometry(74, 76, 90, 16);
    auto* ok = new QPushButton(QStringLiteral("Ｏ Ｋ"), this);
    ok->setGeometry(66, 100, 70, 24);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace kazu
