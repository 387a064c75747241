// `kazuchan --worksheet`, run as a teacher runs it: the problems are the notebook's for the same
// seed, every answer is the one the board writes, and the PDF has the sheet's pages and the
// key's.
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "KazuchanRun.h"
#include "app/RenderHost.h"
#include "core/practice/ProblemSets.h"

namespace {

using Run = kazu::test::KazuchanRun;

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

QString Quoted(const std::string& text) {
    return Q(kazu::QuotedText(text));
}

// What the board writes after "=" when the problem is typed into it, a remainder after あまり.
std::string BoardAnswer(const kazu::Problem& problem) {
    kazu::AppSettings settings;
    settings.POINTMAX = problem.input.places;
    settings.ENZANSPEED = 0;
    kazu::RenderHost host(false);
    kazu::Kokuban model(host, host, settings);
    kazu::MetricsCanvas canvas;
    model.Start(canvas, 96);
    for (const char ch : problem.typed) {
        model.InputChar(ch);
    }
    if (!kazu::Calculated(model)) {
        return "(refused)";
    }
    std::string result = model.board.operands.result;
    if (const size_t r = result.find('R'); r != std::string::npos) {
        result.replace(r, 1, "あまり");
    }
    return result;
}

int PdfPages(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return -1;
    }
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?![a-zA-Z])"));
    return static_cast<int>(QString::fromLatin1(file.readAll()).count(page));
}

}  // namespace

class WorksheetTest : public QObject {
    Q_OBJECT

  private slots:
    void dumpedProblemsAreTheSetsWithTheBoardsAnswers();
    void thePdfHasTheSheetsPagesAndTheKeys();
    void usageErrorsExitTwoAndAnUnwritableFileOne();
};

void WorksheetTest::dumpedProblemsAreTheSetsWithTheBoardsAnswers() {
    const Run list = kazu::test::RunKazuchan({"--worksheet", "list"});
    QCOMPARE(list.exitCode, 0);
    QCOMPARE(list.out.size(), static_cast<qsizetype>(kazu::ProblemSets().size()));
    for (const kazu::ProblemSet& set : kazu::ProblemSets()) {
        QVERIFY(list.out.contains(
            QStringLiteral("%1 %2 %3").arg(Q(set.id)).arg(set.year).arg(Quoted(set.description))));
        for (const std::uint64_t seed : {0ULL, 31ULL, 999999ULL}) {
            const Run run =
                kazu::test::RunKazuchan({"--worksheet", Q(set.id), "--seed", QString::number(seed),
                                         "--count", "20", "--dump"});
            QCOMPARE(run.exitCode, 0);
            const std::vector<kazu::Problem> problems = kazu::MakeProblems(set.id, seed, 20);
            QCOMPARE(run.out.size(), static_cast<qsizetype>(problems.size()));
            for (size_t i = 0; i < problems.size(); ++i) {
                QCOMPARE(run.out[qsizetype(i)],
                         QStringLiteral("problem %1 %2 %3")
                             .arg(i + 1)
                             .arg(Quoted(problems[i].typed), Quoted(BoardAnswer(problems[i]))));
            }
        }
    }
}

void WorksheetTest::thePdfHasTheSheetsPagesAndTheKeys() {
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("sheet.pdf"));
    // Eight boxes a page for + and -, six for × and ÷; the key as many pages again.
    const struct {
        const char* set;
        const char* count;
        int pages;
    } cases[] = {{"g2-add", "6", 1},
                 {"g2-sub-borrow", "20", 3},
                 {"g3-mul-2digit", "9", 2},
                 {"g4-div-1digit", "20", 4},
                 {"g5-dec-div", "12", 2}};
    for (const auto& c : cases) {
        for (const bool answers : {false, true}) {
            QStringList args = {"--worksheet", c.set, "--count", c.count, "--out", out};
            if (answers) {
                args << "--answers";
            }
            QFile::remove(out);
            const Run run = kazu::test::RunKazuchan(args);
            QCOMPARE(run.exitCode, 0);
            QCOMPARE(PdfPages(out), answers ? 2 * c.pages : c.pages);
        }
    }
}

void WorksheetTest::usageErrorsExitTwoAndAnUnwritableFileOne() {
    for (const QStringList& args :
         {QStringList{"--worksheet", "g9-none", "--dump"},
          QStringList{"--worksheet", "g2-add", "--count", "5", "--dump"},
          QStringList{"--worksheet", "g2-add", "--count", "21", "--dump"},
          QStringList{"--worksheet", "g2-add", "--out", "a.png"},
          QStringList{"--worksheet", "g2-add"}, QStringList{"--worksheet"}}) {
        const Run run = kazu::test::RunKazuchan(args);
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.errText.contains(QStringLiteral("usage: kazuchan --worksheet")),
                 qPrintable(args.join(' ')));
    }
    const Run unwritable =
        kazu::test::RunKazuchan({"--worksheet", "g2-add", "--out", "/nonexistent/sheet.pdf"});
    QCOMPARE(unwritable.exitCode, 1);
    QVERIFY(unwritable.errText.contains(QStringLiteral("cannot write /nonexistent/sheet.pdf")));
}

QTEST_MAIN(WorksheetTest)
#include "WorksheetTest.moc"
