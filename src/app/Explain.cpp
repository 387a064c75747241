#include "app/Explain.h"

#include <QImage>
#include <QPainter>
#include <iostream>
#include <optional>

#include "app/BoardView.h"
#include "app/ExplanationWalk.h"
#include "app/QtCanvas.h"
#include "app/RenderHost.h"
#include "core/RecordingCanvas.h"
#include "core/working/BoardExplanation.h"
#include "core/working/Working.h"

namespace kazu {

const char* const kExplainUsage =
    "usage: kazuchan --explain EXPR [--places N] [--out FILE.png --step N [--scheme 0|1]]\n";

namespace {

struct ExplainOptions {
    QString expression;
    int places = AppSettings{}.POINTMAX;
    QString out;  // the board with one step marked, instead of the steps in words
    int step = 0;
    int scheme = AppSettings{}.DSP_CL_TYPE;
};

std::optional<QString> Parse(const QStringList& args, ExplainOptions& options) {
    if (args.isEmpty() || args.front().startsWith(QLatin1String("--"))) {
        return QStringLiteral("the expression is missing");
    }
    options.expression = args.front();
    for (qsizetype i = 1; i < args.size(); i += 2) {
        const QString& name = args[i];
        if (i + 1 >= args.size()) {
            return name + QStringLiteral(" needs a value");
        }
        const QString& value = args[i + 1];
        bool ok = false;
        const int number = value.toInt(&ok);
        if (name == QLatin1String("--places")) {
            if (!ok || number < 0 || number > 10) {
                return QStringLiteral("--places takes a number from 0 to 10");
            }
            options.places = number;
        } else if (name == QLatin1String("--step")) {
            if (!ok || number < 1) {
                return QStringLiteral("--step takes a step number from 1");
            }
            options.step = number;
        } else if (name == QLatin1String("--scheme")) {
            if (!ok || number < 0 || number > 1) {
                return QStringLiteral("--scheme takes 0 or 1");
            }
            options.scheme = number;
        } else if (name == QLatin1String("--out")) {
            if (!value.endsWith(QLatin1String(".png"), Qt::CaseInsensitive)) {
                return QStringLiteral("--out takes a .png file");
            }
            options.out = value;
        } else {
            return QStringLiteral("unknown option ") + name;
        }
    }
    if (options.out.isEmpty() != (options.step == 0)) {
        return QStringLiteral("--out and --step go together");
    }
    return std::nullopt;
}

// The board as the window draws it, with the given step's cells marked; false when it cannot
// be written. The board starts at the picture's top: no speech panel above it.
bool WriteMarkedBoard(Kokuban& model, BoardCanvas& canvas, const ExplainOptions& options) {
    const auto explanation = ExplainBoard(model);
    if (!explanation || options.step > static_cast<int>(explanation->sentences.size())) {
        std::cerr << "kazuchan: the calculation has "
                  << (explanation ? explanation->sentences.size() : 0) << " steps\n";
        return false;
    }
    // As large as --render makes it: what was drawn with a cell and a row of board around it.
    const BoardLayout& l = model.board.layout;
    const QRect content = canvas.content();
    QImage image(std::max(804, content.right() + l.cellWidth),
                 std::max(4 * l.textHeight, content.bottom() + l.rowHeight), QImage::Format_RGB32);
    image.fill(QColor::fromRgb(QRgb(canvas.background())));
    QPainter painter(&image);
    painter.drawImage(0, 0, canvas.image());
    PaintMarks(painter, StepMarks(*explanation, static_cast<size_t>(options.step - 1)));
    painter.end();
    if (!image.save(options.out)) {
        std::cerr << "kazuchan: cannot write " << options.out.toStdString() << "\n";
        return false;
    }
    return true;
}

}  // namespace

int RunExplain(const QStringList& arguments) {
    ExplainOptions options;
    if (const auto error = Parse(arguments, options)) {
        std::cerr << "kazuchan: " << error->toStdString() << "\n" << kExplainUsage;
        return 2;
    }
    // The same key path as --render, so the same refusals with the same messages.
    AppSettings settings = QuietBoardSettings(options.places);
    settings.DSP_CL_TYPE = options.scheme;
    RenderHost host(true);
    Kokuban model(host, host, settings);
    // The window's canvas, with the window's fonts, when a picture is asked for.
    std::optional<BoardCanvas> board;
    MetricsCanvas metrics;
    Canvas* inner = &metrics;
    if (!options.out.isEmpty()) {
        InstallFontSubstitutions();
        board.emplace();
        board->SetBackground(SchemeColours(options.scheme).background);
        board->SetViewSize(QSize(804, 400));
        model.SetClientSize(804, 400);
        inner = &*board;
    }
    RecordingCanvas recorder(*inner);
    RecordingPacer pacer(recorder.log());
    model.SetPacer(&pacer);
    model.Start(recorder, 96);
    TypeKeys(model, options.expression);
    if (!Calculated(model)) {
        ReportUnfinished(host, options.expression);
        return 1;
    }
    if (board) {
        return WriteMarkedBoard(model, *board, options) ? 0 : 2;
    }
    const auto working = BuildWorking(*BoardCalculation(model, options.places));
    if (!working) {
        return 1;
    }
    int n = 0;
    for (const Step& step : working->steps) {
        std::cout << "step " << ++n << " " << StepKindName(step.kind) << " "
                  << QuotedText(ExplainStep(*working, step)) << "\n";
    }
    std::cout.flush();
    return 0;
}

}  // namespace kazu
