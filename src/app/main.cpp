// 数ちゃん: the blackboard window, or `--render` without one.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QTranslator>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/Explain.h"
#include "app/FirstFrame.h"
#include "app/Hear.h"
#include "app/Kokuban_v24.h"
#include "app/Paths.h"
#include "app/QtCanvas.h"
#include "app/Render.h"
#include "app/Say.h"
#include "app/SingleInstance.h"
#include "core/Leftovers.h"
#include "speech/JuliusGrammarCache.h"
#include "speech/JuliusRecognizer.h"
#include "speech/OpenJTalkVoice.h"

namespace {

bool HasDisplay() {
    return std::getenv("DISPLAY") != nullptr || std::getenv("WAYLAND_DISPLAY") != nullptr ||
           std::getenv("QT_QPA_PLATFORM") != nullptr;
}

bool IsRender(int argc, char** argv) {
    return argc > 1 && std::strcmp(argv[1], "--render") == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::printf("usage: kazuchan            open the blackboard window\n%s%s%s%s",
                    kazu::kRenderUsage, kazu::kExplainUsage, kazu::kSayUsage, kazu::kHearUsage);
        return 0;
    }
    if (IsRender(argc, argv)) {
        if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
            setenv("QT_QPA_PLATFORM", "offscreen", 1);  // no window is ever shown
        }
        // The example window is a widget, drawn without being shown.
        QApplication app(argc, argv);
        return kazu::RunRender(QCoreApplication::arguments().mid(2));
    }
    if (argc > 1 && std::strcmp(argv[1], "--explain") == 0) {
        if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
            setenv("QT_QPA_PLATFORM", "offscreen", 1);  // --out draws the board, never shown
        }
        QGuiApplication app(argc, argv);
        return kazu::RunExplain(QCoreApplication::arguments().mid(2));
    }
    if (argc > 1 && std::strcmp(argv[1], "--hear") == 0) {
        if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
            setenv("QT_QPA_PLATFORM", "offscreen", 1);  // the board is drawn, never shown
        }
        QGuiApplication app(argc, argv);
        return kazu::RunHear(QCoreApplication::arguments().mid(2));
    }
    if (argc > 1 && std::strcmp(argv[1], "--say") == 0) {
        QCoreApplication app(argc, argv);
        return kazu::RunSay(QCoreApplication::arguments().mid(2));
    }
    if (argc > 1) {
        std::fprintf(stderr, "kazuchan: unknown argument %s\n%s", argv[1], kazu::kRenderUsage);
        return 2;
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
    auto store = std::make_unique<kazu::SettingsStore>(kazu::ProgramFolder().toStdString(),
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
    auto recognizer = std::make_unique<kazu::JuliusRecognizer>(listening);
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
