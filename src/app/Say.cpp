#include "app/Say.h"

#include <QFile>
#include <cstdio>
#include <optional>

#include "speech/OpenJTalkSynth.h"
#include "speech/SpeechPieces.h"

namespace kazu {

const char* const kSayUsage =
    "usage: kazuchan --say TEXT [--out FILE.wav] [--rate 0..10] [--volume 0..100] [--visemes]\n";

namespace {

struct SayOptions {
    QString text;
    QString out;
    int rate = 0;
    int volume = 100;
    bool visemes = false;
};

std::optional<QString> Parse(const QStringList& args, SayOptions& options) {
    if (args.isEmpty() || args.front().startsWith(QLatin1String("--"))) {
        return QStringLiteral("the text is missing");
    }
    options.text = args.front();
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& name = args[i];
        if (name == QLatin1String("--visemes")) {
            options.visemes = true;
            continue;
        }
        if (i + 1 >= args.size()) {
            return name + QStringLiteral(" needs a value");
        }
        const QString& value = args[++i];
        bool ok = false;
        if (name == QLatin1String("--out")) {
            options.out = value;
            ok = !value.isEmpty();
        } else if (name == QLatin1String("--rate")) {
            options.rate = value.toInt(&ok);
            ok = ok && options.rate >= 0 && options.rate <= 10;
        } else if (name == QLatin1String("--volume")) {
            options.volume = value.toInt(&ok);
            ok = ok && options.volume >= 0 && options.volume <= 100;
        } else {
            return QStringLiteral("unknown option ") + name;
        }
        if (!ok) {
            return QStringLiteral("bad value for ") + name + QStringLiteral(": ") + value;
        }
    }
    if (options.out.isEmpty() && !options.visemes) {
        return QStringLiteral("give --out FILE.wav, --visemes or both");
    }
    return std::nullopt;
}

void AppendLittleEndian(QByteArray& bytes, quint32 value, int size) {
    for (int i = 0; i < size; ++i) {
        bytes.append(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

// A mono 16-bit PCM RIFF file written as the samples come, its sizes filled in at the end.
class WavWriter {
  public:
    explicit WavWriter(const QString& path) : file_(path) {}

    bool Open(int sampleRate) {
        return file_.open(QIODevice::WriteOnly) && Write(Header(sampleRate, 0));
    }
    bool Append(const std::vector<int16_t>& samples) {
        dataBytes_ += static_cast<qint64>(samples.size()) * 2;
        QByteArray bytes;
        bytes.reserve(static_cast<qsizetype>(samples.size()) * 2);
        for (const int16_t sample : samples) {
            AppendLittleEndian(bytes, static_cast<quint16>(sample), 2);
        }
        return dataBytes_ <= kMaxDataBytes && Write(bytes);
    }
    bool Close(int sampleRate) {
        const bool ok = file_.isOpen() && file_.seek(0) && Write(Header(sampleRate, dataBytes_));
        file_.close();
        return ok && file_.error() == QFileDevice::NoError;
    }

  private:
    static constexpr qint64 kMaxDataBytes = 0xFFFFFFFFLL - 36;  // what the sizes can hold

    static QByteArray Header(int sampleRate, qint64 dataBytes) {
        QByteArray bytes("RIFF");
        AppendLittleEndian(bytes, static_cast<quint32>(36 + dataBytes), 4);
        bytes.append("WAVEfmt ");
        AppendLittleEndian(bytes, 16, 4);  // size of the format chunk
        AppendLittleEndian(bytes, 1, 2);   // PCM
        AppendLittleEndian(bytes, 1, 2);   // channels
        AppendLittleEndian(bytes, static_cast<quint32>(sampleRate), 4);
        AppendLittleEndian(bytes, static_cast<quint32>(sampleRate) * 2, 4);  // bytes a second
        AppendLittleEndian(bytes, 2, 2);                                     // bytes a frame
        AppendLittleEndian(bytes, 16, 2);                                    // bits a sample
        bytes.append("data");
        AppendLittleEndian(bytes, static_cast<quint32>(dataBytes), 4);
        return bytes;
    }
    bool Write(const QByteArray& bytes) { return file_.write(bytes) == bytes.size(); }

    QFile file_;
    qint64 dataBytes_ = 0;
};

}  // namespace

int RunSay(const QStringList& arguments) {
    SayOptions options;
    if (const auto error = Parse(arguments, options)) {
        std::fprintf(stderr, "kazuchan: %s\n%s", qUtf8Printable(*error), kSayUsage);
        return 2;
    }
    OpenJTalkSynth synth;
    if (LoadFirstVoice(synth, OpenJTalkPaths::Installed()).empty()) {
        std::fprintf(stderr, "kazuchan: the voice is not installed (run scripts/setup)\n");
        return 1;
    }
    // Piece after piece, as the voice plays them, and the viseme of each phoneme as it sounds;
    // each piece goes to the file as soon as it is made.
    const int sampleRate = synth.sampleRate();
    std::optional<WavWriter> wav;
    if (!options.out.isEmpty()) {
        wav.emplace(options.out);
    }
    bool written = !wav || wav->Open(sampleRate);
    size_t samples = 0;
    for (const auto& text : SplitIntoPieces(options.text.toStdString())) {
        if (!written) {
            break;
        }
        const SpeechPiece piece =
            synth.Synthesize(text, SpeedForRate(options.rate), GainForVolume(options.volume));
        for (size_t i = 0; options.visemes && i < piece.phonemes.size(); ++i) {
            const std::string next =
                i + 1 < piece.phonemes.size() ? piece.phonemes[i + 1].name : "";
            const size_t at = samples + piece.phonemes[i].start;
            std::printf("viseme %lld %d\n", static_cast<long long>(at * 1000 / sampleRate),
                        VisemeForPhoneme(piece.phonemes[i].name, next));
        }
        samples += piece.samples.size();
        written = !wav || wav->Append(piece.samples);
    }
    if (wav && !(wav->Close(sampleRate) && written)) {
        std::fprintf(stderr, "kazuchan: cannot write %s\n", qUtf8Printable(options.out));
        return 1;
    }
    return 0;
}

}  // namespace kazu
