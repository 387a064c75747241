#include "app/Notebook.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDate>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

#include "app/Kokuban_v24.h"
#include "app/Paths.h"
#include "app/ProgressView.h"
#include "core/working/BoardExplanation.h"

namespace kazu {

namespace {

constexpr int S = NotebookPaper::kCell;
const QColor kGrid(168, 212, 240);       // the light blue of a 算数 notebook
const QColor kInk(34, 34, 34);           // what is printed: the problem
const QColor kPencil(30, 60, 120);       // what she writes
const QColor kEmpty(236, 246, 253);      // a cell for her to write in
const QColor kEmptyEdge(150, 196, 230);  // its edge
const QColor kSoftOrange(242, 155, 56);  // a wrong cell's underline, never red
const QColor kSoftWash(255, 240, 220);
const QColor kCursor(47, 127, 216);
const QColor kHintWash(255, 226, 110, 110);
const QColor kHintFrame(70, 160, 90);

std::tuple<int, int, bool> Key(const CellRef& ref) {
    return {ref.row, ref.column, ref.point};
}

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

bool Small(RowKind kind) {
    return kind == RowKind::Carries || kind == RowKind::Borrows;
}

// The problem as a child reads it: "52 − 38", "7.5 ÷ 3".
QString Shown(const Problem& problem) {
    QString text;
    for (const char c : problem.typed) {
        switch (c) {
            case '+':
                text += QStringLiteral(" ＋ ");
                break;
            case '-':
                text += QStringLiteral(" − ");
                break;
            case '*':
                text += QStringLiteral(" × ");
                break;
            case '/':
                text += QStringLiteral(" ÷ ");
                break;
            case '=':
                break;
            default:
                text += QLatin1Char(c);
        }
    }
    if (problem.input.op == '/' && problem.input.places > 0) {
        text += QStringLiteral("（商は 小数第%1位まで）").arg(problem.input.places);
    }
    return text;
}

}  // namespace

// The paper.

NotebookPaper::NotebookPaper(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void NotebookPaper::SetWork(const ChildWork* work) {
    work_ = work;
    cursor_.reset();
    marks_.clear();
    Lay();
    update();
}

void NotebookPaper::SetCursor(std::optional<CellRef> cursor) {
    cursor_ = cursor;
    update();
}

void NotebookPaper::SetMarks(std::vector<CellRef> marks) {
    marks_ = std::move(marks);
    update();
}

QRect NotebookPaper::CellRect(const CellRef& ref) const {
    const auto at = rects_.find(Key(ref));
    return at == rects_.end() ? QRect() : at->second;
}

// Lays the working out on the grid: a column per place, a grid row per row of the working, one
// cell of margin; the sign in a column of its own; a long division in the Japanese way, the
// divisor left of the bracket and the quotient over the bar.
void NotebookPaper::Lay() {
    rects_.clear();
    rules_.clear();
    sign_.clear();
    bracket_ = {};
    if (work_ == nullptr) {
        setMinimumSize(8 * S, 6 * S);
        return;
    }
    const Working& w = work_->working();
    const bool division = w.op == '/';
    int maxCol = 0, minCol = 0, maxV = 0, minV = 0;
    bool first = true, firstV = true;
    for (const Row& row : w.rows) {
        for (const Cell& c : row.cells) {
            if (division && row.kind == RowKind::Divisor) {
                maxV = firstV ? c.column : std::max(maxV, c.column);
                minV = firstV ? c.column : std::min(minV, c.column);
                firstV = false;
            } else {
                maxCol = first ? c.column : std::max(maxCol, c.column);
                minCol = first ? c.column : std::min(minCol, c.column);
                first = false;
            }
        }
    }
    // Columns from the left: the sign's (or the divisor's), then the places.
    const int lead = division ? maxV - minV + 1 : 1;
    auto x = [&](int column, bool divisor) {
        return divisor ? S + (maxV - column) * S : S + (lead + maxCol - column) * S;
    };
    const int right = x(minCol, false) + S;
    std::vector<int> rowTop(w.rows.size(), -1);
    int y = S;
    bool partials = false;
    bool ruled = false;
    for (size_t r = 0; r < w.rows.size(); ++r) {
        const Row& row = w.rows[r];
        if (row.cells.empty()) {
            continue;
        }
        if (division && row.kind == RowKind::Divisor) {
            continue;  // beside the dividend
        }
        const bool result = row.kind == RowKind::Answer || row.kind == RowKind::Partial;
        if (!division && result && (!ruled || (row.kind == RowKind::Answer && partials))) {
            rules_.push_back({QLine(S, y, right, y), 2});
            ruled = true;
        }
        partials = partials || row.kind == RowKind::Partial;
        rowTop[r] = y;
        if (division && row.kind == RowKind::Dividend) {
            bracket_ = QRect(x(maxCol, false), y, right - x(maxCol, false), S);
        }
        y += S;
    }
    for (size_t r = 0; r < w.rows.size(); ++r) {
        const Row& row = w.rows[r];
        const bool divisor = division && row.kind == RowKind::Divisor;
        if (divisor) {
            rowTop[r] = bracket_.top();
        }
        if (rowTop[r] < 0) {
            continue;
        }
        int low = 0, high = 0;
        for (size_t i = 0; i < row.cells.size(); ++i) {
            const Cell& c = row.cells[i];
            const int cx = x(c.column, divisor);
            low = i == 0 ? cx : std::min(low, cx);
            high = i == 0 ? cx + S : std::max(high, cx + S);
            QRect rect(cx, rowTop[r], S, S);
            if (c.text == '.') {
                rect = QRect(cx + S - S / 5, rowTop[r] + S - S / 6 - S / 5, 2 * S / 5, 2 * S / 5);
            } else if (Small(row.kind)) {
                rect = QRect(cx + S / 4, rowTop[r] + S / 2 - 2, S / 2, S / 2);
            }
            rects_[{static_cast<int>(r), c.column, c.text == '.'}] = rect;
        }
        if (division && row.kind == RowKind::Product) {
            rules_.push_back({QLine(low, rowTop[r] + S, high, rowTop[r] + S), 2});
        }
        if (!division && row.kind == RowKind::SecondOperand) {
            signAt_ = QPoint(S, rowTop[r]);
            sign_ = w.op == '+' ? QStringLiteral("＋")
                                : (w.op == '-' ? QStringLiteral("−") : QStringLiteral("×"));
        }
    }
    setMinimumSize(right + 2 * S, y + 2 * S);
}

std::optional<CellRef> NotebookPaper::CellAt(QPoint point) const {
    if (work_ == nullptr) {
        return std::nullopt;
    }
    // The small cells of the points lie over the corners of the digits' cells: first.
    for (const bool points : {true, false}) {
        for (const CellRef& ref : work_->order()) {
            if (ref.point == points && CellRect(ref).contains(point)) {
                return ref;
            }
        }
    }
    return std::nullopt;
}

std::optional<CellRef> NotebookPaper::Neighbour(const CellRef& from, int dx, int dy) const {
    if (work_ == nullptr) {
        return std::nullopt;
    }
    const QPoint here = CellRect(from).center();
    std::optional<CellRef> best;
    int bestScore = 0;
    for (const CellRef& ref : work_->order()) {
        const QPoint there = CellRect(ref).center();
        const int along = dx != 0 ? (there.x() - here.x()) * dx : (there.y() - here.y()) * dy;
        const int across =
            dx != 0 ? std::abs(there.y() - here.y()) : std::abs(there.x() - here.x());
        if (ref == from || along <= 0) {
            continue;
        }
        const int score = along + 3 * across;
        if (!best || score < bestScore) {
            best = ref;
            bestScore = score;
        }
    }
    return best;
}

void NotebookPaper::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setPen(QPen(kGrid, 1));
    for (int gx = 0; gx < width(); gx += S) {
        painter.drawLine(gx, 0, gx, height());
    }
    for (int gy = 0; gy < height(); gy += S) {
        painter.drawLine(0, gy, width(), gy);
    }
    if (work_ == nullptr) {
        return;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    for (const CellRef& ref : marks_) {
        painter.fillRect(CellRect(ref), kHintWash);
    }
    for (const auto& [line, width] : rules_) {
        painter.setPen(QPen(kInk, width));
        painter.drawLine(line);
    }
    if (!bracket_.isEmpty()) {
        painter.setPen(QPen(kInk, 2));
        painter.drawLine(bracket_.topLeft(), bracket_.topRight());
        // The ")" stands on the bar's left end and bows to the right.
        const QRect bow(bracket_.left() - S / 3, bracket_.top(), S / 3, S);
        painter.drawArc(bow, -70 * 16, 140 * 16);
    }
    if (!sign_.isEmpty()) {
        QFont font = painter.font();
        font.setPixelSize(S * 7 / 10);
        painter.setFont(font);
        painter.setPen(kInk);
        painter.drawText(QRect(signAt_, QSize(S, S)), Qt::AlignCenter, sign_);
    }
    const Working& w = work_->working();
    for (size_t r = 0; r < w.rows.size(); ++r) {
        for (const Cell& c : w.rows[r].cells) {
            PaintCell(painter, c, {static_cast<int>(r), c.column, c.text == '.'});
        }
    }
    painter.setBrush(Qt::NoBrush);
    for (const CellRef& ref : marks_) {
        painter.setPen(QPen(kHintFrame, 2, Qt::DashLine));
        painter.drawRoundedRect(CellRect(ref).adjusted(2, 2, -2, -2), 5, 5);
    }
    if (cursor_) {
        painter.setPen(QPen(kCursor, 3));
        painter.drawRoundedRect(CellRect(*cursor_).adjusted(1, 1, -1, -1), 6, 6);
    }
}

void NotebookPaper::PaintCell(QPainter& painter, const Cell& cell, const CellRef& ref) const {
    const QRect rect = CellRect(ref);
    if (rect.isEmpty()) {
        return;
    }
    const bool hers = work_->Writes(ref);
    const char written = hers ? work_->Written(ref) : cell.text;
    const ChildWork::Mark mark = work_->MarkOf(ref);
    if (hers && written == 0) {
        painter.setPen(QPen(kEmptyEdge, 1, Qt::DotLine));
        painter.setBrush(kEmpty);
        if (ref.point) {
            painter.drawEllipse(rect.adjusted(3, 3, -3, -3));
        } else {
            painter.drawRoundedRect(rect.adjusted(4, 4, -4, -4), 5, 5);
        }
        painter.setBrush(Qt::NoBrush);
        return;
    }
    if (mark == ChildWork::Mark::Wrong) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(kSoftWash);
        painter.drawRoundedRect(rect.adjusted(3, 3, -3, -3), 6, 6);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(kSoftOrange, 3, Qt::SolidLine, Qt::RoundCap));
        const int under = rect.bottom() - 4;
        painter.drawLine(rect.left() + 6, under, rect.right() - 6, under);
    }
    const QColor colour = hers ? kPencil : kInk;
    if (ref.point) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour);
        painter.drawEllipse(rect.center(), S / 14, S / 14);
        painter.setBrush(Qt::NoBrush);
    } else {
        QFont font = painter.font();
        font.setPixelSize(rect.height() * 7 / 10);
        painter.setFont(font);
        painter.setPen(colour);
        painter.drawText(rect, Qt::AlignCenter, QString(QLatin1Char(written)));
    }
    if (work_->ShowsStruck(ref)) {
        painter.setPen(QPen(kInk, 2));
        const QRect s = ref.point ? rect : rect.adjusted(S / 6, S / 6, -S / 6, -S / 6);
        painter.drawLine(s.bottomLeft(), s.topRight());
    }
}

void NotebookPaper::mousePressEvent(QMouseEvent* event) {
    setFocus();
    if (const auto ref = CellAt(event->position().toPoint())) {
        emit clicked(*ref);
    }
}

void NotebookPaper::keyPressEvent(QKeyEvent* event) {
    emit key(event);
}

// The window.

Notebook::Notebook(TKokubanForm& main) : QWidget(&main, Qt::Window), main_(main) {
    setWindowTitle(QStringLiteral("ノート － 数ちゃん"));
    auto* layout = new QVBoxLayout(this);
    auto* bar = new QHBoxLayout;
    sets_ = new QComboBox(this);
    sets_->setMinimumWidth(300);
    bar->addWidget(sets_, 1);
    bar->addWidget(new QLabel(QStringLiteral("シード"), this));
    seed_ = new QSpinBox(this);
    seed_->setRange(0, 999999);
    seed_->setToolTip(QStringLiteral("同じシードなら同じ問題になります（プリントと合わせるとき）"));
    bar->addWidget(seed_);
    layout->addLayout(bar);

    auto* buttons = new QHBoxLayout;
    problemLabel_ = new QLabel(this);
    QFont big = problemLabel_->font();
    big.setPixelSize(22);
    problemLabel_->setFont(big);
    buttons->addWidget(problemLabel_, 1);
    auto button = [&](const QString& caption, auto slot) {
        auto* b = new QPushButton(caption, this);
        b->setFocusPolicy(Qt::NoFocus);
        connect(b, &QPushButton::clicked, this, [this, slot] {
            (this->*slot)();
            paper_->setFocus();
        });
        buttons->addWidget(b);
        return b;
    };
    button(QStringLiteral("◀ まえの問題"), &Notebook::PreviousProblem);
    next_ = button(QStringLiteral("つぎの問題 ▶"), &Notebook::NextProblem);
    again_ = button(QStringLiteral("もう一度"), &Notebook::Again);
    button(QStringLiteral("ヒント(H)"), &Notebook::Hint);
    button(QStringLiteral("学習の記録"), &Notebook::ShowRecord);
    layout->addLayout(buttons);

    paper_ = new NotebookPaper(this);
    scroll_ = new QScrollArea(this);
    scroll_->setWidget(paper_);
    scroll_->setWidgetResizable(true);
    scroll_->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(scroll_, 1);
    message_ = new QLabel(this);
    message_->setWordWrap(true);
    message_->setMinimumHeight(90);
    message_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    message_->setStyleSheet(
        QStringLiteral("QLabel { background: #fffbe8; border: 1px solid #e8d9a0; padding: 6px; "
                       "font-size: 18px; }"));
    layout->addWidget(message_);
    resize(780, 640);

    connect(paper_, &NotebookPaper::clicked, this, [this](const CellRef& ref) { MoveTo(ref); });
    connect(paper_, &NotebookPaper::key, this, [this](QKeyEvent* event) { OnKey(event); });
    connect(sets_, &QComboBox::activated, this, [this](int index) {
        ChooseSet(sets_->itemData(index).toString().toStdString());
        paper_->setFocus();
    });
    connect(seed_, &QSpinBox::valueChanged, this, [this](int) {
        if (!setId_.empty()) {
            index_ = 0;
            LoadProblems();
        }
    });
}

QString Notebook::message() const {
    return message_->text();
}

const Progress& Notebook::progress() {
    const std::string& child = main_.model().settings.USERSYOBINA;
    if (!progress_ || progress_->child != child) {
        const QString folder = ProgressFolder();
        progressPath_ = ProgressPath(folder.toStdString(), child);
        ProgressLoad load = LoadProgress(progressPath_, child);
        progress_ = std::move(load.progress);
        if (!load.keptAside.empty()) {
            main_.ShowMessage("学習の記録が こわれていたので、\n" + load.keptAside +
                                  "\nとして とっておき、新しい記録を はじめました。",
                              "お知らせ", MessageIcon::None);
        }
    }
    return *progress_;
}

void Notebook::Open() {
    progress();
    Kokuban& model = main_.model();
    const std::optional<WorkingInput> calculation =
        BoardCalculation(model, model.settings.POINTMAX);
    const bool board = calculation && BuildWorking(*calculation);
    FillSets(board);
    if (board) {
        ChooseSet({});
    } else if (!work_) {
        ChooseSet(ProblemSets().front().id);
    }
    show();
    raise();
    activateWindow();
    paper_->setFocus();
}

void Notebook::FillSets(bool board) {
    const QSignalBlocker blocker(sets_);
    sets_->clear();
    if (board) {
        sets_->addItem(QStringLiteral("黒板の式"), QString());
    }
    for (const ProblemSet& set : ProblemSets()) {
        sets_->addItem(QStringLiteral("%1年　%2").arg(set.year).arg(Q(set.description)), Q(set.id));
    }
    const int at = sets_->findData(Q(setId_));
    sets_->setCurrentIndex(std::max(at, 0));
}

void Notebook::ChooseSet(const std::string& setId) {
    const int at = sets_->findData(Q(setId));
    if (at < 0) {
        return;
    }
    sets_->setCurrentIndex(at);
    setId_ = setId;
    index_ = 0;
    if (!setId.empty()) {
        LoadProblems();
        return;
    }
    // The board may have been cleared since the list was filled.
    const std::optional<WorkingInput> calculation =
        BoardCalculation(main_.model(), main_.model().settings.POINTMAX);
    if (!calculation) {
        return;
    }
    Problem problem;
    problem.input = *calculation;
    problem.typed = TypedExpression(problem.input);
    SetProblem(problem);
}

void Notebook::SetSeed(std::uint64_t seed) {
    seed_->setValue(static_cast<int>(std::min<std::uint64_t>(seed, 999999)));
}

void Notebook::LoadProblems() {
    problems_ = MakeProblems(setId_, static_cast<std::uint64_t>(seed_->value()));
    if (problems_.empty()) {
        return;
    }
    index_ = std::clamp(index_, 0, static_cast<int>(problems_.size()) - 1);
    SetProblem(problems_[static_cast<size_t>(index_)]);
}

void Notebook::NextProblem() {
    if (!setId_.empty() && !problems_.empty()) {
        index_ = (index_ + 1) % static_cast<int>(problems_.size());
        SetProblem(problems_[static_cast<size_t>(index_)]);
    }
}

void Notebook::PreviousProblem() {
    if (!setId_.empty() && !problems_.empty()) {
        const int n = static_cast<int>(problems_.size());
        index_ = (index_ + n - 1) % n;
        SetProblem(problems_[static_cast<size_t>(index_)]);
    }
}

void Notebook::SetProblem(const Problem& problem) {
    problem_ = problem;
    paper_->SetWork(nullptr);
    work_.reset();
    hint_.reset();
    wrongWritten_ = recorded_ = checked_ = false;
    const QString where = setId_.empty() ? QStringLiteral("黒板の式　")
                                         : QStringLiteral("もんだい %1／%2　")
                                               .arg(index_ + 1)
                                               .arg(static_cast<int>(problems_.size()));
    problemLabel_->setText(where + Shown(problem));
    auto working = BuildWorking(problem.input);
    if (!working) {
        cursor_.reset();
        Say(QStringLiteral("この式は ノートに 書けません。"), "この式は ノートに 書けません。");
        return;
    }
    work_.emplace(std::move(*working));
    paper_->SetWork(&*work_);
    Start();
}

// The cursor where the school method starts: the first cell she must write.
void Notebook::Start() {
    cursor_.reset();
    for (const CellRef& ref : work_->order()) {
        if (!work_->Optional(ref)) {
            cursor_ = ref;
            break;
        }
    }
    paper_->SetCursor(cursor_);
    const char op = problem_.input.op;
    const std::string start = op == '/'   ? "商が たつ ところから はじめよう。"
                              : op == '*' ? "かける数の 右の はしから かけよう。"
                                          : "一のくらいから 計算しよう。";
    message_->setText(Q(start));
}

void Notebook::MoveTo(std::optional<CellRef> ref) {
    if (ref && work_ && work_->Writes(*ref)) {
        cursor_ = ref;
        paper_->SetCursor(cursor_);
        scroll_->ensureVisible(paper_->CellRect(*ref).center().x(),
                               paper_->CellRect(*ref).center().y(), S, S);
    }
}

void Notebook::Advance(bool forward) {
    if (!work_ || !cursor_) {
        return;
    }
    const std::vector<CellRef>& order = work_->order();
    const auto at = std::find(order.begin(), order.end(), *cursor_);
    const size_t here = static_cast<size_t>(at - order.begin());
    if (!forward) {
        MoveTo(order[here > 0 ? here - 1 : 0]);
        return;
    }
    auto open = [this](const CellRef& ref) { return work_->MarkOf(ref) != ChildWork::Mark::Right; };
    for (size_t i = here + 1; i < order.size(); ++i) {
        if (open(order[i])) {
            MoveTo(order[i]);
            return;
        }
    }
    for (const CellRef& ref : order) {
        if (open(ref) && !work_->Optional(ref)) {
            MoveTo(ref);
            return;
        }
    }
}

void Notebook::OnKey(QKeyEvent* event) {
    if (!work_ || !cursor_) {
        return;
    }
    const int key = event->key();
    if (key >= Qt::Key_0 && key <= Qt::Key_9) {
        Type(static_cast<char>('0' + key - Qt::Key_0));
        return;
    }
    switch (key) {
        case Qt::Key_Period:
        case Qt::Key_Comma:
            Type('.');
            break;
        case Qt::Key_Left:
            MoveTo(paper_->Neighbour(*cursor_, -1, 0));
            break;
        case Qt::Key_Right:
            MoveTo(paper_->Neighbour(*cursor_, 1, 0));
            break;
        case Qt::Key_Up:
            MoveTo(paper_->Neighbour(*cursor_, 0, -1));
            break;
        case Qt::Key_Down:
            MoveTo(paper_->Neighbour(*cursor_, 0, 1));
            break;
        case Qt::Key_Tab:
            Advance(true);
            break;
        case Qt::Key_Backtab:
            Advance(false);
            break;
        case Qt::Key_Backspace:
            if (work_->Written(*cursor_) == 0) {
                Advance(false);
            }
            [[fallthrough]];
        case Qt::Key_Delete:
            work_->Erase(*cursor_);
            checked_ = checked_ && !work_->InAnswer(*cursor_);
            paper_->update();
            break;
        case Qt::Key_H:
            Hint();
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // She says she has finished, though cells of the answer are still empty.
            CheckFinished(true);
            break;
        default:
            break;
    }
}

void Notebook::Type(char text) {
    CellRef ref = *cursor_;
    if (text == '.' && !ref.point) {
        // A point typed on a digit goes to the point of her row nearest to it.
        std::optional<CellRef> nearest;
        for (const CellRef& each : work_->order()) {
            if (each.point && each.row == ref.row &&
                (!nearest ||
                 std::abs(each.column - ref.column) < std::abs(nearest->column - ref.column))) {
                nearest = each;
            }
        }
        if (!nearest) {
            return;
        }
        ref = *nearest;
    }
    if (!work_->Write(ref, text)) {
        return;
    }
    if (work_->InAnswer(ref)) {
        checked_ = false;
    }
    if (work_->MarkOf(ref) == ChildWork::Mark::Wrong) {
        wrongWritten_ = true;
        const std::string look = work_->LookAgain(ref);
        Say(Q(look), look);
    }
    paper_->update();
    cursor_ = ref;
    Advance(true);
    CheckFinished();
}

void Notebook::CheckFinished(bool asked) {
    if (!work_ || checked_ || !(work_->AnswerComplete() || (asked && work_->AnswerBegun()))) {
        return;
    }
    checked_ = true;
    if (work_->AnswerRight()) {
        Say(QStringLiteral("よくできました！ 答えは あっているよ。"),
            "よくできました。答えは、あっているよ。");
        Record({});
        return;
    }
    AnswerCheck check;
    if (const auto answer = ParseChildAnswer(work_->AnswerText())) {
        check = CheckAnswer(problem_.input, work_->working(), *answer);
    }
    QString shown;
    std::string spoken;
    std::vector<MistakeKind> kinds;
    // The most likely one only: several that write the same answer often share their example,
    // and one named mistake is what a child can take in (and what the record counts).
    if (!check.mistakes.empty()) {
        const NamedMistake& mistake = check.mistakes.front();
        kinds.push_back(mistake.kind);
        shown =
            Q(mistake.sentence) + QStringLiteral("\n　") + Q(mistake.example) + QLatin1Char('\n');
        spoken = mistake.sentence;
    }
    if (kinds.empty()) {
        const auto wrong = work_->FirstWrong();
        const std::string look = wrong ? work_->LookAgain(*wrong) : check.hint;
        MoveTo(wrong);
        shown = Q(look) + QLatin1Char('\n');
        spoken = look;
        if (wrong && !check.hint.empty()) {
            shown += Q(check.hint) + QLatin1Char('\n');
        }
    }
    shown += QStringLiteral("「もう一度」で 書きなおすか、「つぎの問題」へ すすもう。");
    Say(shown, spoken);
    Record(kinds);
}

void Notebook::Record(const std::vector<MistakeKind>& mistakes) {
    if (recorded_) {
        return;
    }
    recorded_ = true;
    progress();
    Attempt attempt;
    attempt.date = QDate::currentDate().toString(Qt::ISODate).toStdString();
    attempt.setId = setId_;
    attempt.typed = problem_.typed;
    attempt.rightFirstTime = mistakes.empty() && !wrongWritten_ && work_->AnswerRight();
    attempt.mistakes = mistakes;
    progress_->attempts.push_back(attempt);
    if (!SaveProgress(progressPath_, *progress_)) {
        main_.ShowMessage("学習の記録を保存できませんでした。\n" + progressPath_, "ご注意！",
                          MessageIcon::Exclamation);
    }
}

void Notebook::Again() {
    if (!work_) {
        return;
    }
    // The same problem again; its attempt is already in the record.
    work_->EraseAll();
    hint_.reset();
    checked_ = false;
    paper_->SetMarks({});
    Start();
}

void Notebook::Hint() {
    if (!work_ || work_->working().steps.empty()) {
        return;
    }
    const size_t step = work_->HintStep(hint_);
    hint_ = step;
    const Step& s = work_->working().steps[step];
    paper_->SetMarks(work_->StepCells(step));
    for (const CellRef& ref : s.writes) {
        if (work_->Writes(ref) && work_->MarkOf(ref) != ChildWork::Mark::Right) {
            MoveTo(ref);
            break;
        }
    }
    const std::string sentence = ExplainStep(work_->working(), s);
    Say(Q(sentence), sentence);
}

bool Notebook::Heard(const Recognition& recognition) {
    if (!isVisible()) {
        return false;
    }
    for (const char* spelling : {"ヒント", "ひんと"}) {
        if (recognition.text.find(spelling) != std::string::npos) {
            Hint();
            return true;
        }
    }
    return false;
}

void Notebook::ShowRecord() {
    auto* view = new ProgressView(progress(), this);
    view->setAttribute(Qt::WA_DeleteOnClose);
    view->show();
}

void Notebook::Say(const QString& shown, const std::string& spoken) {
    message_->setText(shown);
    if (!spoken.empty()) {
        main_.model().SpeakText(spoken, 0);
    }
}

void Notebook::closeEvent(QCloseEvent* event) {
    if (progress_ && !progress_->attempts.empty() && !SaveProgress(progressPath_, *progress_)) {
        main_.ShowMessage("学習の記録を保存できませんでした。\n" + progressPath_, "ご注意！",
                          MessageIcon::Exclamation);
    }
    event->accept();
}

}  // namespace kazu
