#include "app/ProgressView.h"

#include <QDialogButtonBox>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "core/practice/ProblemSets.h"

namespace kazu {

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text).toHtmlEscaped();
}

QString SetName(const std::string& id) {
    if (id.empty()) {
        return QStringLiteral("黒板の式");
    }
    const ProblemSet* set = FindProblemSet(id);
    return set == nullptr ? Q(id)
                          : QStringLiteral("%1年　%2").arg(set->year).arg(Q(set->description));
}

QString Html(const Progress& progress) {
    const QString cell = QStringLiteral("<td style='padding: 3px 10px;'>%1</td>");
    QString html =
        QStringLiteral("<h2>%1 さんの 学習の記録</h2>")
            .arg(progress.child.empty() ? QStringLiteral("（名前なし）") : Q(progress.child));
    if (progress.attempts.empty()) {
        return html + QStringLiteral("<p>まだ 記録は ありません。</p>");
    }
    html += QStringLiteral(
        "<h3>問題の種類ごと</h3><table border='1' cellspacing='0'>"
        "<tr><th>問題</th><th>解いた数</th><th>一回目で正解</th></tr>");
    for (const auto& [id, tally] : progress.PerSet()) {
        html += QStringLiteral("<tr>") + cell.arg(SetName(id)) + cell.arg(tally.tried) +
                cell.arg(tally.rightFirstTime) + QStringLiteral("</tr>");
    }
    html += QStringLiteral("</table>");
    const auto counts = progress.MistakeCounts();
    html += QStringLiteral("<h3>まちがいの種類ごと</h3>");
    if (counts.empty()) {
        return html + QStringLiteral("<p>名前のつく まちがいは ありません。</p>");
    }
    html += QStringLiteral(
        "<table border='1' cellspacing='0'>"
        "<tr><th>まちがい</th><th>回数</th><th>子どもへの言葉</th></tr>");
    for (const auto& [kind, count] : counts) {
        // The id too: it is what the record file and the command line call it.
        const QString name = QStringLiteral("%1<br><small>%2</small>")
                                 .arg(Q(MistakeName(kind)), Q(std::string(MistakeId(kind))));
        html += QStringLiteral("<tr>") + cell.arg(name) + cell.arg(count) +
                cell.arg(Q(MistakeSentence(kind))) + QStringLiteral("</tr>");
    }
    return html + QStringLiteral("</table>");
}

}  // namespace

ProgressView::ProgressView(const Progress& progress, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("学習の記録"));
    auto* layout = new QVBoxLayout(this);
    browser_ = new QTextBrowser(this);
    browser_->setHtml(Html(progress));
    layout->addWidget(browser_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    layout->addWidget(buttons);
    resize(640, 480);
}

QString ProgressView::text() const {
    return browser_->toPlainText();
}

}  // namespace kazu
