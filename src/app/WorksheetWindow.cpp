#include "app/WorksheetWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/Kokuban_v24.h"
#include "app/Paths.h"
#include "core/practice/Progress.h"
#include "core/practice/WeakSpots.h"

namespace kazu {
namespace {

// The combo box's entry for the child's own sheet.
const QString kWeakSpots = QStringLiteral("weak");

QString Q(const std::string& text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

}  // namespace

WorksheetWindow::WorksheetWindow(TKokubanForm& main) : QWidget(&main, Qt::Window), main_(main) {
    setWindowTitle(QStringLiteral("プリント作成 － 数ちゃん"));
    auto* layout = new QHBoxLayout(this);
    auto* form = new QFormLayout;
    sets_ = new QComboBox(this);
    for (const ProblemSet& set : ProblemSets()) {
        sets_->addItem(QStringLiteral("%1年　%2").arg(set.year).arg(Q(set.description)), Q(set.id));
    }
    sets_->addItem(QStringLiteral("苦手プリント（学習の記録から）"), kWeakSpots);
    form->addRow(QStringLiteral("問題(&K)"), sets_);
    count_ = new QSpinBox(this);
    count_->setRange(kWorksheetMinCount, kWorksheetMaxCount);
    count_->setValue(kWorksheetDefaultCount);
    form->addRow(QStringLiteral("問題の数(&N)"), count_);
    auto* seedRow = new QHBoxLayout;
    seed_ = new QSpinBox(this);
    seed_->setRange(0, static_cast<int>(kWorksheetMaxSeed));
    seed_->setToolTip(QStringLiteral("ノートで同じシードを選ぶと、同じ問題で練習できます"));
    seed_->setValue(QRandomGenerator::global()->bounded(static_cast<int>(kWorksheetMaxSeed) + 1));
    auto* another = new QPushButton(QStringLiteral("別の問題(&B)"), this);
    seedRow->addWidget(seed_, 1);
    seedRow->addWidget(another);
    auto* seedLabel = new QLabel(QStringLiteral("シード(&E)"), this);
    seedLabel->setBuddy(seed_);
    form->addRow(seedLabel, seedRow);
    title_ = new QLineEdit(this);
    form->addRow(QStringLiteral("タイトル(&T)"), title_);
    date_ = new QLineEdit(QDate::currentDate().toString(QStringLiteral("yyyy年M月d日")), this);
    date_->setPlaceholderText(QStringLiteral("空なら「　月　日」を書きこむ線"));
    form->addRow(QStringLiteral("日付(&D)"), date_);
    answers_ = new QCheckBox(QStringLiteral("こたえのページをつける(&A)"), this);
    answers_->setChecked(true);
    form->addRow(answers_);
    auto* print = new QPushButton(QStringLiteral("印刷(&P)..."), this);
    auto* save = new QPushButton(QStringLiteral("PDFに保存(&S)..."), this);
    form->addRow(print);
    form->addRow(save);
    auto* side = new QVBoxLayout;
    side->addLayout(form);
    side->addStretch(1);
    layout->addLayout(side);
    preview_ = new QPrintPreviewWidget(this);
    preview_->setMinimumSize(420, 520);
    layout->addWidget(preview_, 1);

    connect(preview_, &QPrintPreviewWidget::paintRequested, this,
            [this](QPrinter* printer) { PaintWorksheet(*printer, sheet_); });
    connect(sets_, &QComboBox::currentIndexChanged, this, [this] { SetChosen(); });
    connect(count_, &QSpinBox::valueChanged, this, [this] { Rebuild(); });
    connect(seed_, &QSpinBox::valueChanged, this, [this] { Rebuild(); });
    connect(title_, &QLineEdit::editingFinished, this, [this] { Rebuild(); });
    connect(date_, &QLineEdit::editingFinished, this, [this] { Rebuild(); });
    connect(answers_, &QCheckBox::toggled, this, [this] { Rebuild(); });
    connect(another, &QPushButton::clicked, this, [this] {
        seed_->setValue(
            QRandomGenerator::global()->bounded(static_cast<int>(kWorksheetMaxSeed) + 1));
    });
    connect(print, &QPushButton::clicked, this, [this] { PrintSheet(); });
    connect(save, &QPushButton::clicked, this, [this] { AskAndSavePdf(); });
    SetChosen();
    resize(1000, 700);
}

void WorksheetWindow::Open() {
    show();
    raise();
    activateWindow();
}

// A new choice of problems brings its own title.
void WorksheetWindow::SetChosen() {
    const QString id = sets_->currentData().toString();
    if (id == kWeakSpots) {
        title_->setText(QStringLiteral("にがてプリント"));
    } else if (const ProblemSet* set = FindProblemSet(id.toStdString())) {
        title_->setText(Q(set->description));
    }
    Rebuild();
}

void WorksheetWindow::Rebuild() {
    const QString id = sets_->currentData().toString();
    const auto seed = static_cast<std::uint64_t>(seed_->value());
    if (id == kWeakSpots) {
        const std::vector<std::string> sets = WeakSpots();
        if (sets.empty()) {
            sets_->setCurrentIndex(0);  // chooses a set again, which rebuilds
            return;
        }
        sheet_ = SheetForWeakSpots(main_.model().settings.USERSYOBINA, sets, seed, count_->value());
    } else {
        sheet_ = SheetForSet(id.toStdString(), seed, count_->value());
    }
    sheet_.title = title_->text().trimmed().isEmpty() ? sheet_.title : title_->text().trimmed();
    sheet_.date = date_->text().trimmed();
    sheet_.answers = answers_->isChecked();
    sheet_.fontName = main_.model().settings.FONTNAME;
    preview_->updatePreview();
}

std::vector<std::string> WorksheetWindow::WeakSpots() {
    const std::string& child = main_.model().settings.USERSYOBINA;
    std::vector<std::string> sets = WeakSpotSets(main_.PracticeRecord().MistakeCounts());
    if (sets.empty()) {
        QMessageBox::information(
            this, QStringLiteral("お知らせ"),
            QStringLiteral("%1さんの 学習の記録には、まだ まちがいが ありません。\n"
                           "ノートで練習すると、苦手なところから プリントが作れます。")
                .arg(child.empty() ? QStringLiteral("（名前なし）") : Q(child)));
    }
    return sets;
}

void WorksheetWindow::PrintSheet() {
    QPrinter printer(QPrinter::HighResolution);
    if (QPrinterInfo::availablePrinters().isEmpty()) {
        // No printer here: the dialog offers a PDF file instead, in a folder that exists.
        printer.setOutputFileName(PdfFolder() + QStringLiteral("/kazuchan-print.pdf"));
    }
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(QStringLiteral("印刷"));
    if (dialog.exec() == QDialog::Accepted && !PaintWorksheet(printer, sheet_)) {
        QMessageBox::warning(this, QStringLiteral("ご注意！"),
                             QStringLiteral("印刷できませんでした。"));
    }
}

void WorksheetWindow::AskAndSavePdf() {
    const QString id = sets_->currentData().toString();
    const QString name = QStringLiteral("%1/%2-%3.pdf")
                             .arg(PdfFolder(), id == kWeakSpots ? QStringLiteral("にがてプリント")
                                                                : QStringLiteral("プリント-") + id)
                             .arg(seed_->value());
    QString path = QFileDialog::getSaveFileName(this, QStringLiteral("PDFに保存"), name,
                                                QStringLiteral("PDF (*.pdf)"));
    if (path.isEmpty()) {
        return;
    }
    if (!path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive)) {
        path += QStringLiteral(".pdf");
    }
    SavePdf(path);
}

bool WorksheetWindow::SavePdf(const QString& path) {
    const bool written = WriteWorksheetPdf(path, sheet_);
    if (!written) {
        QMessageBox::warning(this, QStringLiteral("ご注意！"),
                             QStringLiteral("%1 に書きこめませんでした。").arg(path));
    }
    return written;
}

}  // namespace kazu
