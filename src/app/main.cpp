// 数ちゃん: the blackboard window, or `--render` without one.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTranslator>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <span>
#include <string_view>

#include "app/Check.h"
#include "app/Explain.h"
#include "app/FirstFrame.h"
#include "app/Hear.h"
#include "app/Kokuban_v24.h"
#include "app/Paths.h"
#include "app/QtCanvas.h"
#include "app/Render.h"
#include "app/Say.h"
#include "app/SingleInstance.h"
#include "app/WorksheetCommand.h"
#include "core/Leftovers.h"
#include "speech/JuliusGrammarCache.h"
#include "speech/JuliusRecognizer.h"
#include "speech/OpenJTalkVoice.h"

namespace {

bool HasDisplay() {
    return std::getenv("DISPLAY") != nullptr || std::getenv("WAYLAND_DISPLAY") != nullptr ||
           std::getenv("QT_QPA_PLATFORM") != nullptr;
}

// The Qt application a mode of the command line needs: kGui and kWidgets draw (offscreen, no
// window is shown), kCore draws nothing.
enum class Toolkit { kCore, kGui, kWidgets };

// A mode of the command line: one line in --help, then its own usage.
struct Mode {
    const char* synopsis;  // "--render EXPR": the option, then what it takes
    const char* summary;
    const char* usage;
    Toolkit toolkit;
    int (*run)(const QStringList& arguments);
};

std::span<const Mode> Modes() {
    static const Mode modes[] = {
        {"--render EXPR",
         "draw a calculation's board as a picture, a printed page or drawing calls",
         kazu::kRenderUsage, Toolkit::kWidgets, kazu::RunRender},  // the example is a widget
        {"--explain EXPR", "the steps of a calculation in words, or one step marked on the board",
         kazu::kExplainUsage, Toolkit::kGui, kazu::RunExplain},
        {"--check EXPR", "a child's answer checked, the mistakes it fits named", kazu::kCheckUsage,
         Toolkit::kCore, kazu::RunCheck},
        {"--problems SET", "a school year's practice problems, as typed", kazu::kProblemsUsage,
         Toolkit::kCore, kazu::RunProblems},
        {"--worksheet SET", "a practice sheet with its answer key, as a PDF file",
         kazu::kWorksheetUsage, Toolkit::kGui, kazu::RunWorksheet},
        {"--say TEXT", "the voice as a WAV file, or its mouth shapes", kazu::kSayUsage,
         Toolkit::kCore, kazu::RunSay},
        {"--hear FILE.wav", "what voice input hears in a recording", kazu::kHearUsage,
         Toolkit::kGui, kazu::RunHear},
    };
    return modes;
}

std::string_view OptionOf(const Mode& mode) {
    const std::string_view synopsis = mode.synopsis;
    return synopsis.substr(0, synopsis.find(' '));
}

void PrintUsageLine(std::FILE* stream) {
    std::fprintf(stream, "usage: kazuchan [");
    for (const Mode& mode : Modes()) {
        std::fprintf(stream, "%.*s | ", static_cast<int>(OptionOf(mode).size()),
                     OptionOf(mode).data());
    }
    std::fprintf(stream, "--help | --version] [ARGUMENTS]\n");
}

void PrintHelp() {
    PrintUsageLine(stdout);
    std::printf("数ちゃん %s: column arithmetic (筆算) on a blackboard, for children.\n\nmodes:\n",
                KAZU_VERSION);
    // At least two blanks between the two: the manual page is made from this list.
    const auto line = [](const char* synopsis, const char* summary) {
        std::printf("  %-17s  %s\n", synopsis, summary);
    };
    line("(none)", "open the blackboard window");
    for (const Mode& mode : Modes()) {
        line(mode.synopsis, mode.summary);
    }
    line("--help", "this list");
    line("--version", "the version");
    std::printf("\narguments of each mode:\n");
    for (const Mode& mode : Modes()) {
        std::printf("%s", mode.usage);
    }
}

int RunMode(const Mode& mode, int& argc, char** argv) {
    if (mode.toolkit != Toolkit::kCore && std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    std::unique_ptr<QCoreApplication> app;
    switch (mode.toolkit) {
        case Toolkit::kCore:
            app = std::make_unique<QCoreApplication>(argc, argv);
            break;
        case Toolkit::kGui:
            app = std::make_unique<QGuiApplication>(argc, argv);
            break;
        case Toolkit::kWidgets:
            app = std::make_unique<QApplication>(argc, argv);
            break;
    }
    return mode.run(QCoreApplication::arguments().mid(2));
}

// kazuchan with arguments: a mode of the command line, never the window.
int RunCommandLine(int& argc, char** argv) {
    const std::string_view option = argv[1];
    if (option == "--help" || option == "-h" || option == "--version") {
        if (argc > 2) {
            std::fprintf(stderr, "kazuchan: %s takes no arguments\n", argv[1]);
            PrintUsageLine(stderr);
            return 2;
        }
        if (option == "--version") {
            std::printf("kazuchan %s\n", KAZU_VERSION);
        } else {
            PrintHelp();
        }
        return 0;
    }
    for (const Mode& mode : Modes()) {
        if (option == OptionOf(mode)) {
            return RunMode(mode, argc, argv);
        }
    }
    std::fprintf(stderr, "kazuchan: unknown argument %s\n", argv[1]);
    PrintUsageLine(stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1) {
        return RunCommandLine(argc, argv);
    }
    if (!HasDisplay()) {
        std::fprintf(
            stderr,
            "kazuchan: 画面（ディスプレイ）が見つかりません。デスクトップの中で起動してください。\n"
            "kazuchan: no display found (DISPLAY is not set). Start it from a desktop "
            "session, or under Xvfb: xvfb-run -a kazuchan\n");
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kazuchan"));
    // Not the display name: Qt would append it to every caption, which are exact texts.
    QGuiApplication::setDesktopFileName(QStringLiteral("kazuchan"));
    QTranslator qtJapanese;
    if (qtJapanese.load(QStringLiteral("qtbase_ja"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&qtJapanese);
    }
    kazu::InstallFontSubstitutions();
    QApplication::setFont(QFont(QStringLiteral("IPAPGothic"), 9));

    kazu::SingleInstance instance(QStringLiteral("KAZUCHAN_V24"));
    if (!instance.Claim()) {
        QMessageBox::information(nullptr, QString(),
                                 QStringLiteral("Kazuchan_V24 はすでに起動しています。"));
        return 1;
    }
    // The recogniser folders that killed or crashed runs left behind.
    kazu::RemoveLeftovers(QDir::tempPath().toStdString(), kazu::kWorkFolderPrefix);
    auto store = std::make_unique<kazu::SettingsStore>(kazu::SettingsFolder().toStdString(),
                                                       kazu::UserConfigFolder().toStdString());
    // The voice loads on its own thread once the board is up (it would take the other core
    // from the first frame); its list is filled once it has.
    auto voice = std::make_unique<kazu::OpenJTalkVoice>(
        kazu::OpenJTalkPaths::Installed(), nullptr, kazu::OpenJTalkVoice::LoadStart::kOnRequest);
    kazu::OpenJTalkVoice* loading = voice.get();
    kazu::TKokubanForm form(std::move(store), std::move(voice));
    QObject::connect(loading, &kazu::OpenJTalkVoice::loaded, &form,
                     [&form] { form.FillVoiceList(); });
    QObject::connect(&instance, &kazu::SingleInstance::anotherStartAttempted, &form, [&form] {
        form.showNormal();
        form.raise();
        form.activateWindow();
    });
    form.show();
    // The grammars are compiled (or found compiled) off the window's thread once the window is
    // up; the recogniser joins the window when they are ready.
    const char* const grammar = "KAZUGrammar.xml";
    auto listening = kazu::JuliusRecognizer::Config::Installed(kazu::ProgramFolder());
    // Looked up in the current folder first, then among the program's data.
    listening.locate = [](const QString& name) {
        return QFile::exists(name) ? name : kazu::FindDataFile(name);
    };
    listening.cacheFolder = kazu::UserGrammarCacheFolder();
    listening.learnedMeansFolder =
        QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
        QStringLiteral("/kazuchan/means");
    auto recognizer = std::make_unique<kazu::JuliusRecognizer>(listening);
    QObject::connect(loading, &kazu::OpenJTalkVoice::speakingChanged, recognizer.get(),
                     &kazu::JuliusRecognizer::SetOwnVoiceSounding);
    QObject::connect(
        recognizer.get(), &kazu::JuliusRecognizer::prepared, &form,
        [&] { form.SetRecognizer(std::move(recognizer), grammar); }, Qt::SingleShotConnection);
    form.VoiceInputPreparing();
    kazu::AfterFirstPaint(form.boardView(), [&] {
        loading->StartLoading();
        recognizer->Prepare(grammar);
    });
    app.exec();
    return 0;
}
