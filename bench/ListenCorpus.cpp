#include "ListenCorpus.h"

#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <QTemporaryFile>
#include <algorithm>
#include <array>
#include <cmath>
#include <random>

#include "app/Hear.h"

namespace kazu::bench {

namespace {

// Draws by hand: std's distributions differ between libraries, the corpus must not.
class Draw {
  public:
    explicit Draw(uint32_t seed) : engine_(seed) {}
    int Below(int n) { return static_cast<int>(engine_() % static_cast<uint32_t>(n)); }
    bool Chance(int percent) { return Below(100) < percent; }
    template <typename T, size_t N>
    const T& Pick(const std::array<T, N>& items) {
        return items[static_cast<size_t>(Below(static_cast<int>(N)))];
    }

  private:
    std::mt19937 engine_;
};

constexpr std::array<const char*, 10> kDigits = {"ぜろ", "いち", "に",   "さん", "よん",
                                                 "ご",   "ろく", "なな", "はち", "きゅう"};

std::string Digit(int digit, Draw& draw) {
    if (digit == 0)
        return draw.Chance(50) ? "ぜろ" : "れい";
    return kDigits[static_cast<size_t>(digit)];
}

// 1 ≤ n < 100000 counted with 十, 百, 千 and 万, with the sound changes of each place.
std::string Counted(int n) {
    std::string out;
    if (const int man = n / 10000; man > 0)
        out += std::string(kDigits[static_cast<size_t>(man)]) + "まん";
    const int sen = n / 1000 % 10;
    const int hyaku = n / 100 % 10;
    const int juu = n / 10 % 10;
    const int one = n % 10;
    static constexpr std::array<const char*, 10> kSen = {
        "",       "せん",     "にせん",   "さんぜん", "よんせん",
        "ごせん", "ろくせん", "ななせん", "はっせん", "きゅうせん"};
    static constexpr std::array<const char*, 10> kHyaku = {
        "",         "ひゃく",     "にひゃく",   "さんびゃく", "よんひゃく",
        "ごひゃく", "ろっぴゃく", "ななひゃく", "はっぴゃく", "きゅうひゃく"};
    out += kSen[static_cast<size_t>(sen)];
    out += kHyaku[static_cast<size_t>(hyaku)];
    if (juu > 0)
        out += std::string(juu == 1 ? "" : kDigits[static_cast<size_t>(juu)]) + "じゅう";
    if (one > 0)
        out += kDigits[static_cast<size_t>(one)];
    return out;
}

// A number of one to five digits, the shorter ones likelier, as children's sums are.
int DrawNumber(Draw& draw) {
    static constexpr std::array<int, 10> kDigitsOf = {1, 1, 2, 2, 2, 3, 3, 3, 4, 5};
    const int digits = kDigitsOf[static_cast<size_t>(draw.Below(10))];
    int low = 1;
    for (int i = 1; i < digits; ++i) low *= 10;
    return low + draw.Below(9 * low);
}

Said DrawOperand(Draw& draw) {
    const int form = draw.Below(100);
    if (form < 15) {  // a decimal
        const int whole = draw.Chance(40) ? 0 : 1 + draw.Below(99);
        std::string reading;
        if (whole == 0) {
            reading = Digit(0, draw);
        } else {
            reading = Counted(whole);
            // いち, ろく, はち and じゅう shorten before てん.
            static constexpr std::array<std::pair<const char*, const char*>, 4> kShort = {
                {{"いち", "いっ"}, {"ろく", "ろっ"}, {"はち", "はっ"}, {"じゅう", "じゅっ"}}};
            for (const auto& [full, shortened] : kShort)
                if (reading.ends_with(full)) {
                    reading.resize(reading.size() - std::string_view(full).size());
                    reading += shortened;
                    break;
                }
        }
        reading += "てん";
        std::string fraction;
        const int places = 1 + draw.Below(2);
        for (int i = 0; i < places; ++i) {
            const int digit = i + 1 == places ? 1 + draw.Below(9) : draw.Below(10);
            reading += Digit(digit, draw);
            fraction += static_cast<char>('0' + digit);
        }
        return {reading, std::to_string(whole) + "." + fraction};
    }
    if (form < 20)  // zero alone
        return {Digit(0, draw), "0"};
    if (form < 45) {  // digit by digit
        const int count = 2 + draw.Below(4);
        std::string reading, text;
        for (int i = 0; i < count; ++i) {
            const int digit = i == 0 ? 1 + draw.Below(9) : draw.Below(10);
            reading += Digit(digit, draw);
            text += static_cast<char>('0' + digit);
        }
        return {reading, text};
    }
    const int n = DrawNumber(draw);
    return {Counted(n), std::to_string(n)};
}

}  // namespace

std::vector<Said> DrawCalculations(uint32_t seed, int count) {
    struct Word {
        const char* reading;
        const char* text;
    };
    static constexpr std::array<Word, 6> kOperators = {{{"たす", "+"},
                                                        {"ひく", "-"},
                                                        {"かける", "かける"},
                                                        {"わる", "わる"},
                                                        {"ぷらす", "プラス"},
                                                        {"まいなす", "マイナス"}}};
    Draw draw(seed);
    std::vector<Said> out;
    for (int i = 0; i < count; ++i) {
        const Said left = DrawOperand(draw);
        const Said right = DrawOperand(draw);
        // The four operators alike; plus and minus half the time in their loanword.
        const int which = draw.Below(4);
        const Word& op =
            kOperators[static_cast<size_t>(which < 2 && draw.Chance(25) ? which + 4 : which)];
        const bool equals = draw.Chance(35);
        out.push_back({left.reading + op.reading + right.reading + (equals ? "いこーる" : "わ"),
                       left.text + op.text + right.text + (equals ? "イコール" : "わ")});
    }
    return out;
}

std::vector<Said> DrawSentences(uint32_t seed, int count) {
    static constexpr std::array<const char*, 8> kWhen = {
        "きのう", "きょう", "あした", "にちようび", "さっき", "あさ", "ほうかご", "なつやすみ"};
    static constexpr std::array<const char*, 8> kWhere = {
        "こうえん",           "がっこう", "としょかん", "うみ",
        "おばあちゃんのいえ", "プール",   "やま",       "にわ"};
    static constexpr std::array<const char*, 8> kDid = {
        "あそびました",       "ほんをよみました", "はしりました",   "えをかきました",
        "おべんとうをたべた", "ともだちにあった", "サッカーをする", "むしをみつけたよ"};
    static constexpr std::array<const char*, 8> kWho = {
        "ねこ", "いぬ", "うさぎ", "おとうと", "おねえちゃん", "せんせい", "おかあさん", "ともだち"};
    static constexpr std::array<const char*, 8> kHow = {"すきです",   "かわいいね",   "ねている",
                                                        "おこってた", "わらってるよ", "はやいね",
                                                        "まってるよ", "どこかな"};
    static constexpr std::array<const char*, 6> kFood = {"パン",     "カレー",   "りんご",
                                                         "おにぎり", "ラーメン", "ぎゅうにゅう"};
    Draw draw(seed);
    std::vector<Said> out;
    for (int i = 0; i < count; ++i) {
        std::string reading;
        switch (draw.Below(5)) {
            case 0:
                reading = std::string(draw.Pick(kWhen)) + "わ" + draw.Pick(kWhere) + "で" +
                          draw.Pick(kDid);
                break;
            case 1:
                reading = std::string(draw.Pick(kWho)) + "が" + draw.Pick(kHow);
                break;
            case 2:  // numbers in a sentence are no calculation and no command either
                reading = std::string("ぼくわ") + Counted(5 + draw.Below(8)) + "さいです";
                break;
            case 3:
                reading = std::string(draw.Pick(kWhen)) + "の" +
                          (draw.Chance(50) ? "きゅうしょく" : "おやつ") + "わ" + draw.Pick(kFood) +
                          "でした";
                break;
            default:
                reading = std::string(draw.Pick(kWho)) + "と" + draw.Pick(kWhere) + "に" +
                          (draw.Chance(50) ? "いきたいな" : "いったよ");
                break;
        }
        out.push_back({reading, {}});
    }
    return out;
}

std::vector<Speaker> InstalledSpeakers() {
    const QString mei = QStringLiteral("/usr/local/share/kazuchan/voice/mei/mei_%1.htsvoice");
    const QString m001 =
        QStringLiteral("/usr/share/hts-voice/nitech-jp-atr503-m001/nitech_jp_atr503_m001.htsvoice");
    std::vector<Speaker> speakers = {
        {QStringLiteral("Mei"), mei.arg(QStringLiteral("normal"))},
        {QStringLiteral("Mei bashful"), mei.arg(QStringLiteral("bashful"))},
        {QStringLiteral("Mei deeper"), mei.arg(QStringLiteral("happy")), 0.60, -4},
        {QStringLiteral("m001"), m001},
        {QStringLiteral("m001 higher"), m001, 0.50, 5},
    };
    std::erase_if(speakers, [](const Speaker& speaker) { return !QFile::exists(speaker.voice); });
    return speakers;
}

const char* ConditionName(Condition condition) {
    switch (condition) {
        case Condition::Plain:
            return "plain";
        case Condition::Child:
            return "child-like";
        case Condition::Pink20:
            return "pink 20 dB";
        case Condition::Pink10:
            return "pink 10 dB";
        case Condition::Babble20:
            return "babble 20 dB";
        case Condition::Babble10:
            return "babble 10 dB";
        case Condition::Reverb:
            return "reverb";
    }
    return "";
}

bool Noisy(Condition condition) {
    return condition == Condition::Pink20 || condition == Condition::Pink10 ||
           condition == Condition::Babble20 || condition == Condition::Babble10;
}

namespace {

bool Run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(program, arguments);
    return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

QString Key(const QStringList& parts) {
    return QString::fromLatin1(
        QCryptographicHash::hash(parts.join(QChar(0)).toUtf8(), QCryptographicHash::Md5).toHex());
}

qint16 At(const QByteArray& samples, qsizetype i) {
    return static_cast<qint16>(static_cast<unsigned char>(samples[2 * i]) |
                               (static_cast<unsigned char>(samples[2 * i + 1]) << 8));
}

void Put(QByteArray& samples, qsizetype i, double value) {
    const int v = std::clamp(static_cast<int>(std::lround(value)), -32768, 32767);
    samples[2 * i] = static_cast<char>(v & 0xFF);
    samples[2 * i + 1] = static_cast<char>((v >> 8) & 0xFF);
}

// The mean power of the speech itself: its 20 ms frames within 40 dB of the loudest.
double SpeechPower(const QByteArray& speech) {
    std::vector<double> frames;
    for (qsizetype start = 0; start + 320 <= speech.size() / 2; start += 320) {
        double sum = 0;
        for (qsizetype i = start; i < start + 320; ++i)
            sum += double(At(speech, i)) * At(speech, i);
        frames.push_back(sum / 320);
    }
    if (frames.empty())
        return 1;
    const double loudest = *std::max_element(frames.begin(), frames.end());
    double sum = 0;
    int count = 0;
    for (const double power : frames)
        if (power * 1e4 >= loudest) {
            sum += power;
            ++count;
        }
    return sum / count;
}

}  // namespace

QByteArray Studio::Voice(const Speaker& speaker, const std::string& reading, Condition condition) {
    const QString text = QString::fromStdString(reading);
    // At its own volume the synthesiser's loudest syllables clip: 6 dB less leaves them whole.
    const QString volume = QStringLiteral("-6");
    const QString raw = dir_.filePath(Key({speaker.voice, QString::number(speaker.allPass),
                                           QString::number(speaker.pitch), volume, text}) +
                                      QStringLiteral(".48k.wav"));
    if (!QFile::exists(raw)) {
        QTemporaryFile input;
        if (!input.open())
            return {};
        input.write(text.toUtf8() + '\n');
        input.flush();
        QStringList arguments = {
            QStringLiteral("-x"),  QStringLiteral("/var/lib/mecab/dic/open-jtalk/naist-jdic"),
            QStringLiteral("-m"),  speaker.voice,
            QStringLiteral("-ow"), raw,
            QStringLiteral("-g"),  volume};
        if (speaker.allPass > 0)
            arguments << QStringLiteral("-a") << QString::number(speaker.allPass);
        if (speaker.pitch != 0)
            arguments << QStringLiteral("-fm") << QString::number(speaker.pitch);
        arguments << input.fileName();
        if (!Run(QStringLiteral("open_jtalk"), arguments))
            return {};
    }
    // Child-like: 4 semitones up and slower; reverb: a small classroom, its tail kept.
    QStringList effects;
    if (condition == Condition::Child)
        effects = {QStringLiteral("pitch"), QStringLiteral("400"), QStringLiteral("tempo"),
                   QStringLiteral("-s"), QStringLiteral("0.85")};
    else if (condition == Condition::Reverb)
        effects = {QStringLiteral("pad"),    QStringLiteral("0"),  QStringLiteral("0.5"),
                   QStringLiteral("reverb"), QStringLiteral("40"), QStringLiteral("50"),
                   QStringLiteral("70")};
    // As loud as a classroom microphone hears a child at arm's length: peaks some 12 dB below
    // full scale, not at it.
    effects << QStringLiteral("gain") << QStringLiteral("-n") << QStringLiteral("-12");
    const QString out =
        dir_.filePath(Key({raw, effects.join(QChar(' '))}) + QStringLiteral(".16k.wav"));
    if (!QFile::exists(out)) {
        // -R: the same dither every time, so that a corpus made again is the same corpus.
        QStringList arguments = {QStringLiteral("-R"),
                                 raw,
                                 QStringLiteral("-r"),
                                 QStringLiteral("16000"),
                                 QStringLiteral("-c"),
                                 QStringLiteral("1"),
                                 out};
        if (!Run(QStringLiteral("sox"), arguments + effects))
            return {};
    }
    QFile file(out);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return ReadWavAs16k(file.readAll()).value_or(QByteArray());
}

QByteArray MixedSamples(const QByteArray& a, const QByteArray& b, qsizetype at) {
    QByteArray out = a;
    for (qsizetype i = 0; i < b.size() / 2 && at + i < a.size() / 2; ++i)
        Put(out, at + i, double(At(a, at + i)) + At(b, i));
    return out;
}

QByteArray NoiseFor(Condition condition, const QByteArray& speech, qsizetype leadSamples,
                    qsizetype trailSamples, const QByteArray& babble, uint32_t seed) {
    const qsizetype count = leadSamples + speech.size() / 2 + trailSamples;
    std::vector<double> noise(static_cast<size_t>(count));
    uint32_t state = seed * 2654435761u + 1;
    const auto white = [&] {
        state = state * 1103515245 + 12345;
        return static_cast<double>(state >> 8) / double(1 << 24) * 2 - 1;
    };
    const bool pink = condition == Condition::Pink20 || condition == Condition::Pink10;
    const bool loud = condition == Condition::Pink10 || condition == Condition::Babble10;
    if (!Noisy(condition)) {
        for (auto& value : noise) value = 8 * white();
    } else if (pink) {
        // Paul Kellet's filter: white noise falling 3 dB an octave.
        double b0 = 0, b1 = 0, b2 = 0, b3 = 0, b4 = 0, b5 = 0, b6 = 0;
        for (auto& value : noise) {
            const double w = white();
            b0 = 0.99886 * b0 + w * 0.0555179;
            b1 = 0.99332 * b1 + w * 0.0750759;
            b2 = 0.96900 * b2 + w * 0.1538520;
            b3 = 0.86650 * b3 + w * 0.3104856;
            b4 = 0.55000 * b4 + w * 0.5329522;
            b5 = -0.7616 * b5 - w * 0.0168980;
            value = b0 + b1 + b2 + b3 + b4 + b5 + b6 + w * 0.5362;
            b6 = w * 0.115926;
        }
    } else {
        const qsizetype length = babble.size() / 2;
        const qsizetype start = length > 0 ? static_cast<qsizetype>(seed * 7919u % length) : 0;
        for (qsizetype i = 0; i < count && length > 0; ++i)
            noise[static_cast<size_t>(i)] = At(babble, (start + i) % length);
    }
    QByteArray out(count * 2, '\0');
    double scale = 1;
    if (Noisy(condition)) {
        double power = 0;
        for (const double value : noise) power += value * value;
        power /= static_cast<double>(std::max<qsizetype>(count, 1));
        const double want = SpeechPower(speech) / std::pow(10.0, (loud ? 10 : 20) / 10.0);
        scale = power > 0 ? std::sqrt(want / power) : 0;
    }
    for (qsizetype i = 0; i < count; ++i) Put(out, i, scale * noise[static_cast<size_t>(i)]);
    return out;
}

}  // namespace kazu::bench
