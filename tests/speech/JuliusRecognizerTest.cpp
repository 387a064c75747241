// JuliusRecognizer around its process, with stand-in listen programs (shell scripts) that show
// what the recogniser sends and play back what kazuchan-listen would say or do.
#include "speech/JuliusRecognizer.h"

#include <signal.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <functional>

#include "SpeechTestSupport.h"
#include "speech/listen/ListenProtocol.h"
#include "speech/sound/SoundDevices.h"

namespace kazu {
namespace {

class RecordingListener : public RecognizerListener {
  public:
    void OnRecognition(const Recognition& recognition) override {
        recognitions.push_back(recognition);
    }
    void OnInputLevel(int level) override { levels.push_back(level); }
    void OnRecognizerLost(const std::string& reason) override { losses.push_back(reason); }
    std::vector<Recognition> recognitions;
    std::vector<int> levels;
    std::vector<std::string> losses;
};

// Runs the event loop until `done` or the time is up; whether it is done.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 10000) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < timeoutMs) {
        QEventLoop loop;
        QTimer::singleShot(10, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return done();
}

void Linger(int ms) {
    WaitUntil([] { return false; }, ms);
}

// The commands the tests load: phrase 0 クリア and 1 消して give 4, phrase 2 メニュー gives 6.
constexpr const char* kCommands =
    "<GRAMMAR><RULE NAME=\"Clear\"><PROPERTY NAME=\"chosencommand\">"
    "<PROPERTY NAME=\"commandvalue\" VAL=\"4\"/></PROPERTY>"
    "<P>クリア</P><P READING=\"けして\">消して</P></RULE>"
    "<RULE NAME=\"Command\"><PROPERTY NAME=\"chosencommand\">"
    "<PROPERTY NAME=\"commandvalue\" VAL=\"6\"/></PROPERTY><P>メニュー</P></RULE></GRAMMAR>";

class JuliusRecognizerTest : public ::testing::Test {
  protected:
    // An executable script standing in for kazuchan-listen; `dir` is its folder.
    QString FakeProgram(const std::string& name, const std::string& body) const {
        const std::string path = folder_.Write(name, "#!/bin/sh\ndir=$(dirname \"$0\")\n" + body);
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
        return QString::fromStdString(path);
    }
    JuliusRecognizer::Config Config(const QString& program) const {
        JuliusRecognizer::Config config;
        config.listenProgram = program;
        config.modelDir = QStringLiteral(KAZU_JULIUS_DIR "/model");
        config.locate = [](const QString& name) {
            return QFileInfo::exists(name) ? name : QString();
        };
        config.microphone = false;
        return config;
    }
    std::string Read(const std::string& name) const {
        std::ifstream file(folder_.path() + "/" + name, std::ios::binary);
        return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    }
    std::vector<std::string> Lines(const std::string& name) const {
        std::vector<std::string> lines;
        std::istringstream text(Read(name));
        for (std::string line; std::getline(text, line);) lines.push_back(line);
        return lines;
    }
    std::string CommandFile() const { return folder_.Write("commands.xml", kCommands); }

    ScratchFolder folder_;
    RecordingListener listener_;
};

// The frames one run of the program read, as "M calc" / "A 3200" and all audio bytes.
struct ReadFrames {
    std::vector<std::string> frames;
    std::string audio;
};
ReadFrames Split(std::string stream) {
    ReadFrames read;
    while (auto frame = listen::TakeFrame(stream)) {
        if (frame->type == listen::FrameType::Mode) {
            read.frames.push_back("M " + frame->payload);
        } else {
            read.frames.push_back("A " + std::to_string(frame->payload.size()));
            read.audio += frame->payload;
        }
    }
    EXPECT_TRUE(stream.empty()) << "a partial frame is left";
    return read;
}

TEST_F(JuliusRecognizerTest, ProgramGetsItsGrammarsAndEveryModeAndSampleInOrder) {
    const QString program = FakeProgram("listen",
                                        "echo \"$@\" >> \"$dir/starts\"\n"
                                        "echo \"state ready\"\n"
                                        "cat > \"$dir/input$(wc -l < \"$dir/starts\")\"\n"
                                        "echo \"state end\"\n");
    auto config = Config(program);
    config.learnedMeansFolder = QString::fromStdString(folder_.path() + "/learned");
    JuliusRecognizer recognizer(config);
    recognizer.SetListener(&listener_);
    int ready = 0;
    int ended = 0;
    QObject::connect(&recognizer, &JuliusRecognizer::ready, [&] { ++ready; });
    QObject::connect(&recognizer, &JuliusRecognizer::inputEnded, [&] { ++ended; });

    // Nothing listens yet: nothing runs.
    ASSERT_EQ(recognizer.DictationSetState(0), 0);
    recognizer.FeedAudio(QByteArray(100, 'x'));
    EXPECT_EQ(recognizer.starts(), 0);

    ASSERT_EQ(recognizer.DictationSetState(1), 0) << recognizer.lastError().toStdString();
    ASSERT_TRUE(WaitUntil([&] { return ready == 1; }));
    // A new command grammar means the program starts again with it.
    ASSERT_EQ(recognizer.CmdLoadFromFile(CommandFile()), 0) << recognizer.lastError().toStdString();
    ASSERT_TRUE(WaitUntil([&] { return ready == 2; }));
    ASSERT_EQ(recognizer.CmdSetRuleIdState(0, 1), 0);
    QByteArray samples;
    for (int i = 0; i < 7000; ++i) samples.append(static_cast<char>(i * 7));
    recognizer.FeedAudio(samples);
    ASSERT_EQ(recognizer.DictationSetState(0), 0);
    ASSERT_EQ(recognizer.CmdSetRuleIdState(0, 0), 0);
    recognizer.FinishAudio();
    ASSERT_TRUE(WaitUntil([&] { return ended == 1; }));

    const auto starts = Lines("starts");
    ASSERT_EQ(starts.size(), 2u);
    const std::string model = "--model " KAZU_JULIUS_DIR "/model --calc ";
    EXPECT_EQ(starts[0].rfind(model, 0), 0u) << starts[0];
    EXPECT_EQ(starts[0].find("--command"), std::string::npos) << starts[0];
    EXPECT_NE(starts[1].find("--command "), std::string::npos) << starts[1];
    const std::string calcPrefix =
        starts[1].substr(model.size(), starts[1].find(' ', model.size()) - model.size());
    EXPECT_TRUE(std::filesystem::exists(calcPrefix + ".dfa")) << calcPrefix;
    EXPECT_TRUE(std::filesystem::exists(calcPrefix + ".dict")) << calcPrefix;
    // The means learned last time first; what it learns now goes there too.
    const std::string learned = config.learnedMeansFolder.toStdString();
    EXPECT_NE(starts[1].find("--means " + learned + " --save-means " + learned), std::string::npos)
        << starts[1];
    EXPECT_TRUE(std::filesystem::is_directory(learned));

    EXPECT_EQ(Split(Read("input1")).frames, std::vector<std::string>{"M calc"});
    const ReadFrames second = Split(Read("input2"));
    const std::vector<std::string> expected = {"M calc", "M command", "A 3200", "A 3200",
                                               "A 600",  "M command", "M off"};
    EXPECT_EQ(second.frames, expected);
    EXPECT_EQ(second.audio, samples.toStdString());
    EXPECT_TRUE(listener_.losses.empty());
    EXPECT_EQ(recognizer.starts(), 2);
}

TEST_F(JuliusRecognizerTest, OutputLinesBecomeEventsHoweverTheyArrive) {
    const QString program = FakeProgram("listen",
                                        "echo \"state ready\"\n"
                                        "echo \"level 42\"\n"
                                        "printf 'state spe'; sleep 0.1\n"
                                        "printf 'ech\\nstate silence\\ncalc 0.900 3かけ'\n"
                                        "sleep 0.1; printf 'る4\\n'\n"
                                        "echo \"what is this\"\n"
                                        "echo \"level 400\"\n"
                                        "echo \"command 0.800 4 1\"\n"
                                        "echo \"command 0.800 7 99\"\n"
                                        "echo \"rejected 0.100\"\n"
                                        "cat > /dev/null\n"
                                        "echo \"state end\"\n");
    JuliusRecognizer recognizer(Config(program));
    recognizer.SetListener(&listener_);
    int ready = 0;
    int ended = 0;
    int rejected = 0;
    int speechEnded = 0;
    QObject::connect(&recognizer, &JuliusRecognizer::ready, [&] { ++ready; });
    QObject::connect(&recognizer, &JuliusRecognizer::inputEnded, [&] { ++ended; });
    QObject::connect(&recognizer, &JuliusRecognizer::rejected, [&] { ++rejected; });
    QObject::connect(&recognizer, &JuliusRecognizer::speechEnded, [&] { ++speechEnded; });
    ASSERT_EQ(recognizer.CmdLoadFromFile(CommandFile()), 0) << recognizer.lastError().toStdString();
    ASSERT_EQ(recognizer.DictationSetState(1), 0) << recognizer.lastError().toStdString();
    ASSERT_TRUE(WaitUntil([&] { return rejected == 1; }));
    recognizer.FinishAudio();
    ASSERT_TRUE(WaitUntil([&] { return ended == 1; }));

    EXPECT_EQ(ready, 1);
    EXPECT_EQ(speechEnded, 1);
    EXPECT_EQ(listener_.levels, std::vector<int>{42});
    ASSERT_EQ(listener_.recognitions.size(), 3u);
    EXPECT_EQ(listener_.recognitions[0].text, "3かける4");
    EXPECT_TRUE(listener_.recognitions[0].properties.empty());
    // A command carries its number as the model looks for it, and the phrase as written.
    auto command = [](const Recognition& recognition) {
        if (recognition.properties.size() != 1 ||
            recognition.properties[0].name != "chosencommand" ||
            recognition.properties[0].children.size() != 1 ||
            recognition.properties[0].children[0].name != "commandvalue")
            return std::string("malformed");
        return recognition.properties[0].children[0].value;
    };
    EXPECT_EQ(listener_.recognitions[1].text, "消して");
    EXPECT_EQ(command(listener_.recognitions[1]), "4");
    // A phrase number beyond the grammar (a stale process) still gives the command.
    EXPECT_EQ(listener_.recognitions[2].text, "");
    EXPECT_EQ(command(listener_.recognitions[2]), "7");
    EXPECT_TRUE(listener_.losses.empty());
}

// However the program goes — failing at once, quitting after it got ready, killed — it is
// started again once; the second loss is reported, and nothing is left listening.
TEST_F(JuliusRecognizerTest, LostProgramIsRestartedOnceThenReported) {
    const std::pair<const char*, const char*> endings[] = {
        {"fails", "exit 3\n"},
        {"quits", "echo \"state ready\"\nexit 0\n"},
        {"killed", "echo \"state ready\"\nkill -9 $$\n"},
    };
    for (const auto& [name, ending] : endings) {
        SCOPED_TRACE(name);
        const std::string starts = std::string(name) + ".starts";
        const QString program = FakeProgram(name, "echo >> \"$dir/" + starts + "\"\n" + ending);
        RecordingListener listener;
        JuliusRecognizer recognizer(Config(program));
        recognizer.SetListener(&listener);
        ASSERT_EQ(recognizer.DictationSetState(1), 0) << recognizer.lastError().toStdString();
        ASSERT_TRUE(WaitUntil([&] { return !listener.losses.empty(); }));
        Linger(300);
        EXPECT_EQ(Lines(starts).size(), 2u);
        EXPECT_EQ(recognizer.starts(), 2);
        ASSERT_EQ(listener.losses.size(), 1u);
        EXPECT_FALSE(listener.losses[0].empty());
        EXPECT_EQ(listener.losses[0], recognizer.lastError().toStdString());

        // Lost for good: every way of turning voice input on fails, and nothing starts.
        EXPECT_LT(recognizer.DictationSetState(1), 0);
        EXPECT_LT(recognizer.CmdSetRuleIdState(0, 1), 0);
        recognizer.FeedAudio(QByteArray(6400, '\0'));
        recognizer.FinishAudio();
        Linger(100);
        EXPECT_EQ(Lines(starts).size(), 2u);
        EXPECT_EQ(listener.losses.size(), 1u);
    }
}

TEST_F(JuliusRecognizerTest, GrammarReloadLeavesTheRestartForACrash) {
    const QString program = FakeProgram("listen",
                                        "echo >> \"$dir/starts\"\n"
                                        "echo $$ > \"$dir/pid\"\n"
                                        "echo \"state ready\"\n"
                                        "exec cat > /dev/null\n");
    JuliusRecognizer recognizer(Config(program));
    recognizer.SetListener(&listener_);
    int ready = 0;
    QObject::connect(&recognizer, &JuliusRecognizer::ready, [&] { ++ready; });
    ASSERT_EQ(recognizer.DictationSetState(1), 0) << recognizer.lastError().toStdString();
    ASSERT_TRUE(WaitUntil([&] { return ready == 1; }));
    ASSERT_EQ(recognizer.CmdLoadFromFile(CommandFile()), 0) << recognizer.lastError().toStdString();
    ASSERT_TRUE(WaitUntil([&] { return ready == 2; }));

    ASSERT_EQ(kill(std::stoi(Read("pid")), SIGKILL), 0);
    ASSERT_TRUE(WaitUntil([&] { return ready == 3 || !listener_.losses.empty(); }));
    EXPECT_TRUE(listener_.losses.empty());
    EXPECT_EQ(Lines("starts").size(), 3u);

    ASSERT_EQ(kill(std::stoi(Read("pid")), SIGKILL), 0);
    ASSERT_TRUE(WaitUntil([&] { return !listener_.losses.empty(); }));
    Linger(200);
    EXPECT_EQ(Lines("starts").size(), 3u);
    EXPECT_EQ(listener_.losses.size(), 1u);
}

// The character's voice from the loudspeakers is heard too: what overlaps it, or follows it
// closer than its echo, is marked as heard during her voice; what the child says after it is not.
TEST_F(JuliusRecognizerTest, WhatOverlapsTheCharactersVoiceIsMarked) {
    // Each cue file the test writes is played back as the program's output, then removed.
    const QString program = FakeProgram("listen",
                                        "echo \"state ready\"\n"
                                        "n=1\n"
                                        "while :; do\n"
                                        "  while [ ! -e \"$dir/cue$n\" ]; do sleep 0.01; done\n"
                                        "  cat \"$dir/cue$n\"; rm \"$dir/cue$n\"; n=$((n+1))\n"
                                        "done\n");
    JuliusRecognizer recognizer(Config(program));
    recognizer.SetListener(&listener_);
    ASSERT_EQ(recognizer.CmdLoadFromFile(CommandFile()), 0) << recognizer.lastError().toStdString();
    ASSERT_EQ(recognizer.DictationSetState(1), 0) << recognizer.lastError().toStdString();
    int cue = 0;
    const auto play = [&](const std::string& lines) {
        const std::string name = "cue" + std::to_string(++cue);
        // Whole when the program sees it.
        std::filesystem::rename(folder_.Write("next", lines), folder_.path() + "/" + name);
        return WaitUntil([&] { return !std::filesystem::exists(folder_.path() + "/" + name); });
    };
    const auto pastEcho = [] { Linger(JuliusRecognizer::kOwnVoiceEchoMs + 150); };
    const std::string utterance = "state speech\nstate silence\ncalc 0.900 12わる7わ\n";

    recognizer.SetOwnVoiceSounding(true);  // her "12わる7、かな？"
    ASSERT_TRUE(play(utterance));
    recognizer.SetOwnVoiceSounding(false);
    ASSERT_TRUE(play(utterance));  // its echo
    pastEcho();
    ASSERT_TRUE(play("state speech\n"));  // the child starts, and she starts too
    recognizer.SetOwnVoiceSounding(true);
    recognizer.SetOwnVoiceSounding(false);
    ASSERT_TRUE(play("state silence\ncommand 0.900 4 0\n"));
    pastEcho();
    ASSERT_TRUE(play(utterance));
    ASSERT_TRUE(play("state speech\nstate silence\ncommand 0.900 6 2\n"));
    ASSERT_TRUE(WaitUntil([&] { return listener_.recognitions.size() == 5; }));
    std::vector<bool> marked;
    for (const auto& recognition : listener_.recognitions)
        marked.push_back(recognition.duringOwnVoice);
    EXPECT_EQ(marked, (std::vector<bool>{true, true, true, false, false}));
    EXPECT_EQ(listener_.recognitions[2].text, "クリア");
    EXPECT_EQ(listener_.recognitions[4].text, "メニュー");
}

// After FinishAudio the audio is all with the process: a new one would wait for more forever.
TEST_F(JuliusRecognizerTest, CrashWhileFinishingIsALossNotAWait) {
    const QString program = FakeProgram("listen",
                                        "echo >> \"$dir/starts\"\n"
                                        "echo \"state ready\"\n"
                                        "cat > /dev/null\n"
                                        "exit 1\n");
    JuliusRecognizer recognizer(Config(program));
    recognizer.SetListener(&listener_);
    int ended = 0;
    QObject::connect(&recognizer, &JuliusRecognizer::inputEnded, [&] { ++ended; });
    ASSERT_EQ(recognizer.DictationSetState(1), 0) << recognizer.lastError().toStdString();
    recognizer.FeedAudio(QByteArray(32000, '\0'));
    recognizer.FinishAudio();
    ASSERT_TRUE(WaitUntil([&] { return !listener_.losses.empty() || ended > 0; }, 5000));
    EXPECT_EQ(listener_.losses.size(), 1u);
    EXPECT_EQ(ended, 0);
    EXPECT_EQ(Lines("starts").size(), 1u);
}

TEST_F(JuliusRecognizerTest, ProgramThatCannotStartFailsAtOnce) {
    const std::string notExecutable = folder_.Write("plain", "#!/bin/sh\necho \"state ready\"\n");
    for (const QString& program : {QString::fromStdString(folder_.path() + "/none-such"),
                                   QString::fromStdString(notExecutable)}) {
        SCOPED_TRACE(program.toStdString());
        RecordingListener listener;
        JuliusRecognizer recognizer(Config(program));
        recognizer.SetListener(&listener);
        recognizer.FeedAudio(QByteArray(3200, '\0'));
        EXPECT_LT(recognizer.DictationSetState(1), 0);
        EXPECT_TRUE(recognizer.lastError().contains(QFileInfo(program).fileName()))
            << recognizer.lastError().toStdString();
        recognizer.FeedAudio(QByteArray(3200, '\0'));
        recognizer.FinishAudio();
        Linger(100);
        EXPECT_TRUE(listener.losses.empty());
    }
}

TEST_F(JuliusRecognizerTest, MissingModelFailsAtOnceNamingIt) {
    auto config = Config(QStringLiteral(KAZU_LISTEN_EXE));
    config.modelDir = QString::fromStdString(folder_.path() + "/no-model");
    JuliusRecognizer recognizer(config);
    recognizer.SetListener(&listener_);
    EXPECT_LT(recognizer.DictationSetState(1), 0);
    EXPECT_TRUE(recognizer.lastError().contains(QStringLiteral("no-model")))
        << recognizer.lastError().toStdString();
    Linger(200);
    EXPECT_TRUE(listener_.losses.empty());
    EXPECT_EQ(recognizer.starts(), 0);

    // A folder with one of the models gone: that one is named.
    const std::string partial = folder_.path() + "/partial";
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(partial)));
    for (const char* name : {kazu::listen::kTriphoneModel, kazu::listen::kTriphoneList}) {
        QFile file(QString::fromStdString(partial + "/" + name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    config.modelDir = QString::fromStdString(partial);
    JuliusRecognizer second(config);
    second.SetListener(&listener_);
    EXPECT_LT(second.DictationSetState(1), 0);
    EXPECT_TRUE(second.lastError().contains(QString::fromLatin1(kazu::listen::kPhoneModel)))
        << second.lastError().toStdString();
    EXPECT_EQ(second.starts(), 0);
}

TEST_F(JuliusRecognizerTest, GrammarFileFaultsNameTheFileAndStartNothing) {
    JuliusRecognizer recognizer(Config(FakeProgram("listen", "echo >> \"$dir/starts\"\n")));
    EXPECT_LT(recognizer.CmdLoadFromFile(folder_.path() + "/missing.xml"), 0);
    EXPECT_TRUE(recognizer.lastError().contains(QStringLiteral("missing.xml")))
        << recognizer.lastError().toStdString();

    const std::string unreadable =
        folder_.Write("unreadable.xml",
                      std::string(kCommands).replace(std::string(kCommands).find("<P>メニュー"),
                                                     std::string("<P>メニュー").size(), "<P>Menu"));
    EXPECT_LT(recognizer.CmdLoadFromFile(unreadable), 0);
    EXPECT_TRUE(recognizer.lastError().contains(QStringLiteral("unreadable.xml")))
        << recognizer.lastError().toStdString();
    EXPECT_TRUE(recognizer.lastError().contains(QStringLiteral("Menu")))
        << recognizer.lastError().toStdString();
    // Without command grammar the commands cannot be turned on.
    EXPECT_LT(recognizer.CmdSetRuleIdState(0, 1), 0);
    EXPECT_EQ(recognizer.starts(), 0);
    EXPECT_TRUE(Lines("starts").empty());
}

// A machine without a microphone loses voice input, and the process it started goes too.
TEST_F(JuliusRecognizerTest, NoMicrophoneIsALossAndStopsTheProgram) {
    if (SoundDevices* devices = LoadSoundDevices(); devices && !devices->DefaultInput().empty())
        GTEST_SKIP() << "this machine has a microphone";
    const QString program = FakeProgram("listen",
                                        "echo $$ > \"$dir/pid\"\n"
                                        "echo \"state ready\"\n"
                                        "exec cat > /dev/null\n");
    auto config = Config(program);
    config.microphone = true;
    JuliusRecognizer recognizer(config);
    recognizer.SetListener(&listener_);
    ASSERT_EQ(recognizer.DictationSetState(1), 0) << recognizer.lastError().toStdString();
    ASSERT_TRUE(WaitUntil([&] { return !listener_.losses.empty(); }));
    EXPECT_EQ(listener_.losses.size(), 1u);
    EXPECT_EQ(listener_.losses[0], recognizer.lastError().toStdString());
    ASSERT_TRUE(WaitUntil([&] { return !Read("pid").empty(); }));
    const pid_t pid = std::stoi(Read("pid"));
    EXPECT_TRUE(WaitUntil([&] { return kill(pid, 0) != 0; }, 3000)) << "the program still runs";
    EXPECT_LT(recognizer.DictationSetState(1), 0);
    EXPECT_EQ(recognizer.starts(), 1);
}

// The listening programs this process started that still run.
int ListenProgramsRunning() {
    int running = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::ifstream stat(entry.path() / "stat");
        std::string pid, name, state, parent;
        if (stat >> pid >> name >> state >> parent && name == "(kazuchan-listen)" && state != "Z" &&
            parent == std::to_string(getpid()))
            ++running;
    }
    return running;
}

// The listening program reads the microphone itself; what it hears shows on the level bar. A
// microphone that stops giving sound, or none at all, loses voice input with its own message,
// and the program is stopped.
TEST_F(JuliusRecognizerTest, MicrophoneIsReadByTheProgramAndItsFaultsAreLosses) {
    std::string loudThenQuiet;
    for (int i = 0; i < 1600; ++i) loudThenQuiet += std::string("\xB8\x0B", 2);  // 3000
    loudThenQuiet += std::string(3200, '\0');
    const std::pair<std::string, std::string> cases[] = {
        {folder_.Write("microphone.raw", loudThenQuiet),
         "マイクから音を取れません。音声入力はできません。"},
        {folder_.path() + "/none", "マイクが見つかりません。音声入力はできません。"},
    };
    for (const auto& [source, message] : cases) {
        RecordingListener listener;
        auto config = Config(QStringLiteral(KAZU_LISTEN_EXE));
        config.microphoneSource = QString::fromStdString(source);
        config.microphone = true;
        JuliusRecognizer recognizer(config);
        recognizer.SetListener(&listener);
        ASSERT_EQ(recognizer.DictationSetState(1), 0) << recognizer.lastError().toStdString();
        ASSERT_TRUE(WaitUntil([&] { return !listener.losses.empty(); }, 30000)) << source;
        EXPECT_EQ(listener.losses, std::vector<std::string>{message});
        EXPECT_EQ(recognizer.lastError().toStdString(), message);
        if (source.ends_with(".raw")) {
            ASSERT_EQ(listener.levels.size(), 2u);
            EXPECT_GT(listener.levels[0], 50);
            EXPECT_EQ(listener.levels[1], 0);
        } else {
            EXPECT_TRUE(listener.levels.empty());
        }
        EXPECT_EQ(ListenProgramsRunning(), 0) << source;
        EXPECT_LT(recognizer.DictationSetState(1), 0);
        EXPECT_EQ(recognizer.starts(), 1);
    }
}

// The grammars compiled on the worker are loaded without running the tools again; a command
// file changed since is compiled anew (here with tools that fail).
TEST_F(JuliusRecognizerTest, PreparedGrammarsAreTakenWhileTheFileIsUnchanged) {
    JuliusRecognizer::Config config = Config(FakeProgram("listen", "cat > /dev/null\n"));
    const JuliusTools installed = JuliusTools::Installed();
    config.tools.binDir = QString::fromStdString(folder_.path() + "/bin");
    for (const char* tool : {"yomi2voca.pl", "mkdfa.pl", "mkfa", "dfa_minimize"}) {
        const std::string to = folder_.Write(std::string("bin/") + tool, "");
        std::filesystem::copy_file(installed.binDir.toStdString() + "/" + tool, to,
                                   std::filesystem::copy_options::overwrite_existing);
    }
    const std::string file = CommandFile();
    JuliusRecognizer recognizer(config);
    int prepared = 0;
    QObject::connect(&recognizer, &JuliusRecognizer::prepared, [&] { ++prepared; });
    recognizer.Prepare(file);
    ASSERT_TRUE(WaitUntil([&] { return prepared == 1; }, 60000));

    std::filesystem::remove(folder_.path() + "/bin/mkfa");
    EXPECT_EQ(recognizer.DictationLoad(), 0);
    EXPECT_EQ(recognizer.CmdLoadFromFile(file), 0) << recognizer.lastError().toStdString();
    std::string changed = kCommands;
    changed.replace(changed.find("メニュー"), std::string("メニュー").size(), "めにゅう");
    folder_.Write("commands.xml", changed);
    EXPECT_LT(recognizer.CmdLoadFromFile(file), 0);
    // The prepared files may have been written over since: taken once only.
    CommandFile();
    EXPECT_LT(recognizer.CmdLoadFromFile(file), 0);
    EXPECT_EQ(prepared, 1);
}

}  // namespace
}  // namespace kazu
