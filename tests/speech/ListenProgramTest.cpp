// kazuchan-listen itself, spoken to through its pipes as the recogniser does.
#include <QDir>
#include <QFile>
#include <QProcess>

#include "SpeechTestSupport.h"
#include "speech/JuliusGrammar.h"
#include "speech/listen/ListenProtocol.h"

namespace kazu {
namespace {

class ListenProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const QString prefix = QString::fromStdString(folder_.path() + "/calc");
        const auto error = CompileGrammar(listen::CalcGrammar(), prefix, JuliusTools::Installed());
        ASSERT_FALSE(error) << error->toStdString();
        process_.setStandardErrorFile(QProcess::nullDevice());
        process_.start(QStringLiteral(KAZU_LISTEN_EXE),
                       {QStringLiteral("--model"), QStringLiteral(KAZU_JULIUS_DIR "/model"),
                        QStringLiteral("--calc"), prefix});
        ASSERT_TRUE(process_.waitForStarted(5000));
        while (!output_.contains("state ready\n") && process_.waitForReadyRead(10000))
            output_ += process_.readAllStandardOutput();
        ASSERT_TRUE(output_.contains("state ready\n")) << output_.toStdString();
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

// A frame longer than any the program sends is a broken stream: the reader gives up on it
// instead of collecting bytes for good, though its input stays open.
TEST_F(ListenProgramTest, OverlongFrameEndsTheInput) {
    std::string header("A\xFF\xFF\xFF\x7F", 5);
    Send(header + std::string(listen::kMaxFramePayload + 8192, '\0'));
    ASSERT_TRUE(Finish(15000)) << output_.toStdString();
    EXPECT_EQ(process_.exitStatus(), QProcess::NormalExit);
    EXPECT_TRUE(output_.endsWith("state end\n")) << output_.toStdString();
}

// Starting means that are unreadable, of the wrong size or missing leave the program listening.
TEST(ListenProgramMeansTest, FaultyMeansAreLeftOut) {
    ScratchFolder folder;
    const QString calc = QString::fromStdString(folder.path() + "/calc");
    ASSERT_FALSE(CompileGrammar(listen::CalcGrammar(), calc, JuliusTools::Installed()));
    const std::pair<const char*, const char*> faults[] = {
        {"garbage", "not a mean at all\n"},
        {"short", "<CEPSNORM> <>\n<MEAN> 25\n 1.0\n 2.0\n"},
        {"wrong-size", "<CEPSNORM> <>\n<MEAN> 3\n 1.0\n 2.0\n 3.0\n"},
        {"missing", nullptr},
    };
    for (const auto& [name, text] : faults) {
        const std::string means = folder.path() + "/" + name;
        ASSERT_TRUE(QDir().mkpath(QString::fromStdString(means)));
        if (text != nullptr) {
            QFile file(QString::fromStdString(means + "/" + listen::kTriphoneMean));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(text);
        }
        QProcess process;
        process.setStandardErrorFile(QProcess::nullDevice());
        process.start(QStringLiteral(KAZU_LISTEN_EXE),
                      {QStringLiteral("--model"), QStringLiteral(KAZU_JULIUS_DIR "/model"),
                       QStringLiteral("--calc"), calc, QStringLiteral("--means"),
                       QString::fromStdString(means)});
        const std::string frame =
            listen::EncodeFrame(listen::FrameType::Audio, std::string(3200, '\0'));
        process.write(frame.data(), static_cast<qint64>(frame.size()));
        process.closeWriteChannel();
        ASSERT_TRUE(process.waitForFinished(20000)) << name;
        const QByteArray output = process.readAllStandardOutput();
        EXPECT_EQ(process.exitCode(), 0) << name;
        EXPECT_TRUE(output.startsWith("state ready\n")) << name << ": " << output.toStdString();
        EXPECT_TRUE(output.endsWith("state end\n")) << name;
    }
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
