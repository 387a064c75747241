// The notebook (ノート): the child works the calculation herself on squared paper, cell by cell,
// in the order the school method writes them. Each cell is checked as it is written; a wrong
// one is marked gently and 数ちゃん says what to look at. H (or a spoken ヒント) gives the next
// step's sentence and marks its cells. A finished answer is praised or its mistake named, and
// each problem finished goes into the child's practice record.
#pragma once

#include <QRect>
#include <QWidget>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "core/practice/ProblemSets.h"
#include "core/practice/Progress.h"
#include "core/working/ChildWork.h"
#include "speech/Recognizer.h"

class QComboBox;
class QLabel;
class QPushButton;
class QScrollArea;
class QSpinBox;

namespace kazu {

class TKokubanForm;

// The squared paper with the working laid out on it.
class NotebookPaper : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kCell = 48;

    explicit NotebookPaper(QWidget* parent);

    void SetWork(const ChildWork* work);
    // Where a cell stands on the paper; empty for a cell that is not laid out.
    QRect CellRect(const CellRef& ref) const;
    void SetCursor(std::optional<CellRef> cursor);
    void SetMarks(std::vector<CellRef> marks);
    // The child's cell under a point of the paper.
    std::optional<CellRef> CellAt(QPoint point) const;
    // The child's cell nearest the cursor in a direction (dx, dy of -1, 0, 1).
    std::optional<CellRef> Neighbour(const CellRef& from, int dx, int dy) const;

  signals:
    void clicked(const CellRef& ref);
    void key(QKeyEvent* event);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool) override { return false; }  // Tab moves between cells

  private:
    const ChildWork* work_ = nullptr;
    std::map<std::tuple<int, int, bool>, QRect> rects_;
    std::vector<int> rowY_;
    std::vector<std::pair<QLine, int>> rules_;  // the line and its width
    QPoint signAt_;
    QString sign_;
    QRect bracket_;  // the long division's ")" and the bar from its top
    std::optional<CellRef> cursor_;
    std::vector<CellRef> marks_;

    void Lay();
    void PaintCell(QPainter& painter, const Cell& cell, const CellRef& ref) const;
};

class Notebook : public QWidget {
    Q_OBJECT
  public:
    explicit Notebook(TKokubanForm& main);

    // Shows the window on the board's calculation when one is written, else on the set chosen.
    void Open();
    // A spoken ヒント while the window is open; true when taken.
    bool Heard(const Recognition& recognition);

    void ChooseSet(const std::string& setId);
    void SetSeed(std::uint64_t seed);
    void NextProblem();
    void PreviousProblem();
    // もう一度: her cells cleared, the same problem again.
    void Again();
    void Hint();
    // The teacher's view of the record.
    void ShowRecord();

    const ChildWork* work() const { return work_ ? &*work_ : nullptr; }
    const Problem& problem() const { return problem_; }
    NotebookPaper* paper() const { return paper_; }
    std::optional<CellRef> cursor() const { return cursor_; }
    QString message() const;
    const Progress& progress();
    std::optional<std::size_t> hintStep() const { return hint_; }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    TKokubanForm& main_;
    QComboBox* sets_ = nullptr;
    QSpinBox* seed_ = nullptr;
    QLabel* problemLabel_ = nullptr;
    NotebookPaper* paper_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    QLabel* message_ = nullptr;
    QPushButton* again_ = nullptr;
    QPushButton* next_ = nullptr;

    std::string setId_;  // empty: the board's calculation
    std::vector<Problem> problems_;
    int index_ = 0;
    Problem problem_;
    std::optional<ChildWork> work_;
    std::optional<CellRef> cursor_;
    std::optional<std::size_t> hint_;
    bool wrongWritten_ = false;  // a wrong cell was written in this problem
    bool recorded_ = false;      // its attempt is in the record
    bool checked_ = false;       // the finished answer has had its reply

    std::optional<Progress> progress_;
    std::string progressPath_;

    void FillSets(bool board);
    void LoadProblems();
    void SetProblem(const Problem& problem);
    void Start();
    void OnKey(QKeyEvent* event);
    void Type(char text);
    void MoveTo(std::optional<CellRef> ref);
    void Advance(bool forward);
    // Once the answer is complete, or when she asks with some of it written.
    void CheckFinished(bool asked = false);
    void Record(const std::vector<MistakeKind>& mistakes);
    void Say(const QString& shown, const std::string& spoken);
};

}  // namespace kazu
