#include "app/Hear.h"

#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <iostream>
#include <vector>

#include "app/Paths.h"
#include "app/QtCanvas.h"
#include "core/Kokuban_v24/Kokuban.h"
#include "core/Kokuban_v24/QuietHost.h"
#include "core/RecordingCanvas.h"
#include "speech/JuliusRecognizer.h"
#include "speech/Resampler.h"

namespace kazu {

const char* const kHearUsage =
    "usage: kazuchan --hear FILE.wav [--mode calc|command] [--grammar FILE]\n";

namespace {

constexpr int kTimeoutMs = 120000;         // without the recogniser taking any audio
constexpr qint64 kAheadBytes = 64 * 1024;  // audio handed to the recogniser and not yet taken
constexpr int kPumpMs = 5;

quint32 LittleEndian(const QByteArray& bytes, qsizetype at, int size) {
    quint32 value = 0;
    for (int i = 0; i < size; ++i)
        value |= static_cast<quint32>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    return value;
}

// Where a PCM WAV file keeps its samples, and how.
struct WavLayout {
    quint32 rate = 0;
    int channels = 0;
    qint64 dataAt = 0;  // the first sample's byte
    qint64 frames = 0;
};

// The layout from the file's chunk headers; `read(at, size)` gives the file's bytes there.
// Only the headers and the format are read, never the samples.
template <typename Read>
std::optional<WavLayout> FindLayout(qint64 fileSize, const Read& read) {
    const QByteArray head = read(0, 12);
    if (fileSize < 44 || head.size() < 12 || !head.startsWith("RIFF") || head.mid(8, 4) != "WAVE")
        return std::nullopt;
    WavLayout layout;
    for (qint64 at = 12; at + 8 <= fileSize;) {
        const QByteArray header = read(at, 8);
        if (header.size() < 8)
            return std::nullopt;
        const qint64 size = LittleEndian(header, 4, 4);
        const qint64 body = at + 8;
        if (size > fileSize - body)
            return std::nullopt;
        if (header.startsWith("fmt ") && size >= 16) {
            const QByteArray format = read(body, 16);
            if (format.size() < 16 || LittleEndian(format, 0, 2) != 1 ||
                LittleEndian(format, 14, 2) != 16)
                return std::nullopt;  // PCM, 16 bits only
            layout.channels = static_cast<int>(LittleEndian(format, 2, 2));
            layout.rate = LittleEndian(format, 4, 4);
        } else if (header.startsWith("data")) {
            if (layout.rate < 8000 || layout.rate > 192000 || layout.channels < 1 ||
                layout.channels > 8)
                return std::nullopt;
            layout.dataAt = body;
            layout.frames = size / (2 * layout.channels);
            return layout;
        }
        at = body + size + (size & 1);
    }
    return std::nullopt;
}

// The first channel of the frames in `bytes`, as they stand in the file.
std::vector<int16_t> FirstChannel(const QByteArray& bytes, int channels) {
    std::vector<int16_t> samples(static_cast<size_t>(bytes.size() / (2 * channels)));
    for (size_t frame = 0; frame < samples.size(); ++frame)
        samples[frame] = static_cast<int16_t>(
            LittleEndian(bytes, static_cast<qsizetype>(frame) * 2 * channels, 2));
    return samples;
}

QByteArray LittleEndianBytes(const std::vector<int16_t>& samples) {
    QByteArray out;
    out.reserve(static_cast<qsizetype>(samples.size() * 2));
    for (const int16_t sample : samples) {
        out.append(static_cast<char>(sample & 0xFF));
        out.append(static_cast<char>((sample >> 8) & 0xFF));
    }
    return out;
}

// A WAV file's samples at 16 kHz, a block at a time, read from the file as they are needed.
class WavStream {
  public:
    WavStream(QFile& file, const WavLayout& layout)
        : file_(file), layout_(layout), resampler_(layout.rate) {
        file_.seek(layout.dataAt);
    }
    // A quarter of a second of the recording, at 16 kHz; false after the last block.
    bool Next(QByteArray& block) {
        const qint64 frames = std::min<qint64>(layout_.frames - done_, layout_.rate / 4);
        std::vector<int16_t> out;
        if (frames > 0) {
            const QByteArray bytes = file_.read(frames * 2 * layout_.channels);
            const std::vector<int16_t> samples = FirstChannel(bytes, layout_.channels);
            resampler_.Feed(samples.data(), samples.size(), out);
            done_ = bytes.size() == frames * 2 * layout_.channels ? done_ + frames : layout_.frames;
        } else {
            resampler_.Finish(out);
        }
        block = LittleEndianBytes(out);
        return frames > 0;
    }

  private:
    QFile& file_;
    WavLayout layout_;
    Resampler16k resampler_;
    qint64 done_ = 0;
};

// Replies and messages on standard output, once the start-up is over.
class HearHost : public QuietHost, public Voice {
  public:
    void ShowMessage(const std::string& text, const std::string& caption, MessageIcon) override {
        if (echo)
            std::cout << "message " << QuotedText(caption) << " " << QuotedText(text) << "\n";
    }
    void Speak(const std::string& text, int) override {
        if (echo)
            std::cout << "speak " << QuotedText(text) << "\n";
    }
    void Skip(const std::string&, int) override {}
    void SetRate(int) override {}
    void SetVolume(int) override {}
    std::vector<std::string> Voices() override { return {}; }
    void SetListener(VoiceListener*) override {}
    bool echo = false;
};

// Prints each recognition, then hands it to the model.
class HearListener : public RecognizerListener {
  public:
    explicit HearListener(Kokuban& model) : model_(model) {}
    void OnRecognition(const Recognition& recognition) override {
        std::string command;
        for (const auto& property : recognition.properties)
            for (const auto& child : property.children)
                if (property.name == "chosencommand" && child.name == "commandvalue")
                    command = child.value;
        if (command.empty())
            std::cout << "heard " << QuotedText(recognition.text) << "\n";
        else
            std::cout << "command " << command << " " << QuotedText(recognition.text) << "\n";
        const std::string before = model_.state.expression;
        model_.OnRecognition(recognition);
        if (model_.state.expression != before)
            std::cout << "input " << QuotedText(model_.state.expression) << "\n";
        std::cout.flush();
    }
    void OnInputLevel(int) override {}
    void OnRecognizerLost(const std::string& reason) override {
        std::cout << "lost " << QuotedText(reason) << "\n";
        model_.OnRecognizerLost(reason);
        lost = true;
        QCoreApplication::exit(1);
    }
    bool lost = false;

  private:
    Kokuban& model_;
};

struct HearOptions {
    QString file;
    QString mode = QStringLiteral("calc");
    QString grammar = QStringLiteral("KAZUGrammar.xml");
};

std::optional<QString> Parse(const QStringList& args, HearOptions& options) {
    if (args.isEmpty() || args.front().startsWith(QLatin1String("--")))
        return QStringLiteral("the file is missing");
    options.file = args.front();
    for (qsizetype i = 1; i < args.size(); i += 2) {
        if (i + 1 >= args.size())
            return args[i] + QStringLiteral(" needs a value");
        const QString& value = args[i + 1];
        if (args[i] == QLatin1String("--mode") &&
            (value == QLatin1String("calc") || value == QLatin1String("command")))
            options.mode = value;
        else if (args[i] == QLatin1String("--grammar") && !value.isEmpty())
            options.grammar = value;
        else
            return QStringLiteral("bad option ") + args[i] + QStringLiteral(" ") + value;
    }
    return std::nullopt;
}

// Room noise far below speech: exact zeros are not what a microphone hears, and the engine
// drops them.
QByteArray QuietRoom(int samples) {
    QByteArray out;
    quint32 seed = 12345;
    for (int i = 0; i < samples; ++i) {
        seed = seed * 1103515245 + 12345;
        const auto value = static_cast<qint16>(static_cast<int>((seed >> 16) % 17) - 8);
        out.append(static_cast<char>(value & 0xFF));
        out.append(static_cast<char>((value >> 8) & 0xFF));
    }
    return out;
}

}  // namespace

std::optional<QByteArray> ReadWavAs16k(const QByteArray& file) {
    const auto layout =
        FindLayout(file.size(), [&](qint64 at, qint64 size) { return file.mid(at, size); });
    if (!layout)
        return std::nullopt;
    Resampler16k resampler(layout->rate);
    const std::vector<int16_t> samples = FirstChannel(
        file.mid(layout->dataAt, layout->frames * 2 * layout->channels), layout->channels);
    std::vector<int16_t> out;
    resampler.Feed(samples.data(), samples.size(), out);
    resampler.Finish(out);
    return LittleEndianBytes(out);
}

int RunHear(const QStringList& arguments) {
    HearOptions options;
    if (const auto error = Parse(arguments, options)) {
        std::fprintf(stderr, "kazuchan: %s\n%s", qUtf8Printable(*error), kHearUsage);
        return 2;
    }
    QFile file(options.file);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "kazuchan: cannot read %s\n", qUtf8Printable(options.file));
        return 1;
    }
    const auto layout = FindLayout(file.size(), [&file](qint64 at, qint64 size) {
        return file.seek(at) ? file.read(size) : QByteArray();
    });
    if (!layout) {
        std::fprintf(stderr, "kazuchan: %s is not a 16-bit PCM WAV file\n",
                     qUtf8Printable(options.file));
        return 1;
    }
    // The recogniser outlives the model, whose end lets go of it.
    auto config = JuliusRecognizer::Config::Installed(ProgramFolder());
    config.microphone = false;
    config.locate = [](const QString& name) {
        return QFile::exists(name) ? name : FindDataFile(name);
    };
    JuliusRecognizer recognizer(config);
    HearHost host;
    Kokuban model(host, host, AppSettings{});
    QImage image(902, 567, QImage::Format_RGB32);
    QtCanvas canvas(&image);
    std::vector<std::string> pauses;
    RecordingPacer pacer(pauses);
    model.SetPacer(&pacer);
    model.Start(canvas, 96);

    model.SpeechSetup(recognizer, options.grammar.toStdString());
    if (model.voiceInputUnavailable()) {
        std::fprintf(stderr, "kazuchan: voice input is unavailable: %s\n",
                     qUtf8Printable(recognizer.lastError()));
        return 1;
    }
    model.S2Click();
    if (options.mode == QLatin1String("command"))
        model.EnterCommandMode();
    HearListener listener(model);
    recognizer.SetListener(&listener);
    host.echo = true;
    QObject::connect(&recognizer, &JuliusRecognizer::rejected, [] {
        std::cout << "rejected\n";
        std::cout.flush();
    });
    QObject::connect(&recognizer, &JuliusRecognizer::inputEnded, [] { QCoreApplication::exit(0); });
    QTimer watchdog;  // restarted with every block the recogniser takes
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] {
        std::fprintf(stderr, "kazuchan: the recogniser did not finish\n");
        QCoreApplication::exit(1);
    });
    watchdog.start(kTimeoutMs);
    // Half a second of silence before the recording, as a microphone has it before anyone
    // speaks (the engine keeps that much to find where speech starts), and a second after it
    // to close the last utterance. The recording goes in block by block, each once the
    // recogniser has taken most of the one before, so that little of it is ever held.
    recognizer.FeedAudio(QuietRoom(8000));
    WavStream stream(file, *layout);
    QTimer pump;
    QObject::connect(&pump, &QTimer::timeout, [&] {
        while (pump.isActive() && recognizer.pendingAudio() < kAheadBytes) {
            QByteArray block;
            const bool more = stream.Next(block);
            recognizer.FeedAudio(block);
            watchdog.start(kTimeoutMs);
            if (!more) {
                recognizer.FeedAudio(QuietRoom(16000));
                recognizer.FinishAudio();
                pump.stop();
            }
        }
    });
    pump.start(kPumpMs);
    const int status = QCoreApplication::exec();
    recognizer.SetListener(nullptr);
    return status;
}

}  // namespace kazu
