#include "app/Hear.h"

#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <vector>

#include "app/Paths.h"
#include "app/QtCanvas.h"
#include "core/Kokuban_v24/Kokuban.h"
#include "core/Kokuban_v24/QuietHost.h"
#include "core/RecordingCanvas.h"
#include "speech/JuliusRecognizer.h"

namespace kazu {

const char* const kHearUsage =
    "usage: kazuchan --hear FILE.wav [--mode calc|command] [--grammar FILE]\n";

namespace {

constexpr int kTimeoutMs = 120000;

quint32 LittleEndian(const QByteArray& bytes, qsizetype at, int size) {
    quint32 value = 0;
    for (int i = 0; i < size; ++i)
        value |= static_cast<quint32>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    return value;
}

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

// The first channel at 16 kHz through a Hann-windowed sinc low-pass at 7 kHz, or below the
// source's own half rate: without it, what lies above 8 kHz in a 48 kHz voice folds down into
// the band the recogniser hears. The filter is tabled for 64 phases between source samples.
template <typename Sample>
QByteArray Resampled16k(qsizetype frames, quint32 rate, const Sample& sample) {
    constexpr double kTarget = 16000;
    constexpr int kPhases = 64;
    const double step = rate / kTarget;
    const double cutoff = std::min(7000.0, 0.45 * rate) / rate;      // cycles a source sample
    const int half = static_cast<int>(std::ceil(8 / (2 * cutoff)));  // 8 zero crossings a side
    std::vector<std::vector<double>> table(kPhases + 1);
    for (int phase = 0; phase <= kPhases; ++phase) {
        double sum = 0;
        for (int tap = -half + 1; tap <= half; ++tap) {
            const double distance = tap - static_cast<double>(phase) / kPhases;
            const double x = 2 * cutoff * distance;
            const double sinc = x == 0 ? 1 : std::sin(M_PI * x) / (M_PI * x);
            table[phase].push_back(sinc * (0.5 + 0.5 * std::cos(M_PI * distance / half)));
            sum += table[phase].back();
        }
        for (double& weight : table[phase]) weight /= sum;  // unit gain
    }
    std::vector<double> source(static_cast<size_t>(frames));
    for (qsizetype frame = 0; frame < frames; ++frame)
        source[static_cast<size_t>(frame)] = sample(frame);
    QByteArray out;
    out.reserve(static_cast<qsizetype>(2 * static_cast<double>(frames) / step) + 2);
    for (double position = 0; position < static_cast<double>(frames); position += step) {
        const auto base = static_cast<qsizetype>(position);
        const auto& weights = table[static_cast<size_t>(
            std::lround((position - static_cast<double>(base)) * kPhases))];
        double value = 0;
        // Before the first sample and after the last the file is taken as silent.
        for (int tap = -half + 1; tap <= half; ++tap)
            if (const qsizetype at = base + tap; at >= 0 && at < frames)
                value +=
                    weights[static_cast<size_t>(tap + half - 1)] * source[static_cast<size_t>(at)];
        const auto rounded = static_cast<qint16>(std::lround(std::clamp(value, -32768.0, 32767.0)));
        out.append(static_cast<char>(rounded & 0xFF));
        out.append(static_cast<char>((rounded >> 8) & 0xFF));
    }
    return out;
}

}  // namespace

std::optional<QByteArray> ReadWavAs16k(const QByteArray& file) {
    if (file.size() < 44 || !file.startsWith("RIFF") || file.mid(8, 4) != "WAVE")
        return std::nullopt;
    quint32 rate = 0;
    int channels = 0;
    for (qsizetype at = 12; at + 8 <= file.size();) {
        const QByteArray id = file.mid(at, 4);
        const qsizetype size = LittleEndian(file, at + 4, 4);
        const qsizetype body = at + 8;
        if (size > file.size() - body)
            return std::nullopt;
        if (id == "fmt " && size >= 16) {
            if (LittleEndian(file, body, 2) != 1 || LittleEndian(file, body + 14, 2) != 16)
                return std::nullopt;  // PCM, 16 bits only
            channels = static_cast<int>(LittleEndian(file, body + 2, 2));
            rate = LittleEndian(file, body + 4, 4);
        } else if (id == "data") {
            if (rate < 8000 || rate > 192000 || channels < 1 || channels > 8)
                return std::nullopt;
            const qsizetype frames = size / (2 * channels);
            auto sample = [&](qsizetype frame) {
                return static_cast<qint16>(LittleEndian(file, body + 2 * frame * channels, 2));
            };
            return Resampled16k(frames, rate, sample);
        }
        at = body + size + (size & 1);
    }
    return std::nullopt;
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
    const auto samples = ReadWavAs16k(file.readAll());
    if (!samples) {
        std::fprintf(stderr, "kazuchan: %s is not a 16-bit PCM WAV file\n",
                     qUtf8Printable(options.file));
        return 1;
    }
    HearHost host;
    Kokuban model(host, host, AppSettings{});
    QImage image(902, 567, QImage::Format_RGB32);
    QtCanvas canvas(&image);
    std::vector<std::string> pauses;
    RecordingPacer pacer(pauses);
    model.SetPacer(&pacer);
    model.Start(canvas, 96);

    auto config = JuliusRecognizer::Config::Installed(ProgramFolder());
    config.microphone = false;
    config.locate = [](const QString& name) {
        return QFile::exists(name) ? name : FindDataFile(name);
    };
    JuliusRecognizer recognizer(config);
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
    QTimer::singleShot(kTimeoutMs, [] {
        std::fprintf(stderr, "kazuchan: the recogniser did not finish\n");
        QCoreApplication::exit(1);
    });
    // Half a second of silence before the recording, as a microphone has it before anyone
    // speaks (the engine keeps that much to find where speech starts), and a second after it
    // to close the last utterance.
    recognizer.FeedAudio(QuietRoom(8000) + *samples + QuietRoom(16000));
    recognizer.FinishAudio();
    const int status = QCoreApplication::exec();
    recognizer.SetListener(nullptr);
    return status;
}

}  // namespace kazu
