// `kazuchan --say`: the WAV file and the viseme lines, run as a program.
#include <QFile>
#include <QProcess>
#include <QtEndian>

#include "SpeechTestSupport.h"
#include "speech/SpeechPieces.h"

namespace kazu {
namespace {

struct SayRun {
    int status;
    QString out;
};

SayRun Say(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(KAZUCHAN_EXE), QStringList{QStringLiteral("--say")} + arguments);
    process.waitForFinished(60000);
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput())};
}

TEST(SayTest, WritesTheAudioAndTheVisemesTheVoicePlays) {
    KAZU_REQUIRE_VOICE();
    ScratchFolder folder;
    const QString wav = QString::fromStdString(folder.path() + "/sum.wav");
    const SayRun run =
        Say({QStringLiteral("12たす9イコール21"), QStringLiteral("--out"), wav,
             QStringLiteral("--visemes"), QStringLiteral("--volume"), QStringLiteral("50")});
    ASSERT_EQ(run.status, 0);

    OpenJTalkSynth synth;
    LoadFirstVoice(synth, OpenJTalkPaths::Installed());
    const SpeechPiece piece = synth.Synthesize("12たす9イコール21", 1.0, 0.5);
    QStringList expected;
    for (size_t i = 0; i < piece.phonemes.size(); ++i) {
        const std::string next = i + 1 < piece.phonemes.size() ? piece.phonemes[i + 1].name : "";
        expected << QStringLiteral("viseme %1 %2")
                        .arg(piece.phonemes[i].start * 1000 / 48000)
                        .arg(VisemeForPhoneme(piece.phonemes[i].name, next));
    }
    EXPECT_EQ(run.out.split('\n', Qt::SkipEmptyParts), expected);

    QFile file(wav);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ASSERT_EQ(bytes.size(), 44 + static_cast<qsizetype>(piece.samples.size()) * 2);
    EXPECT_EQ(bytes.left(4), "RIFF");
    EXPECT_EQ(bytes.mid(8, 8), "WAVEfmt ");
    const auto* data = reinterpret_cast<const uchar*>(bytes.constData());
    EXPECT_EQ(qFromLittleEndian<quint32>(data + 4), static_cast<quint32>(bytes.size() - 8));
    EXPECT_EQ(qFromLittleEndian<quint16>(data + 22), 1u);  // mono
    EXPECT_EQ(qFromLittleEndian<quint32>(data + 24), 48000u);
    EXPECT_EQ(qFromLittleEndian<quint16>(data + 34), 16u);
    EXPECT_EQ(bytes.mid(36, 4), "data");
    for (size_t i = 0; i < piece.samples.size(); i += 101) {
        EXPECT_EQ(qFromLittleEndian<qint16>(data + 44 + 2 * i), piece.samples[i]) << i;
    }
}

TEST(SayTest, UsageErrors) {
    EXPECT_EQ(Say({}).status, 2);
    EXPECT_EQ(Say({QStringLiteral("いち")}).status, 2);  // neither --out nor --visemes
    EXPECT_EQ(Say({QStringLiteral("いち"), QStringLiteral("--rate"), QStringLiteral("11"),
                   QStringLiteral("--visemes")})
                  .status,
              2);
    EXPECT_EQ(Say({QStringLiteral("いち"), QStringLiteral("--out")}).status, 2);
    EXPECT_EQ(Say({QStringLiteral("いち"), QStringLiteral("--loud"), QStringLiteral("1")}).status,
              2);
}

}  // namespace
}  // namespace kazu
