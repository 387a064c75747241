#include "app/Render.h"

#include <QFile>
#include <QImage>
#include <QPdfWriter>
#include <cstdio>
#include <iostream>
#include <map>
#include <optional>

#include "app/Bunex.h"
#include "app/Paths.h"
#include "app/QtCanvas.h"
#include "app/RenderHost.h"
#include "core/Kokuban_v24/Kokuban.h"
#include "core/RecordingCanvas.h"
#include "core/Settings.h"

namespace kazu {

const char* const kRenderUsage =
    "usage: kazuchan --render EXPR [--out FILE.png|FILE.pdf] [--dump]\n"
    "       [--settings FILE] [--places N] [--scheme 0|1] [--font NAME] [--font-size N]\n"
    "       [--line-break 0|1] [--carries 0|1] [--borrows 0|1] [--labels 0|1]\n"
    "       [--guide 0|1] [--speed N] [--panel 0|1]\n"
    "       [--example [--patterns FILE]]   the word-problem example window instead\n";

namespace {

struct RenderOptions {
    QString expression;
    QString out;
    bool dump = false;
    AppSettings settings;
    int labels = 0;
    int guide = 0;
    bool example = false;
    QString patterns;
};

std::optional<int> IntValue(const QString& text, int low, int high) {
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

// Parses the arguments after --render; an error text on failure.
std::optional<QString> Parse(const QStringList& args, RenderOptions& options) {
    if (args.isEmpty() || args.front().startsWith(QLatin1String("--"))) {
        return QStringLiteral("the expression is missing");
    }
    options.expression = args.front();
    // Options that set one integer field, with their ranges.
    struct IntOption {
        int32_t* field;
        int low, high;
    };
    AppSettings& s = options.settings;
    const std::map<QString, IntOption> ints = {
        {QStringLiteral("--places"), {&s.POINTMAX, 0, 10}},
        {QStringLiteral("--scheme"), {&s.DSP_CL_TYPE, 0, 1}},
        {QStringLiteral("--font-size"), {&s.FONTSIZE, 5, 400}},
        {QStringLiteral("--line-break"), {&s.KAIGYO_FLAG, 0, 1}},
        {QStringLiteral("--carries"), {&s.KURIAGARI, 0, 1}},
        {QStringLiteral("--borrows"), {&s.KURISAGARI, 0, 1}},
        {QStringLiteral("--speed"), {&s.ENZANSPEED, 0, 100}},
        {QStringLiteral("--panel"), {&s.SP_PANELSHOW, 0, 1}},
        {QStringLiteral("--labels"), {&options.labels, 0, 1}},
        {QStringLiteral("--guide"), {&options.guide, 0, 1}},
    };
    // --settings is read first wherever it stands, so the other options override it.
    const qsizetype at = args.indexOf(QStringLiteral("--settings"));
    if (at > 0) {
        if (at + 1 >= args.size()) {
            return QStringLiteral("--settings needs a file");
        }
        QFile file(args[at + 1]);
        if (!file.open(QIODevice::ReadOnly)) {
            return QStringLiteral("cannot read ") + args[at + 1];
        }
        const QByteArray bytes = file.readAll();
        s = ParseSettings(std::string(bytes.constData(), size_t(bytes.size())));
    }
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& name = args[i];
        if (name == QLatin1String("--dump")) {
            options.dump = true;
            continue;
        }
        if (name == QLatin1String("--example")) {
            options.example = true;
            continue;
        }
        if (i + 1 >= args.size()) {
            return name + QStringLiteral(" needs a value");
        }
        const QString& value = args[++i];
        if (name == QLatin1String("--settings")) {
            continue;
        } else if (name == QLatin1String("--out")) {
            options.out = value;
        } else if (name == QLatin1String("--patterns")) {
            options.patterns = value;
        } else if (name == QLatin1String("--font")) {
            s.FONTNAME = value.toStdString();
        } else if (auto it = ints.find(name); it != ints.end()) {
            const auto number = IntValue(value, it->second.low, it->second.high);
            if (!number) {
                return name + QStringLiteral(" takes a number from ") +
                       QString::number(it->second.low) + QStringLiteral(" to ") +
                       QString::number(it->second.high);
            }
            *it->second.field = *number;
        } else {
            return QStringLiteral("unknown option ") + name;
        }
    }
    if (!options.patterns.isEmpty() && !options.example) {
        return QStringLiteral("--patterns belongs to --example");
    }
    if (!options.out.isEmpty() &&
        !options.out.endsWith(QLatin1String(".png"), Qt::CaseInsensitive) &&
        !options.out.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive)) {
        return QStringLiteral("--out takes a .png or .pdf file");
    }
    return std::nullopt;
}

struct Drawn {
    bool calculated = false;
    QRect bounds;
    BoardLayout layout;
    std::string result;
    std::vector<std::string> log;
};

std::string MetricsLine(const BoardLayout& l) {
    return "metrics fontSize=" + std::to_string(l.fontSize) +
           " halfSize=" + std::to_string(l.halfSize) +
           " digitWidth=" + std::to_string(l.digitWidth) +
           " textHeight=" + std::to_string(l.textHeight) +
           " cellWidth=" + std::to_string(l.cellWidth) +
           " rowHeight=" + std::to_string(l.rowHeight) + " originX=" + std::to_string(l.originX) +
           " originY=" + std::to_string(l.originY);
}

void TypeExpression(const RenderOptions& options, Kokuban& model) {
    model.board.layout.labelsShown = options.labels;
    model.board.layout.guideShown = options.guide;
    TypeKeys(model, options.expression);
}

// Types the expression into a fresh board that draws on `device`.
Drawn Draw(const RenderOptions& options, QPaintDevice* device, QSize client, bool echo) {
    RenderHost host(echo);
    Kokuban model(host, host, options.settings);
    QtCanvas qtCanvas(device);
    qtCanvas.SetBackground(SchemeColours(options.settings.DSP_CL_TYPE).background);
    RecordingCanvas recorder(qtCanvas);
    RecordingPacer pacer(recorder.log());
    model.SetPacer(&pacer);
    model.SetClientSize(client.width(), client.height());
    model.Start(recorder, 96);
    TypeExpression(options, model);
    Drawn drawn;
    drawn.calculated = Calculated(model);
    if (!drawn.calculated && echo) {
        ReportUnfinished(host, options.expression);
    }
    drawn.bounds = qtCanvas.contentBounds();
    drawn.layout = model.board.layout;
    drawn.result = model.board.operands.result;
    drawn.log = std::move(recorder.log());
    drawn.log.insert(drawn.log.begin(), MetricsLine(drawn.layout));
    drawn.log.push_back("result " + QuotedText(drawn.result));
    return drawn;
}

// A printed page, as the print command makes it.
bool WritePdf(const RenderOptions& options, const QString& path) {
    if (QFile file(path); !file.open(QIODevice::WriteOnly)) {
        return false;
    }
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setResolution(300);
    writer.setTitle(options.expression);
    RenderHost host(false);
    Kokuban model(host, host, options.settings);
    QImage scratch(1, 1, QImage::Format_RGB32);
    QtCanvas screen(&scratch);
    model.Start(screen, 96);
    model.board.setSpeed(0);
    TypeExpression(options, model);
    QtCanvas page(&writer, writer.resolution() / 96.0);
    model.PrintOn(page);
    page.End();
    return true;
}

// The example window for the finished calculation, as the "文" button opens it.
int RenderExample(const RenderOptions& options) {
    if (options.out.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive)) {
        std::cerr << "kazuchan: the example window is written as a .png picture\n";
        return 2;
    }
    RenderHost host(true);
    Kokuban model(host, host, options.settings);
    QImage board(902, 567, QImage::Format_RGB32);
    QtCanvas boardCanvas(&board);
    model.SetClientSize(board.width(), board.height());
    model.Start(boardCanvas, 96);
    model.board.setSpeed(0);
    TypeExpression(options, model);
    const bool calculated = Calculated(model);
    model.LoadExamples((options.patterns.isEmpty()
                            ? FindDataFile(QString::fromUtf8(kPatternFileName))
                            : options.patterns)
                           .toStdString());
    // The switch as the button turns it; the window is drawn here once, never shown.
    model.SpeedButton3Click();
    if (!calculated) {
        ReportUnfinished(host, options.expression);
    }
    if (!calculated || !model.example.on) {
        return 1;
    }
    TSenExForm window(model, nullptr, {}, {});
    window.LoadPicture(FindDataFile(QStringLiteral("bunex.jpg")));
    std::vector<std::string> log;
    window.Redraw(&log);
    if (options.dump) {
        for (const auto& line : log) {
            std::cout << line << "\n";
        }
        std::cout << "result " << QuotedText(model.board.operands.result) << "\n";
        std::cout.flush();
    }
    if (!options.out.isEmpty() && !window.grab().save(options.out)) {
        std::cerr << "kazuchan: cannot write " << options.out.toStdString() << "\n";
        return 2;
    }
    return 0;
}

}  // namespace

int RunRender(const QStringList& arguments) {
    RenderOptions options;
    if (const auto error = Parse(arguments, options)) {
        std::cerr << "kazuchan: " << error->toStdString() << "\n" << kRenderUsage;
        return 2;
    }
    InstallFontSubstitutions();
    if (options.example) {
        return RenderExample(options);
    }
    // A first, silent pass on a picture too small to keep anything finds the board's size.
    QImage probe(1, 1, QImage::Format_RGB32);
    const Drawn measured = Draw(options, &probe, QSize(20000, 20000), false);
    const BoardLayout& l = measured.layout;
    const int panel = options.settings.SP_PANELSHOW == 1 ? Kokuban::kSpeechPanelHeight : 0;
    const QSize client(std::max(804, measured.bounds.right() + l.cellWidth),
                       std::max(panel + 4 * l.textHeight, measured.bounds.bottom() + l.rowHeight));
    QImage image(client, QImage::Format_RGB32);
    const Drawn drawn = Draw(options, &image, client, true);
    if (options.dump) {
        for (const auto& line : drawn.log) {
            std::cout << line << "\n";
        }
        std::cout.flush();
    }
    if (options.out.endsWith(QLatin1String(".png"), Qt::CaseInsensitive)) {
        // The speech panel covers the top of the window's board; the picture starts below it.
        if (!image.copy(0, panel, client.width(), client.height() - panel).save(options.out)) {
            std::cerr << "kazuchan: cannot write " << options.out.toStdString() << "\n";
            return 2;
        }
    } else if (!options.out.isEmpty() && !WritePdf(options, options.out)) {
        std::cerr << "kazuchan: cannot write " << options.out.toStdString() << "\n";
        return 2;
    }
    return drawn.calculated ? 0 : 1;
}

}  // namespace kazu
