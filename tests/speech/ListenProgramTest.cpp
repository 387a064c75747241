// kazuchan-listen itself, spoken to through its pipes as the recogniser does.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <cmath>
#include <numbers>

#include "SpeechTestSupport.h"
#include "speech/JuliusGrammar.h"
#include "speech/listen/ListenProtocol.h"

namespace kazu {
namespace {

class ListenProgramTest : public ::testing::Test {
  protected:
    void SetUp() override { Start({}); }
    void Start(const QStringList& more) {
        const QString prefix = QString::fromStdString(folder_.path() + "/calc");
        const auto error = CompileGrammar(listen::CalcGrammar(), prefix, JuliusTools::Installed());
        ASSERT_FALSE(error) << error->toStdString();
        process_.setStandardErrorFile(QProcess::nullDevice());
        process_.start(
            QStringLiteral(KAZU_LISTEN_EXE),
            QStringList{QStringLiteral("--model"), QStringLiteral(KAZU_JULIUS_DIR "/model"),
                        QStringLiteral("--calc"), prefix} +
                more);
        ASSERT_TRUE(process_.waitForStarted(5000));
        ASSERT_TRUE(Await("state ready\n")) << output_.toStdString();
    }
    // Reads what the program says until `line` is among it.
    bool Await(const QByteArray& line) {
        while (!output_.contains(line) && process_.waitForReadyRead(20000))
            output_ += process_.readAllStandardOutput();
        return output_.contains(line);
    }
    void TearDown() override {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }
    void Send(const std::string& bytes) {
        process_.write(bytes.data(), static_cast<qint64>(bytes.size()));
    }
    // Everything the program says until it exits.
    bool Finish(int timeoutMs) {
        const bool finished = process_.waitForFinished(timeoutMs);
        output_ += process_.readAllStandardOutput();
        return finished;
    }

    ScratchFolder folder_;
    QProcess process_;
    QByteArray output_;
};

TEST_F(ListenProgramTest, EndsWhenInputClosesAfterWhatWasSent) {
    Send(listen::EncodeFrame(listen::FrameType::Mode, "calc"));
    Send(listen::EncodeFrame(listen::FrameType::Audio, std::string(32000, '\0')));
    process_.closeWriteChannel();
    ASSERT_TRUE(Finish(15000));
    EXPECT_EQ(process_.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process_.exitCode(), 0);
    EXPECT_TRUE(output_.endsWith("state end\n")) << output_.toStdString();
    // Every line it wrote is one of the protocol's.
    for (const QByteArray& line : output_.split('\n')) {
        if (!line.isEmpty()) {
            EXPECT_TRUE(listen::ParseListenLine(line.toStdString())) << line.toStdString();
        }
    }
}

// The input level is told when it changes: a quiet room, frame after frame, is one line, so the
// window has nothing to do while nobody speaks.
TEST_F(ListenProgramTest, InputLevelIsToldOnlyWhenItChanges) {
    const auto frame = [](int16_t sample) {
        std::string audio;
        for (int i = 0; i < 1600; ++i) {
            audio += static_cast<char>(sample & 0xFF);
            audio += static_cast<char>((sample >> 8) & 0xFF);
        }
        return listen::EncodeFrame(listen::FrameType::Audio, audio);
    };
    Send(listen::EncodeFrame(listen::FrameType::Mode, "calc"));
    for (const int16_t sample : {0, 0, 0, 0, 3000, 3000, 3000, 0, 0}) {
        Send(frame(sample));
    }
    process_.closeWriteChannel();
    ASSERT_TRUE(Finish(15000));
    std::vector<int> levels;
    for (const QByteArray& line : output_.split('\n')) {
        const auto event = listen::ParseListenLine(line.toStdString());
        if (event && event->kind == listen::ListenEvent::Kind::Level) {
            levels.push_back(event->number);
        }
    }
    ASSERT_EQ(levels.size(), 3u) << output_.toStdString();
    EXPECT_EQ(levels[0], 0);
    EXPECT_GT(levels[1], 50);
    EXPECT_EQ(levels[2], 0);
}

// A frame longer than any the program sends is a broken stream: the reader gives up on it
// instead of collecting bytes for good, though its input stays open.
TEST_F(ListenProgramTest, OverlongFrameEndsTheInput) {
    std::string header("A\xFF\xFF\xFF\x7F", 5);
    Send(header + std::string(listen::kMaxFramePayload + 8192, '\0'));
    ASSERT_TRUE(Finish(15000)) << output_.toStdString();
    EXPECT_EQ(process_.exitStatus(), QProcess::NormalExit);
    EXPECT_TRUE(output_.endsWith("state end\n")) << output_.toStdString();
}

// Quiet room noise (`hiss` either way at most; 0: exact zeros) with two loud vowel-like bursts,
// enough for the engine to take for speech.
std::string Bursts(int hiss = 20) {
    std::string audio;
    uint32_t seed = 7;
    const auto put = [&](double value) {
        seed = seed * 1664525 + 1013904223;
        const int noise = static_cast<int>((seed >> 16) % (2 * hiss + 1)) - hiss;
        const auto sample = static_cast<int16_t>(value + noise);
        audio += static_cast<char>(sample & 0xFF);
        audio += static_cast<char>((sample >> 8) & 0xFF);
    };
    for (int burst = 0; burst < 2; ++burst) {
        for (int i = 0; i < 12800; ++i) put(0);
        for (int i = 0; i < 8000; ++i) {
            double value = 0;
            for (int harmonic = 1; harmonic <= 6; ++harmonic)
                value += 2500.0 / harmonic *
                         std::sin(2 * std::numbers::pi * 150 * harmonic * i / 16000.0);
            put(value);
        }
    }
    for (int i = 0; i < 16000; ++i) put(0);
    return audio;
}

// A muted or virtual microphone gives exact zeros between words: the utterance before them ends
// there, while the input stays open, and the next one is heard too.
TEST_F(ListenProgramTest, AnUtteranceEndsInExactSilence) {
    const std::string audio = Bursts(0) + std::string(2 * 32000, '\0');
    // In the microphone's blocks of 100 ms.
    Send(listen::EncodeFrame(listen::FrameType::Mode, "calc"));
    for (size_t at = 0; at < audio.size(); at += 3200)
        Send(listen::EncodeFrame(listen::FrameType::Audio, audio.substr(at, 3200)));
    // Both utterances began and ended, each of them before the input did.
    const auto ended = [&] {
        const qsizetype last = output_.lastIndexOf("state speech\n");
        return output_.count("state speech\n") == 2 &&
               output_.indexOf("state silence\n", last) > last;
    };
    do {
        output_ += process_.readAllStandardOutput();
    } while (!ended() && process_.waitForReadyRead(10000));
    EXPECT_TRUE(ended()) << output_.toStdString();
}

class ListenMicrophoneTest : public ListenProgramTest {
  protected:
    void SetUp() override {}
};

// Samples the program reads as its microphone reach the engine exactly as the same samples sent
// as audio frames do: it says the same lines in the same order. The end of the microphone's
// sound is told, and the program then follows its input until that closes.
TEST_F(ListenMicrophoneTest, MicrophoneIsHeardAsTheSameSamplesSentAsFrames) {
    const std::string audio = Bursts();
    Start({});
    ASSERT_FALSE(HasFatalFailure());
    for (size_t at = 0; at < audio.size(); at += 3200)
        Send(listen::EncodeFrame(listen::FrameType::Audio, audio.substr(at, 3200)));
    process_.closeWriteChannel();
    ASSERT_TRUE(Finish(30000));
    const QByteArray framed = output_;
    ASSERT_TRUE(framed.contains("state speech\n")) << framed.toStdString();

    output_.clear();
    Start({QStringLiteral("--microphone"),
           QString::fromStdString(folder_.Write("microphone.raw", audio))});
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(Await("state microphone-failed\n")) << output_.toStdString();
    process_.closeWriteChannel();
    ASSERT_TRUE(Finish(30000));
    EXPECT_EQ(process_.exitCode(), 0);
    EXPECT_EQ(output_.replace("state microphone-failed\n", "").toStdString(), framed.toStdString());
}

TEST_F(ListenMicrophoneTest, MissingMicrophoneIsToldAndTheProgramFollowsItsInput) {
    Start({QStringLiteral("--microphone"), QString::fromStdString(folder_.path() + "/none")});
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(Await("state no-microphone\n")) << output_.toStdString();
    Send(listen::EncodeFrame(listen::FrameType::Audio, std::string(3200, '\0')));
    process_.closeWriteChannel();
    ASSERT_TRUE(Finish(15000));
    EXPECT_EQ(process_.exitCode(), 0);
    // The zero frame on its input was heard (and the end of the stream closes no utterance).
    EXPECT_TRUE(output_.startsWith("state ready\nstate no-microphone\nlevel 0\n"))
        << output_.toStdString();
    EXPECT_TRUE(output_.endsWith("state end\n")) << output_.toStdString();
}

// Starting means (and rooms) that are unreadable, of the wrong size or missing are passed over for
// the next folder's, or left out; the means learned are saved after each utterance and, given
// first, are what the next run starts from.
TEST(ListenProgramMeansTest, FaultyMeansArePassedOverAndLearnedOnesTakenFirst) {
    ScratchFolder folder;
    const QString calc = QString::fromStdString(folder.path() + "/calc");
    ASSERT_FALSE(CompileGrammar(listen::CalcGrammar(), calc, JuliusTools::Installed()));
    const QString shipped = QStringLiteral(KAZU_SOURCE_RESOURCES);
    // The means file the engine says it read, and whether the run ended well.
    const auto run = [&](const QStringList& means, const std::string& audio) {
        QProcess process;
        process.start(
            QStringLiteral(KAZU_LISTEN_EXE),
            QStringList{QStringLiteral("--model"), QStringLiteral(KAZU_JULIUS_DIR "/model"),
                        QStringLiteral("--calc"), calc} +
                means);
        std::string input = listen::EncodeFrame(listen::FrameType::Mode, "calc");
        for (size_t at = 0; at < audio.size(); at += 3200)
            input += listen::EncodeFrame(listen::FrameType::Audio, audio.substr(at, 3200));
        process.write(input.data(), static_cast<qint64>(input.size()));
        process.closeWriteChannel();
        const bool ended = process.waitForFinished(20000) && process.exitCode() == 0 &&
                           process.readAllStandardOutput().endsWith("state end\n");
        const QByteArray log = process.readAllStandardError();
        // The last read: means the engine refused are read before they are passed over.
        const qsizetype at = log.lastIndexOf("reading initial cepstral mean/variance from file \"");
        return std::pair{at < 0 ? QByteArray() : log.mid(at).split('"').value(1), ended};
    };
    const std::pair<const char*, const char*> faults[] = {
        {"garbage", "not a mean at all\n"},
        {"short", "<CEPSNORM> <>\n<MEAN> 25\n 1.0\n 2.0\n"},
        {"wrong-size", "<CEPSNORM> <>\n<MEAN> 3\n 1.0\n 2.0\n 3.0\n"},
        {"missing", nullptr},
    };
    for (const auto& [name, text] : faults) {
        const QString means = QString::fromStdString(folder.path() + "/" + name);
        ASSERT_TRUE(QDir().mkpath(means));
        // A room file as faulty beside them is passed over too.
        for (const char* file : {listen::kTriphoneMean, listen::kRoomFile}) {
            QFile faulty(means + "/" + file);
            ASSERT_TRUE(text == nullptr ||
                        (faulty.open(QIODevice::WriteOnly) && faulty.write(text) > 0));
        }
        EXPECT_TRUE(run({QStringLiteral("--means"), means}, std::string(3200, '\0')).second)
            << name;
        EXPECT_EQ(run({QStringLiteral("--means"), means, QStringLiteral("--means"), shipped},
                      std::string(3200, '\0')),
                  std::pair((shipped + "/" + listen::kTriphoneMean).toUtf8(), true))
            << name;
    }
    const QString learned = QString::fromStdString(folder.path() + "/learned");
    ASSERT_TRUE(QDir().mkpath(learned));
    const QStringList both = {QStringLiteral("--means"),      learned,
                              QStringLiteral("--means"),      shipped,
                              QStringLiteral("--save-means"), learned};
    EXPECT_TRUE(run(both, Bursts()).second);
    QFile saved(learned + "/" + listen::kTriphoneMean);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_TRUE(saved.readAll().startsWith("<CEPSNORM>"));
    EXPECT_EQ(run(both, std::string(3200, '\0')).first, saved.fileName().toUtf8());
}

// The engine keeps a word's length in phones in one byte. The grammar file refuses a reading
// one phone past it, naming the phrase; the longest reading it takes, the engine runs with.
TEST(ListenProgramLimitTest, LongestReadingTheGrammarTakesIsOneTheEngineRunsWith) {
    const auto file = [](const QString& reading) {
        return QStringLiteral(
                   "<GRAMMAR><RULE NAME=\"Long\"><PROPERTY NAME=\"chosencommand\">"
                   "<PROPERTY NAME=\"commandvalue\" VAL=\"9\"/></PROPERTY>"
                   "<P READING=\"%1\">長い言葉</P></RULE></GRAMMAR>")
            .arg(reading)
            .toUtf8();
    };
    const QString syllables(127, QChar(u'か'));  // 254 phones
    for (const QString& tooLong : {syllables + QStringLiteral("か"), QString(1000, QChar(u'か')),
                                   QString(128, QChar(u'あ')) + syllables}) {
        CommandGrammarFile refused;
        const auto error = ReadCommandGrammar(file(tooLong), refused);
        ASSERT_TRUE(error) << tooLong.size();
        EXPECT_TRUE(error->contains(QStringLiteral("「長い言葉」"))) << error->toStdString();
    }
    CommandGrammarFile longest;
    ASSERT_FALSE(ReadCommandGrammar(file(syllables + QStringLiteral("あ")), longest));

    ScratchFolder folder;
    const QString calc = QString::fromStdString(folder.path() + "/calc");
    const QString command = QString::fromStdString(folder.path() + "/command");
    ASSERT_FALSE(CompileGrammar(listen::CalcGrammar(), calc, JuliusTools::Installed()));
    ASSERT_FALSE(
        CompileGrammar(listen::CommandGrammar(longest.phrases), command, JuliusTools::Installed()));
    QProcess process;
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(QStringLiteral(KAZU_LISTEN_EXE),
                  {QStringLiteral("--model"), QStringLiteral(KAZU_JULIUS_DIR "/model"),
                   QStringLiteral("--calc"), calc, QStringLiteral("--command"), command});
    std::string input = listen::EncodeFrame(listen::FrameType::Mode, "command");
    // Silence, a second of loud noise for the engine to search, silence.
    std::string audio(32000, '\0');
    uint32_t seed = 5;
    for (int i = 0; i < 16000; ++i) {
        seed = seed * 1664525 + 1013904223;
        const auto sample = static_cast<int16_t>(static_cast<int>(seed >> 16) % 16000 - 8000);
        audio += static_cast<char>(sample & 0xFF);
        audio += static_cast<char>((sample >> 8) & 0xFF);
    }
    audio += std::string(64000, '\0');
    for (size_t at = 0; at < audio.size(); at += 3200)
        input += listen::EncodeFrame(listen::FrameType::Audio, audio.substr(at, 3200));
    process.write(input.data(), static_cast<qint64>(input.size()));
    process.closeWriteChannel();
    const bool finished = process.waitForFinished(30000);
    if (!finished)
        process.kill();
    ASSERT_TRUE(finished);
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_TRUE(process.readAllStandardOutput().endsWith("state end\n"));
}

// Whether process `pid` has ended (a zombie left for a reaper has).
bool Ended(pid_t pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray text = stat.readAll();
    return text.mid(text.lastIndexOf(')') + 2, 1) == "Z";
}

// Killed, the program that started the recogniser takes it along, even though the recogniser's
// input stays open (here the test keeps a copy of the pipe, as another child of it could).
TEST(ListenProgramParentTest, EndsWhenItsParentIsKilled) {
    ScratchFolder folder;
    const std::string calc = folder.path() + "/calc";
    ASSERT_FALSE(CompileGrammar(listen::CalcGrammar(), QString::fromStdString(calc),
                                JuliusTools::Installed()));
    // Everything the forked processes use is made before they exist.
    std::string program = KAZU_LISTEN_EXE;
    std::string model = KAZU_JULIUS_DIR "/model";
    std::string modelOption = "--model";
    std::string calcOption = "--calc";
    std::vector<char*> arguments = {program.data(),
                                    modelOption.data(),
                                    model.data(),
                                    calcOption.data(),
                                    const_cast<char*>(calc.c_str()),
                                    nullptr};
    int input[2], output[2], report[2];
    ASSERT_EQ(pipe(input), 0);
    ASSERT_EQ(pipe(output), 0);
    ASSERT_EQ(pipe(report), 0);
    const int quiet = open("/dev/null", O_WRONLY);
    const pid_t parent = fork();
    ASSERT_GE(parent, 0);
    if (parent == 0) {
        const pid_t child = fork();
        if (child == 0) {
            dup2(input[0], STDIN_FILENO);
            dup2(output[1], STDOUT_FILENO);
            dup2(quiet, STDERR_FILENO);
            execv(arguments[0], arguments.data());
            _exit(127);
        }
        (void)!write(report[1], &child, sizeof child);
        while (true) pause();
    }
    pid_t child = 0;
    ASSERT_EQ(read(report[0], &child, sizeof child), static_cast<ssize_t>(sizeof child));
    // Ready: it has loaded its models and listens.
    std::string said;
    pollfd ready{output[0], POLLIN, 0};
    while (said.find("state ready\n") == std::string::npos && poll(&ready, 1, 30000) > 0) {
        char chunk[4096];
        const ssize_t got = read(output[0], chunk, sizeof chunk);
        if (got <= 0)
            break;
        said.append(chunk, static_cast<size_t>(got));
    }
    EXPECT_NE(said.find("state ready\n"), std::string::npos) << said;
    kill(parent, SIGKILL);
    waitpid(parent, nullptr, 0);
    bool ended = false;
    for (int i = 0; i < 100 && !ended; ++i) {
        ended = Ended(child);
        if (!ended)
            usleep(100000);
    }
    EXPECT_TRUE(ended);
    if (!ended)
        kill(child, SIGKILL);
    for (const int fd : {input[0], input[1], output[0], output[1], report[0], report[1], quiet})
        close(fd);
}

TEST(ListenProgramUsageTest, WrongArgumentsAreAUsageError) {
    const QStringList wrong[] = {
        {},
        {QStringLiteral("--model"), QStringLiteral("m")},
        {QStringLiteral("--calc"), QStringLiteral("c")},
        {QStringLiteral("--model"), QStringLiteral("m"), QStringLiteral("--calc")},
        {QStringLiteral("--model"), QStringLiteral("m"), QStringLiteral("--calc"),
         QStringLiteral("c"), QStringLiteral("--loud"), QStringLiteral("1")},
    };
    for (const QStringList& arguments : wrong) {
        QProcess process;
        process.start(QStringLiteral(KAZU_LISTEN_EXE), arguments);
        ASSERT_TRUE(process.waitForFinished(5000));
        EXPECT_EQ(process.exitCode(), 2) << arguments.join(u' ').toStdString();
        EXPECT_TRUE(process.readAllStandardError().contains("usage:"));
    }
}

}  // namespace
}  // namespace kazu
