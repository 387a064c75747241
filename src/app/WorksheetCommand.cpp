#include "app/WorksheetCommand.h"

#include <iostream>
#include <optional>

#include "app/Check.h"
#include "app/QtCanvas.h"
#include "app/WorksheetPages.h"
#include "core/RecordingCanvas.h"

namespace kazu {

const char* const kWorksheetUsage =
    "usage: kazuchan --worksheet SET|list [--count 6..20] [--seed S] [--title T] [--answers]\n"
    "       [--out FILE.pdf] [--dump]   --dump: problem N \"EXPR\" \"ANSWER\" lines\n";

namespace {

struct WorksheetOptions {
    QString set;
    int count = kWorksheetDefaultCount;
    std::uint64_t seed = 0;
    std::optional<QString> title;
    bool answers = false;
    bool dump = false;
    QString out;
};

std::optional<QString> Parse(const QStringList& args, WorksheetOptions& options) {
    if (args.isEmpty() || args.front().startsWith(QLatin1String("--"))) {
        return QStringLiteral("the problem set is missing (--worksheet list names them)");
    }
    options.set = args.front();
    if (options.set == QLatin1String("list")) {
        return args.size() == 1 ? std::nullopt
                                : std::optional(QStringLiteral("list takes no options"));
    }
    if (FindProblemSet(options.set.toStdString()) == nullptr) {
        return QStringLiteral("unknown problem set ") + options.set +
               QStringLiteral(" (--worksheet list names them)");
    }
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& name = args[i];
        if (name == QLatin1String("--answers")) {
            options.answers = true;
            continue;
        }
        if (name == QLatin1String("--dump")) {
            options.dump = true;
            continue;
        }
        if (i + 1 >= args.size()) {
            return name + QStringLiteral(" needs a value");
        }
        const QString& value = args[++i];
        bool ok = false;
        if (name == QLatin1String("--count")) {
            options.count = value.toInt(&ok);
            if (!ok || options.count < kWorksheetMinCount || options.count > kWorksheetMaxCount) {
                return QStringLiteral("--count takes a number from %1 to %2")
                    .arg(kWorksheetMinCount)
                    .arg(kWorksheetMaxCount);
            }
        } else if (name == QLatin1String("--seed")) {
            options.seed = value.toULongLong(&ok);
            if (!ok || options.seed > kWorksheetMaxSeed) {
                return QStringLiteral("--seed takes a number from 0 to %1").arg(kWorksheetMaxSeed);
            }
        } else if (name == QLatin1String("--title")) {
            options.title = value;
        } else if (name == QLatin1String("--out")) {
            if (!value.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive)) {
                return QStringLiteral("--out takes a .pdf file");
            }
            options.out = value;
        } else {
            return QStringLiteral("unknown option ") + name;
        }
    }
    if (options.out.isEmpty() && !options.dump) {
        return QStringLiteral("--out FILE.pdf or --dump is needed");
    }
    return std::nullopt;
}

}  // namespace

int RunWorksheet(const QStringList& arguments) {
    WorksheetOptions options;
    if (const auto error = Parse(arguments, options)) {
        std::cerr << "kazuchan: " << error->toStdString() << "\n" << kWorksheetUsage;
        return 2;
    }
    if (options.set == QLatin1String("list")) {
        PrintProblemSets();
        return 0;
    }
    InstallFontSubstitutions();
    Worksheet sheet = SheetForSet(options.set.toStdString(), options.seed, options.count);
    if (options.title) {
        sheet.title = *options.title;
    }
    sheet.answers = options.answers;
    if (options.dump) {
        int n = 0;
        for (const Problem& p : sheet.problems) {
            std::cout << "problem " << ++n << " " << QuotedText(p.typed) << " "
                      << QuotedText(ProblemAnswer(p)) << "\n";
        }
        std::cout.flush();
    }
    if (!options.out.isEmpty() && !WriteWorksheetPdf(options.out, sheet)) {
        std::cerr << "kazuchan: cannot write " << options.out.toStdString() << "\n";
        return 1;
    }
    return 0;
}

}  // namespace kazu
