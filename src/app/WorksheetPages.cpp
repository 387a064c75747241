#include "app/WorksheetPages.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QPicture>
#include <QStringList>
#include <algorithm>
#include <optional>

#include "app/QtCanvas.h"
#include "app/RenderHost.h"
#include "core/Board.h"
#include "core/practice/WeakSpots.h"
#include "core/working/Working.h"

namespace kazu {
namespace {

// The page, in millimetres.
constexpr double kPageWidth = 210, kPageHeight = 297;
constexpr double kMargin = 12;
constexpr double kHeader = 33;   // title; date, class and name; the small line
constexpr double kFooter = 7;    // the page number
constexpr double kGap = 4;       // between boxes
constexpr double kBoxHead = 14;  // the number and the expression, above the squares
constexpr double kInset = 3;

// A key's digits are drawn no larger than a sheet's, so a short sum does not fill its box.
constexpr double kKeyDigitHeight = 7.5;

struct Grid {
    int rows;       // boxes down a page; two across
    double square;  // the squares to work on
};

// Long division grows down by two rows for every quotient digit, a multiplication by one for
// every partial product; a sum needs its carries, the two numbers and the answer.
Grid GridFor(const std::vector<Problem>& problems) {
    const auto uses = [&problems](char op) {
        return std::any_of(problems.begin(), problems.end(),
                           [op](const Problem& p) { return p.input.op == op; });
    };
    if (uses('/')) {
        return {3, 7};
    }
    if (uses('*')) {
        return {3, 8};
    }
    return {4, 9};
}

QString Q(const std::string& text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// As the board writes the expression line: full-width digits and signs, a blank between.
QString ExpressionText(const Problem& problem) {
    QString text;
    for (const char ch : problem.typed) {
        const bool sign = ch == '+' || ch == '-' || ch == '*' || ch == '/' || ch == '=';
        text += sign ? QStringLiteral(" ") + Q(ToFullWidth(ch)) + QStringLiteral(" ")
                     : Q(ToFullWidth(ch));
    }
    return text.trimmed();
}

// ①..⑳ as a child's sheet numbers them; (21) and on in brackets.
QString Number(int index) {
    return index < 20 ? QString(QChar(0x2460 + index)) : QStringLiteral("(%1)").arg(index + 1);
}

// The board's printed drawing of one calculation, as the print command draws it, recorded to
// be laid into a box at any scale.
struct BoardPicture {
    QPicture picture;
    QRect bounds;
    int textHeight = 1;
};

std::optional<BoardPicture> DrawBoard(const Problem& problem, const std::string& fontName) {
    AppSettings settings = QuietBoardSettings(problem.input.places);
    settings.FONTNAME = fontName;
    settings.KAIGYO_FLAG = 0;
    RenderHost host(false);
    Kokuban model(host, host, settings);
    QImage scratch(1, 1, QImage::Format_RGB32);
    QtCanvas screen(&scratch);
    model.Start(screen, 96);
    model.board.setSpeed(0);
    TypeKeys(model, Q(problem.typed));
    if (!Calculated(model)) {
        return std::nullopt;
    }
    BoardPicture drawn;
    QtCanvas page(&drawn.picture);
    page.SetBackground(SchemeColours(1).background);
    model.PrintOn(page);
    drawn.textHeight = std::max(1, page.TextHeight("１"));
    page.End();
    drawn.bounds = page.contentBounds();
    return drawn;
}

class PagePainter {
  public:
    PagePainter(QPainter& painter, const Worksheet& sheet, int pages)
        : p_(painter),
          sheet_(sheet),
          pages_(pages),
          grid_(GridFor(sheet.problems)),
          dots_(painter.device()->logicalDpiX() / 25.4) {}

    void Page(int page, int first, bool key) {
        Header(key);
        const int perPage = 2 * grid_.rows;
        const double top = kMargin + kHeader, bottom = kPageHeight - kMargin - kFooter;
        const double width = (kPageWidth - 2 * kMargin - kGap) / 2;
        const double height = (bottom - top - (grid_.rows - 1) * kGap) / grid_.rows;
        for (int i = 0; i < perPage && first + i < static_cast<int>(sheet_.problems.size()); ++i) {
            // Down the left column first, as a child reads the sheet.
            const QRectF box(kMargin + (i / grid_.rows) * (width + kGap),
                             top + (i % grid_.rows) * (height + kGap), width, height);
            Box(box, first + i, key);
        }
        Text(QRectF(0, kPageHeight - kMargin - kFooter + 2, kPageWidth, kFooter - 2), 9,
             QStringLiteral("%1 / %2").arg(page + 1).arg(pages_), Qt::AlignCenter, Qt::gray);
    }

  private:
    QRectF Mm(const QRectF& r) const {
        return {r.x() * dots_, r.y() * dots_, r.width() * dots_, r.height() * dots_};
    }
    QPointF Mm(double x, double y) const { return {x * dots_, y * dots_}; }

    void Text(const QRectF& rect, double points, const QString& text, int align,
              QColor colour = Qt::black, bool bold = false, bool board = false) {
        QFont font = board ? BoardFont(sheet_.fontName, 10) : QFont(QStringLiteral("IPAPGothic"));
        font.setPointSizeF(points);
        font.setBold(bold);
        p_.setFont(font);
        p_.setPen(colour);
        p_.drawText(Mm(rect), align, text);
    }

    void Rule(double x1, double y1, double x2, double y2, double width, QColor colour) {
        QPen pen(colour);
        pen.setWidthF(width * dots_);
        p_.setPen(pen);
        p_.drawLine(Mm(x1, y1), Mm(x2, y2));
    }

    void Header(bool key) {
        const double inner = kPageWidth - 2 * kMargin;
        Text(QRectF(kMargin, kMargin, inner, 11), 18,
             key ? sheet_.title + QStringLiteral("　こたえ") : sheet_.title, Qt::AlignCenter,
             Qt::black, true);
        const double line = kMargin + 13, lineHeight = 8;
        const QString date =
            sheet_.date.isEmpty() ? QStringLiteral("　　　月　　　日") : sheet_.date;
        Text(QRectF(kMargin, line, 60, lineHeight), 12, date, Qt::AlignLeft | Qt::AlignBottom);
        // ＿＿くみ　なまえ＿＿＿＿: the lines to write on, right-aligned.
        const double nameLine = 58, classLine = 16, right = kPageWidth - kMargin;
        const double nameStart = right - nameLine, nameLabel = nameStart - 15;
        const double classLabel = nameLabel - 12, classStart = classLabel - classLine;
        Text(QRectF(nameLabel, line, 14, lineHeight), 12, QStringLiteral("なまえ"),
             Qt::AlignLeft | Qt::AlignBottom);
        Text(QRectF(classLabel, line, 11, lineHeight), 12, QStringLiteral("くみ"),
             Qt::AlignLeft | Qt::AlignBottom);
        Rule(nameStart, line + lineHeight, right, line + lineHeight, 0.3, Qt::black);
        Rule(classStart, line + lineHeight, classLabel - 1, line + lineHeight, 0.3, Qt::black);
        Text(QRectF(kMargin, line + lineHeight + 2, inner, 6), 9, sheet_.about,
             Qt::AlignLeft | Qt::AlignVCenter, Qt::darkGray);
        Rule(kMargin, kMargin + kHeader - 3, right, kMargin + kHeader - 3, 0.4, Qt::black);
    }

    void Box(const QRectF& box, int index, bool key) {
        QPen frame(Qt::black);
        frame.setWidthF(0.35 * dots_);
        p_.setPen(frame);
        p_.setBrush(Qt::NoBrush);
        p_.drawRoundedRect(Mm(box), 2 * dots_, 2 * dots_);
        Text(QRectF(box.x() + 2, box.y() + 1.5, 10, 10), 16, Number(index),
             Qt::AlignLeft | Qt::AlignTop);
        const Problem& problem = sheet_.problems[size_t(index)];
        if (key) {
            Working(box.adjusted(12, kInset, -kInset, -kInset), problem);
            return;
        }
        Text(QRectF(box.x() + 12, box.y() + 1.5, box.width() - 14, 10), 18, ExpressionText(problem),
             Qt::AlignLeft | Qt::AlignTop, Qt::black, false, true);
        Squares(box.adjusted(kInset, kBoxHead, -kInset, -kInset));
    }

    // 方眼: whole squares, centred in the space.
    void Squares(const QRectF& space) {
        const double s = grid_.square;
        const int across = static_cast<int>(space.width() / s);
        const int down = static_cast<int>(space.height() / s);
        const double x0 = space.x() + (space.width() - across * s) / 2;
        const double y0 = space.y();
        const QColor light(0xA8, 0xA8, 0xA8);
        for (int i = 0; i <= across; ++i) {
            Rule(x0 + i * s, y0, x0 + i * s, y0 + down * s, 0.15, light);
        }
        for (int j = 0; j <= down; ++j) {
            Rule(x0, y0 + j * s, x0 + across * s, y0 + j * s, 0.15, light);
        }
    }

    // The board's own drawing, scaled into the space and kept inside the box.
    void Working(const QRectF& space, const Problem& problem) {
        const std::optional<BoardPicture> board = DrawBoard(problem, sheet_.fontName);
        if (!board || board->bounds.isEmpty()) {
            Text(space, 12, QStringLiteral("この もんだいは 計算できません。"), Qt::AlignCenter);
            return;
        }
        const QRectF target = Mm(space);
        const double fit = std::min(target.width() / board->bounds.width(),
                                    target.height() / board->bounds.height());
        const double scale = std::min(fit, kKeyDigitHeight * dots_ / board->textHeight);
        p_.save();
        p_.setClipRect(target);
        p_.translate(target.topLeft());
        // A picture is played at the device's resolution: its pixels grow by the ratio.
        const double played =
            p_.device()->logicalDpiX() / static_cast<double>(board->picture.logicalDpiX());
        p_.scale(scale / played, scale / played);
        p_.translate(-QPointF(board->bounds.topLeft()) * played);
        p_.drawPicture(0, 0, board->picture);
        p_.restore();
    }

    QPainter& p_;
    const Worksheet& sheet_;
    int pages_;
    Grid grid_;
    double dots_;  // device pixels a millimetre
};

}  // namespace

Worksheet SheetForSet(const std::string& setId, std::uint64_t seed, int count) {
    Worksheet sheet;
    const ProblemSet* set = FindProblemSet(setId);
    if (set != nullptr) {
        sheet.title = Q(set->description);
    }
    sheet.about = QStringLiteral("%1　%2　シード %3").arg(sheet.title, Q(setId)).arg(seed);
    sheet.problems = MakeProblems(setId, seed, count);
    return sheet;
}

Worksheet SheetForWeakSpots(const std::string& child, const std::vector<std::string>& sets,
                            std::uint64_t seed, int count) {
    Worksheet sheet;
    sheet.title = QStringLiteral("にがてプリント");
    QStringList ids;
    for (const std::string& id : sets) {
        ids << Q(id);
    }
    sheet.about = QStringLiteral("苦手プリント（%1）　%2　シード %3")
                      .arg(child.empty() ? QStringLiteral("名前なし") : Q(child),
                           ids.join(QStringLiteral("・")))
                      .arg(seed);
    sheet.problems = MixedProblems(sets, seed, count);
    return sheet;
}

int ProblemsPerPage(const std::vector<Problem>& problems) {
    return 2 * GridFor(problems).rows;
}

int PageCount(const Worksheet& sheet) {
    const int perPage = ProblemsPerPage(sheet.problems);
    const int pages =
        std::max(1, (static_cast<int>(sheet.problems.size()) + perPage - 1) / perPage);
    return sheet.answers ? 2 * pages : pages;
}

bool PaintWorksheet(QPagedPaintDevice& device, const Worksheet& sheet) {
    device.setPageLayout(
        QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    QPainter painter;
    if (!painter.begin(&device)) {
        return false;
    }
    painter.setRenderHint(QPainter::Antialiasing, true);
    const int pages = PageCount(sheet);
    const int perPage = ProblemsPerPage(sheet.problems);
    const int sheetPages = sheet.answers ? pages / 2 : pages;
    PagePainter page(painter, sheet, pages);
    for (int i = 0; i < pages; ++i) {
        if (i > 0) {
            device.newPage();
        }
        page.Page(i, (i % sheetPages) * perPage, i >= sheetPages);
    }
    return painter.end();
}

bool WriteWorksheetPdf(const QString& path, const Worksheet& sheet) {
    // QPdfWriter says nothing when it cannot write: try the file first.
    if (QFile file(path); !file.open(QIODevice::WriteOnly)) {
        return false;
    }
    QPdfWriter writer(path);
    writer.setResolution(300);
    writer.setTitle(sheet.title);
    writer.setCreator(QStringLiteral("数ちゃん"));
    return PaintWorksheet(writer, sheet);
}

std::string ProblemAnswer(const Problem& problem) {
    const std::optional<Working> working = BuildWorking(problem.input);
    return working ? working->answer : std::string();
}

}  // namespace kazu
