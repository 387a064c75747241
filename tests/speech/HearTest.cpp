// `kazuchan --hear`: the real engine listening to the real voice, run as programs.
#include <QFile>
#include <QProcess>
#include <cmath>

#include "SpeechTestSupport.h"

namespace kazu {
namespace {

struct ProgramRun {
    bool finished;
    int status;
    QString out;
    QString errors;
};

ProgramRun Kazuchan(const QStringList& arguments, int timeoutMs = 30000) {
    QProcess process;
    process.start(QStringLiteral(KAZUCHAN_EXE), arguments);
    const bool finished = process.waitForFinished(timeoutMs);
    if (!finished) {
        process.kill();
        process.waitForFinished();
    }
    return {finished, process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

// A 16-bit PCM WAV file of the samples given.
std::string Wav(const std::vector<int16_t>& samples, int rate, int bits = 16) {
    auto put = [](std::string& out, uint32_t value, int size) {
        for (int i = 0; i < size; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
    };
    const auto bytes = static_cast<uint32_t>(samples.size() * 2);
    std::string wav = "RIFF";
    put(wav, 36 + bytes, 4);
    wav += "WAVEfmt ";
    put(wav, 16, 4);
    put(wav, 1, 2);  // PCM
    put(wav, 1, 2);  // mono
    put(wav, static_cast<uint32_t>(rate), 4);
    put(wav, static_cast<uint32_t>(rate * 2), 4);
    put(wav, 2, 2);
    put(wav, static_cast<uint32_t>(bits), 2);
    wav += "data";
    put(wav, bytes, 4);
    for (const int16_t sample : samples) put(wav, static_cast<uint16_t>(sample), 2);
    return wav;
}

// The samples and rate of a 16-bit mono WAV file as the voice writes it; nothing when it is not.
std::pair<std::vector<int16_t>, int> Samples(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray wav = file.readAll();
    const qsizetype data = wav.indexOf("data");
    if (wav.size() < 44 || data < 0)
        return {};
    const auto byte = [&](qsizetype i) { return static_cast<unsigned char>(wav[i]); };
    const int rate = byte(24) | byte(25) << 8 | byte(26) << 16 | byte(27) << 24;
    std::vector<int16_t> samples;
    for (qsizetype i = data + 8; i + 1 < wav.size(); i += 2)
        samples.push_back(static_cast<int16_t>(byte(i) | byte(i + 1) << 8));
    return {samples, rate};
}

class HearTest : public ::testing::Test {
  protected:
    QString Path(const std::string& name) const {
        return QString::fromStdString(folder_.path() + "/" + name);
    }
    // The voice saying `text`, as a WAV file.
    QString Said(const QString& text, const std::string& name) const {
        const QString wav = Path(name);
        const ProgramRun run =
            Kazuchan({QStringLiteral("--say"), text, QStringLiteral("--out"), wav});
        EXPECT_EQ(run.status, 0) << run.errors.toStdString();
        return wav;
    }
    ScratchFolder folder_;
};

TEST_F(HearTest, SpokenCommandIsHeardAsItsNumber) {
    KAZU_REQUIRE_VOICE();
    const ProgramRun run =
        Kazuchan({QStringLiteral("--hear"), Said(QStringLiteral("クリア"), "clear.wav"),
                  QStringLiteral("--mode"), QStringLiteral("command")});
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.status, 0) << run.errors.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("command 4 \"クリア\""))) << run.out.toStdString();
    // The engine's own log stays out of sight.
    EXPECT_FALSE(run.errors.contains(QStringLiteral("STAT:"))) << run.errors.toStdString();
}

TEST_F(HearTest, SpokenCalculationIsHeardAsDictationWritesIt) {
    KAZU_REQUIRE_VOICE();
    const ProgramRun run =
        Kazuchan({QStringLiteral("--hear"), Said(QStringLiteral("さんかけるよんわ"), "calc.wav")});
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.status, 0) << run.errors.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("heard \"3かける4わ\""))) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("input \"3*4=\""))) << run.out.toStdString();
}

// A child at a classroom microphone: some 26 dB below full scale, and a voice whose pitch and
// formants lie a quarter higher than those of the adult voices the models learned from.
TEST_F(HearTest, FaintAndChildlikeCalculationsAreHeard) {
    KAZU_REQUIRE_VOICE();
    const auto [samples, rate] = Samples(Said(QStringLiteral("さんかけるよんわ"), "calc.wav"));
    ASSERT_FALSE(samples.empty());
    std::vector<int16_t> faint, higher;
    for (const int16_t sample : samples) faint.push_back(static_cast<int16_t>(sample / 16));
    // Played four semitones faster: every frequency a quarter higher.
    const double step = std::pow(2.0, 4.0 / 12);
    for (double at = 0; at + 1 < static_cast<double>(samples.size()); at += step) {
        const auto i = static_cast<size_t>(at);
        const double part = at - static_cast<double>(i);
        higher.push_back(
            static_cast<int16_t>(std::lround((1 - part) * samples[i] + part * samples[i + 1])));
    }
    for (const auto& [name, heard] : {std::pair{"faint.wav", faint}, {"higher.wav", higher}}) {
        const ProgramRun run =
            Kazuchan({QStringLiteral("--hear"),
                      QString::fromStdString(folder_.Write(name, Wav(heard, rate)))});
        ASSERT_TRUE(run.finished) << name;
        EXPECT_TRUE(run.out.contains(QStringLiteral("heard \"3かける4わ\"")))
            << name << ": " << run.out.toStdString();
    }
}

// Ten minutes of a quiet room go through much faster than they last, and nobody spoke.
TEST_F(HearTest, LongFaintNoiseEndsWithoutRecognitions) {
    std::vector<int16_t> samples(16000 * 600);
    uint32_t seed = 1;
    for (auto& sample : samples) {
        seed = seed * 1664525 + 1013904223;
        sample = static_cast<int16_t>(static_cast<int>((seed >> 16) % 61) - 30);
    }
    const std::string wav = folder_.Write("noise.wav", Wav(samples, 16000));
    const ProgramRun run =
        Kazuchan({QStringLiteral("--hear"), QString::fromStdString(wav)}, 120000);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.status, 0) << run.errors.toStdString();
    for (const QString& line : run.out.split(u'\n', Qt::SkipEmptyParts))
        EXPECT_EQ(line, QStringLiteral("rejected"));
}

TEST_F(HearTest, FilesThatAreNoAudioAreRefused) {
    std::string truncated = Wav(std::vector<int16_t>(1600, 100), 16000);
    truncated.resize(truncated.size() / 2);
    const std::pair<std::string, std::string> files[] = {
        {"text.wav", "this is not a WAV file at all, just some words to fill it up.\n"},
        {"truncated.wav", truncated},
        {"eight-bit.wav", Wav(std::vector<int16_t>(1600, 100), 16000, 8)},
        {"empty.wav", ""},
    };
    for (const auto& [name, bytes] : files) {
        const ProgramRun run = Kazuchan(
            {QStringLiteral("--hear"), QString::fromStdString(folder_.Write(name, bytes))});
        ASSERT_TRUE(run.finished) << name;
        EXPECT_EQ(run.status, 1) << name;
        EXPECT_TRUE(run.errors.contains(QStringLiteral("is not a 16-bit PCM WAV file")))
            << name << ": " << run.errors.toStdString();
        EXPECT_TRUE(run.out.isEmpty()) << name;
    }
    const ProgramRun missing = Kazuchan({QStringLiteral("--hear"), Path("missing.wav")});
    ASSERT_TRUE(missing.finished);
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(missing.errors.contains(QStringLiteral("cannot read")))
        << missing.errors.toStdString();
}

TEST_F(HearTest, UnusableGrammarLeavesVoiceInputUnavailable) {
    const std::string wav = folder_.Write("short.wav", Wav(std::vector<int16_t>(1600, 0), 16000));
    const std::string broken = folder_.Write(
        "broken.xml",
        "<GRAMMAR><RULE NAME=\"Help\"><PROPERTY NAME=\"chosencommand\">"
        "<PROPERTY NAME=\"commandvalue\" VAL=\"18\"/></PROPERTY><P>help me</P></RULE></GRAMMAR>");
    const ProgramRun unreadable =
        Kazuchan({QStringLiteral("--hear"), QString::fromStdString(wav),
                  QStringLiteral("--grammar"), QString::fromStdString(broken)});
    ASSERT_TRUE(unreadable.finished);
    EXPECT_EQ(unreadable.status, 1);
    EXPECT_TRUE(unreadable.errors.contains(QStringLiteral("voice input is unavailable")))
        << unreadable.errors.toStdString();
    EXPECT_TRUE(unreadable.errors.contains(QStringLiteral("help me")))
        << unreadable.errors.toStdString();

    const ProgramRun missing = Kazuchan({QStringLiteral("--hear"), QString::fromStdString(wav),
                                         QStringLiteral("--grammar"), Path("none.xml")});
    ASSERT_TRUE(missing.finished);
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(missing.errors.contains(QStringLiteral("voice input is unavailable")))
        << missing.errors.toStdString();
}

TEST_F(HearTest, UsageErrors) {
    const std::string wav = folder_.Write("short.wav", Wav(std::vector<int16_t>(1600, 0), 16000));
    const QString file = QString::fromStdString(wav);
    const QStringList wrong[] = {
        {QStringLiteral("--hear")},
        {QStringLiteral("--hear"), QStringLiteral("--mode"), QStringLiteral("calc")},
        {QStringLiteral("--hear"), file, QStringLiteral("--mode")},
        {QStringLiteral("--hear"), file, QStringLiteral("--mode"), QStringLiteral("dictation")},
        {QStringLiteral("--hear"), file, QStringLiteral("--grammar"), QString()},
        {QStringLiteral("--hear"), file, QStringLiteral("--loud"), QStringLiteral("1")},
    };
    for (const QStringList& arguments : wrong) {
        const ProgramRun run = Kazuchan(arguments);
        EXPECT_EQ(run.status, 2) << arguments.join(u' ').toStdString();
        EXPECT_TRUE(run.errors.contains(QStringLiteral("usage:"))) << run.errors.toStdString();
    }
}

}  // namespace
}  // namespace kazu
