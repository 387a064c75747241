#include "app/HelpWindow.h"

#include <QApplication>
#include <QBoxLayout>
#include <QKeySequence>
#include <QShortcut>
#include <QTextBrowser>
#include <QToolButton>
#include <QUrl>

namespace kazu {
namespace {

const char* const kTitle = "数ちゃん のヘルプ";

}  // namespace

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(QString::fromUtf8(kTitle));
    resize(820, 640);
    back_ = new QToolButton(this);
    back_->setText(QStringLiteral("← もどる"));
    back_->setToolTip(QStringLiteral("前のところへもどる (Alt+←)"));
    back_->setEnabled(false);
    forward_ = new QToolButton(this);
    forward_->setText(QStringLiteral("すすむ →"));
    forward_->setToolTip(QStringLiteral("次のところへすすむ (Alt+→)"));
    forward_->setEnabled(false);
    // The pages link to their own sections; the few links outside go to the desktop's browser.
    browser_ = new QTextBrowser(this);
    browser_->setOpenExternalLinks(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(back_);
    buttons->addWidget(forward_);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(buttons);
    layout->addWidget(browser_);

    connect(back_, &QToolButton::clicked, browser_, &QTextBrowser::backward);
    connect(forward_, &QToolButton::clicked, browser_, &QTextBrowser::forward);
    connect(browser_, &QTextBrowser::backwardAvailable, back_, &QToolButton::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QToolButton::setEnabled);
    connect(browser_, &QTextBrowser::sourceChanged, this, [this] { ShowTitle(); });
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
            &QWidget::close);
}

void HelpWindow::Open(const QString& path) {
    browser_->setSource(QUrl::fromLocalFile(path));
    ShowTitle();
    // Asked for from a modal dialog (the settings), the help would be blocked by it; it is then
    // modal itself, over the dialog, until it is closed.
    const Qt::WindowModality modality =
        QApplication::activeModalWidget() != nullptr ? Qt::ApplicationModal : Qt::NonModal;
    if (modality != windowModality()) {
        hide();  // modality takes effect when a window is shown
        setWindowModality(modality);
    }
    showNormal();
    raise();
    activateWindow();
}

void HelpWindow::ShowTitle() {
    const QString title = browser_->documentTitle();
    setWindowTitle(title.isEmpty() ? QString::fromUtf8(kTitle) : title);
}

}  // namespace kazu
