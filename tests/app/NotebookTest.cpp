// The child works problems of every set in the notebook with real keys and clicks: the right
// working is accepted cell by cell, a wrong answer made by a mistaken procedure is named, and
// the record of what she did outlives the window.
#include <QDir>
#include <QFile>
#include <QScrollArea>
#include <QTest>
#include <set>

#include "FormFixture.h"
#include "app/Notebook.h"
#include "app/ProgressView.h"
#include "core/Funcsv.h"
#include "core/practice/Mistakes.h"

namespace kazu {
namespace {

Qt::Key KeyFor(char text) {
    return text == '.' ? Qt::Key_Period : static_cast<Qt::Key>(Qt::Key_0 + (text - '0'));
}

void Click(Notebook& notebook, const CellRef& ref) {
    QTest::mouseClick(notebook.paper(), Qt::LeftButton, {},
                      notebook.paper()->CellRect(ref).center());
}

// The cells of one answer row from the left, a point after the digit of its column.
std::vector<CellRef> RowCells(const Working& w, int row) {
    std::vector<CellRef> refs;
    for (const Cell& c : w.rows[static_cast<size_t>(row)].cells) {
        refs.push_back({row, c.column, c.text == '.'});
    }
    std::stable_sort(refs.begin(), refs.end(), [](const CellRef& a, const CellRef& b) {
        return a.column != b.column ? a.column > b.column : !a.point && b.point;
    });
    return refs;
}

// A number written into a row of this shape: the same count of whole digits, the decimals
// filled up with zeros; a shorter whole number from the left, the cells after it left empty
// (' '); nothing when it does not fit the row.
std::optional<std::string> Fit(const std::string& shape, const std::string& number) {
    const size_t shapePoint = std::min(shape.find('.'), shape.size());
    const size_t numberPoint = std::min(number.find('.'), number.size());
    const std::string decimals = number.substr(std::min(numberPoint + 1, number.size()));
    const size_t room = shape.size() - std::min(shapePoint + 1, shape.size());
    if (shapePoint == shape.size() && numberPoint < shapePoint) {
        return number + std::string(shapePoint - numberPoint, ' ');
    }
    if (shapePoint != numberPoint || decimals.size() > room ||
        (shapePoint == shape.size() && numberPoint != number.size())) {
        return std::nullopt;
    }
    std::string text = number.substr(0, numberPoint);
    if (shapePoint < shape.size()) {
        text += "." + decimals + std::string(room - decimals.size(), '0');
    }
    return text;
}

// Writes a whole answer ("83", "14あまり2") into the answer cells with the mouse and the keys,
// and says it is finished with Enter when cells are left empty; false when it does not fit.
bool WriteAnswer(Notebook& notebook, const std::string& answer) {
    const Working& w = notebook.work()->working();
    const size_t split = answer.find("あまり");
    const std::string parts[] = {answer.substr(0, split),
                                 split == std::string::npos ? "0" : answer.substr(split + 9)};
    std::vector<std::pair<CellRef, char>> writes;
    int part = 0;
    for (int r = 0; r < static_cast<int>(w.rows.size()); ++r) {
        const std::vector<CellRef> cells = RowCells(w, r);
        if (cells.empty() || !notebook.work()->InAnswer(cells.front())) {
            continue;
        }
        std::string shape;
        for (const CellRef& ref : cells) {
            shape += w.Find(ref)->text;
        }
        const auto text = Fit(shape, parts[std::min(part++, 1)]);
        if (!text) {
            return false;
        }
        for (size_t i = 0; i < cells.size(); ++i) {
            writes.push_back({cells[i], (*text)[i]});
        }
    }
    bool empty = false;
    for (const auto& [ref, text] : writes) {
        empty = empty || text == ' ';
        if (text != ' ') {
            Click(notebook, ref);
            QTest::keyClick(notebook.paper(), KeyFor(text));
        }
    }
    if (empty) {
        QTest::keyClick(notebook.paper(), Qt::Key_Return);
    }
    return true;
}

}  // namespace
}  // namespace kazu

using namespace kazu;

class NotebookTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { qputenv("XDG_DATA_HOME", data_.path().toLocal8Bit()); }
    void everySetWorkedByKeysAndItsMistakesNamed();
    void theRecordOutlivesTheWindow();

  private:
    QTemporaryDir data_;
};

void NotebookTest::everySetWorkedByKeysAndItsMistakesNamed() {
    FormFixture f;
    f.form().OpenNotebook();
    Notebook& notebook = *f.form().notebook();
    std::set<MistakeKind> named;
    std::set<MistakeKind> made;
    for (const ProblemSet& set : ProblemSets()) {
        notebook.ChooseSet(set.id);
        for (int n = 0; n < 4; ++n, notebook.NextProblem()) {
            const ChildWork& work = *notebook.work();
            const Working& w = work.working();
            const std::string what = set.id + " " + notebook.problem().typed;
            // The right digit into each cell the cursor goes to: every one accepted, the answer
            // praised.
            for (size_t guard = 0; guard <= work.order().size(); ++guard) {
                const CellRef at = *notebook.cursor();
                if (work.MarkOf(at) == ChildWork::Mark::Right) {
                    break;
                }
                QTest::keyClick(notebook.paper(), KeyFor(w.Find(at)->text));
                QVERIFY2(work.MarkOf(at) == ChildWork::Mark::Right, what.c_str());
            }
            QVERIFY2(work.AnswerRight(), what.c_str());
            QVERIFY2(notebook.message().contains(QStringLiteral("よくできました")), what.c_str());
            // The marks the cursor passed by, with the mouse.
            for (const CellRef& ref : work.order()) {
                if (work.MarkOf(ref) == ChildWork::Mark::Empty) {
                    QVERIFY2(work.Optional(ref), what.c_str());
                    Click(notebook, ref);
                    QCOMPARE(*notebook.cursor(), ref);
                    QTest::keyClick(notebook.paper(), KeyFor(w.Find(ref)->text));
                }
                QVERIFY2(work.MarkOf(ref) == ChildWork::Mark::Right, what.c_str());
            }
            QCOMPARE(NormalizeNumberText(work.AnswerText()),
                     NormalizeNumberText(w.answer.substr(0, w.answer.find("あまり"))) +
                         (w.remainder.empty() || w.remainder == "0" ? "" : "あまり" + w.remainder));
            // Each mistaken procedure that gives an answer of the row's shape is named.
            for (const MistakeKind kind : AllMistakes()) {
                const auto wrong = CarryOutMistake(kind, notebook.problem().input);
                notebook.Again();
                if (!wrong || !WriteAnswer(notebook, *wrong)) {
                    continue;
                }
                made.insert(kind);
                const std::string sentence = MistakeSentence(kind);
                QVERIFY2(!work.AnswerRight(), (what + " " + *wrong).c_str());
                if (notebook.message().contains(QString::fromStdString(sentence))) {
                    named.insert(kind);
                }
            }
        }
    }
    // Every kind the sets gave a case of was named at least once.
    QCOMPARE(named, made);
    QVERIFY(made.size() >= 8);
}

void NotebookTest::theRecordOutlivesTheWindow() {
    const std::string child = "はなこ";
    std::string file;
    {
        FormFixture f(kTallBoard);
        f.settings().USERSYOBINA = child;
        f.Type(QStringLiteral("48+35="));
        f.Key(Qt::Key_N);
        Notebook& notebook = *f.form().notebook();
        QVERIFY(notebook.isVisible());
        QCOMPARE(notebook.problem().typed, std::string("48+35="));
        // 48+35 without the carried 1: 73.
        QVERIFY(WriteAnswer(notebook, "73"));
        QVERIFY(notebook.message().contains(
            QString::fromStdString(MistakeSentence(MistakeKind::AddNoCarry))));
        // Again, right this time: still one attempt for the problem.
        notebook.Again();
        QVERIFY(WriteAnswer(notebook, "83"));
        QVERIFY(notebook.work()->AnswerRight());
        QCOMPARE(notebook.progress().attempts.size(), size_t(1));
        notebook.ChooseSet("g2-add");
        QVERIFY(WriteAnswer(notebook, notebook.work()->working().answer));
        notebook.close();
        file = ProgressPath((data_.path() + "/kazuchan/progress").toStdString(), child);
    }
    FormFixture f;
    f.settings().USERSYOBINA = child;
    f.form().OpenNotebook();
    Notebook& notebook = *f.form().notebook();
    const Progress& record = notebook.progress();
    QCOMPARE(record.attempts.size(), size_t(2));
    QCOMPARE(record.attempts[0].typed, std::string("48+35="));
    QVERIFY(!record.attempts[0].rightFirstTime);
    QCOMPARE(record.attempts[0].mistakes, std::vector<MistakeKind>{MistakeKind::AddNoCarry});
    QCOMPARE(record.attempts[1].setId, std::string("g2-add"));
    QVERIFY(record.attempts[1].rightFirstTime);
    notebook.ShowRecord();
    auto* view = notebook.findChild<ProgressView*>();
    QVERIFY(view != nullptr);
    QVERIFY(view->text().contains(QString::fromStdString(FindProblemSet("g2-add")->description)));
    QVERIFY(
        view->text().contains(QString::fromStdString(MistakeSentence(MistakeKind::AddNoCarry))));
    // A damaged record is kept aside, said so, and a new one started.
    QVERIFY(f.messages.empty());
    QFile damaged(QString::fromStdString(file));
    QVERIFY(damaged.open(QIODevice::WriteOnly));
    damaged.write("\xff\xfe not a record \x01\n");
    damaged.close();
    f.settings().USERSYOBINA = "たろう";
    f.form().OpenNotebook();
    f.settings().USERSYOBINA = child;
    f.form().OpenNotebook();
    QCOMPARE(f.messages.size(), size_t(1));
    QVERIFY(f.messages[0].text.contains(QStringLiteral("こわれていた")));
    QVERIFY(notebook.progress().attempts.empty());
}

QTEST_MAIN(NotebookTest)
#include "NotebookTest.moc"
