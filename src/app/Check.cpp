#include "app/Check.h"

#include <iostream>
#include <optional>

#include "app/RenderHost.h"
#include "core/practice/Mistakes.h"
#include "core/practice/ProblemSets.h"
#include "core/working/BoardExplanation.h"

namespace kazu {

const char* const kCheckUsage = "usage: kazuchan --check EXPR --answer TEXT [--places N]\n";
const char* const kProblemsUsage = "usage: kazuchan --problems SET|list [--seed S] [--count N]\n";

namespace {

// The options after the first argument, each with its value; an error text when one is wrong.
template <typename Apply>
std::optional<QString> ReadOptions(const QStringList& args, Apply apply) {
    for (qsizetype i = 1; i < args.size(); i += 2) {
        if (i + 1 >= args.size()) {
            return args[i] + QStringLiteral(" needs a value");
        }
        if (const auto error = apply(args[i], args[i + 1])) {
            return error;
        }
    }
    return std::nullopt;
}

struct CheckOptions {
    QString expression;
    std::optional<ChildAnswer> answer;
    int places = AppSettings{}.POINTMAX;
};

std::optional<QString> Parse(const QStringList& args, CheckOptions& options) {
    if (args.isEmpty() || args.front().startsWith(QLatin1String("--"))) {
        return QStringLiteral("the expression is missing");
    }
    options.expression = args.front();
    bool answered = false;
    const auto error =
        ReadOptions(args, [&](const QString& name, const QString& value) -> std::optional<QString> {
            if (name == QLatin1String("--answer")) {
                answered = true;
                options.answer = ParseChildAnswer(value.toStdString());
                if (!options.answer) {
                    return QStringLiteral(
                        "--answer takes a number, or a quotient and a "
                        "remainder (14あまり0.3, 14R0.3)");
                }
            } else if (name == QLatin1String("--places")) {
                bool ok = false;
                options.places = value.toInt(&ok);
                if (!ok || options.places < 0 || options.places > 10) {
                    return QStringLiteral("--places takes a number from 0 to 10");
                }
            } else {
                return QStringLiteral("unknown option ") + name;
            }
            return std::nullopt;
        });
    if (error) {
        return error;
    }
    if (!answered) {
        return QStringLiteral("--answer is missing");
    }
    return std::nullopt;
}

// The operands as the board holds them after the expression was typed; nothing when the
// board refused it (its messages are on standard error).
std::optional<WorkingInput> Typed(const QString& expression, int places) {
    const AppSettings settings = QuietBoardSettings(places);
    RenderHost host(true);
    Kokuban model(host, host, settings);
    MetricsCanvas canvas;
    model.Start(canvas, 96);
    TypeKeys(model, expression);
    if (!Calculated(model)) {
        ReportUnfinished(host, expression);
    }
    return BoardCalculation(model, places);
}

}  // namespace

int RunCheck(const QStringList& arguments) {
    CheckOptions options;
    if (const auto error = Parse(arguments, options)) {
        std::cerr << "kazuchan: " << error->toStdString() << "\n" << kCheckUsage;
        return 2;
    }
    const std::optional<WorkingInput> input = Typed(options.expression, options.places);
    const std::optional<Working> working = input ? BuildWorking(*input) : std::nullopt;
    if (!working) {
        return 1;
    }
    const AnswerCheck check = CheckAnswer(*input, *working, *options.answer);
    std::cout << (check.correct ? "correct" : "wrong") << "\n";
    for (const NamedMistake& m : check.mistakes) {
        std::cout << "mistake " << MistakeId(m.kind) << " " << QuotedText(m.sentence) << "\n";
    }
    if (!check.correct) {
        std::cout << "hint " << QuotedText(check.hint) << "\n";
    }
    std::cout.flush();
    return 0;
}

void PrintProblemSets() {
    for (const ProblemSet& s : ProblemSets()) {
        std::cout << s.id << " " << s.year << " " << QuotedText(s.description) << "\n";
    }
    std::cout.flush();
}

int RunProblems(const QStringList& arguments) {
    const auto usage = [](const QString& error) {
        std::cerr << "kazuchan: " << error.toStdString() << "\n" << kProblemsUsage;
        return 2;
    };
    if (arguments.isEmpty() || arguments.front().startsWith(QLatin1String("--"))) {
        return usage(QStringLiteral("the problem set is missing (--problems list names them)"));
    }
    const QString set = arguments.front();
    std::uint64_t seed = 0;
    int count = 10;
    const auto error = ReadOptions(
        arguments, [&](const QString& name, const QString& value) -> std::optional<QString> {
            bool ok = false;
            if (name == QLatin1String("--seed")) {
                seed = value.toULongLong(&ok);
                return ok ? std::nullopt
                          : std::optional(QStringLiteral("--seed takes a number from 0"));
            }
            if (name == QLatin1String("--count")) {
                count = value.toInt(&ok);
                return ok && count >= 1 && count <= 100
                           ? std::nullopt
                           : std::optional(QStringLiteral("--count takes a number from 1 to 100"));
            }
            return QStringLiteral("unknown option ") + name;
        });
    if (error) {
        return usage(*error);
    }
    if (set == QLatin1String("list")) {
        PrintProblemSets();
        return 0;
    }
    if (FindProblemSet(set.toStdString()) == nullptr) {
        return usage(QStringLiteral("unknown problem set ") + set +
                     QStringLiteral(" (--problems list names them)"));
    }
    for (const Problem& p : MakeProblems(set.toStdString(), seed, count)) {
        std::cout << p.typed << "\n";
    }
    std::cout.flush();
    return 0;
}

}  // namespace kazu
