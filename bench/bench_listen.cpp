// Listening: how often the recogniser (kazuchan-listen, with the grammars the program compiles)
// hears spoken calculations, commands and other sentences right, all said by our own voice
// (kazuchan --say) at three speeds and with faint noise; the delay from the end of an utterance
// to its result; the recogniser's peak memory and its CPU while it hears a quiet room.
//
// With --voices, the same for every installed voice (bench/setup-voices) and speakers made from
// them, plain, child-like, in pink noise and babble at 20 and 10 dB and in a reverberant room.
//
// bench_listen [DIR] [--accuracy | --latency] [--voices | --held-out] [--only SPEAKER]
//              [--condition NAME] [--settled] [--verbose]
// bench_listen [DIR] --make-means OUT
//   DIR         keep the recordings there and use them again next time (else a temporary folder)
//   --accuracy  the recognition rates only, without the real-time parts; --latency the reverse
//   --make-means  the starting means the program ships, from everyday sentences, into OUT
//   --voices    the table of voices and conditions, on the part of the corpus tuned on
//   --held-out  the same table on the part never tuned on
//   --only      one speaker of the table;  --condition: one condition ("plain", "child-like",
//               "pink 20 dB", ...);  --verbose: every miss
//   --settled   each utterance is heard with the means learned on the one before, as in a
//               lesson, instead of the shipped means of a recogniser just started
#include <unistd.h>

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "ListenCorpus.h"
#include "app/Hear.h"
#include "speech/JuliusGrammar.h"
#include "speech/Recognizer.h"
#include "speech/listen/ListenProtocol.h"

namespace {

using kazu::listen::ListenEvent;

struct Calculation {
    const char* reading;
    const char* text;  // what the recogniser should deliver
};

// All four operators and both spellings of plus and minus, decimals, numbers of up to five
// digits said digit by digit and counted, and both end words.
const Calculation kCalculations[] = {
    {"さんかけるよんわ", "3かける4わ"},
    {"じゅうにたすきゅうわ", "12+9わ"},
    {"ななわるにわ", "7わる2わ"},
    {"はちたすごいこーる", "8+5イコール"},
    {"ひゃくにじゅうさんひくよんじゅうごわ", "123-45わ"},
    {"ろくかけるななわ", "6かける7わ"},
    {"きゅうじゅうきゅうたすいちわ", "99+1わ"},
    {"にじゅうごたすさんじゅうななわ", "25+37わ"},
    {"ひゃくひくじゅうはちわ", "100-18わ"},
    {"よんひゃくごじゅうろくかけるさんわ", "456かける3わ"},
    {"はっぴゃくよんじゅうわるろくわ", "840わる6わ"},
    {"せんにひゃくさんじゅうよんたすごひゃくろくじゅうななわ", "1234+567わ"},
    {"ごせんろっぴゃくななじゅうはちわるじゅうにいこーる", "5678わる12イコール"},
    {"さんまんにせんひくいちまんわ", "32000-10000わ"},
    {"いちまんひくにせんごひゃくわ", "10000-2500わ"},
    {"よんまんごせんろっぴゃくななじゅうはちたすいちわ", "45678+1わ"},
    {"きゅうまんきゅうせんきゅうひゃくきゅうじゅうきゅうひくきゅうじゅうきゅうわ", "99999-99わ"},
    {"にまんさんぜんかけるにわ", "23000かける2わ"},
    {"ななせんわるななじゅうわ", "7000わる70わ"},
    {"さんびゃくろくじゅうごわるごいこーる", "365わる5イコール"},
    {"じゅうごかけるじゅうごいこーる", "15かける15イコール"},
    {"ろっぴゃくたすよんひゃくいこーる", "600+400イコール"},
    {"じゅうかけるじゅういこーる", "10かける10イコール"},
    {"いちにさんかけるよんごわ", "123かける45わ"},
    {"いちにさんよんごたすろくななはちきゅうぜろわ", "12345+67890わ"},
    {"きゅうはちななかけるろくごわ", "987かける65わ"},
    {"よんにかけるにわ", "42かける2わ"},
    {"さんさんさんわるさんわ", "333わる3わ"},
    {"ごぜろぜろひくにごわ", "500-25わ"},
    {"にいちいちたすはちきゅうわ", "211+89わ"},
    {"はちはちはちはちひくいちいちいちいちわ", "8888-1111わ"},
    {"ななぜろわるななわ", "70わる7わ"},
    {"いちぜろぜろぜろぜろひくいちわ", "10000-1わ"},
    {"ろくよんかけるさんにいこーる", "64かける32イコール"},
    {"きゅうきゅうたすきゅうきゅういこーる", "99+99イコール"},
    {"ぜろてんさんかけるよんわ", "0.3かける4わ"},
    {"にてんごたすいってんごわ", "2.5+1.5わ"},
    {"いってんにかけるさんわ", "1.2かける3わ"},
    {"さんてんいちよんかけるにわ", "3.14かける2わ"},
    {"ぜろてんごたすぜろてんにごわ", "0.5+0.25わ"},
    {"じゅうにてんさんひくよんてんごわ", "12.3-4.5わ"},
    {"ななてんごわるにてんごわ", "7.5わる2.5わ"},
    {"にてんぜろぜろいちたすいちわ", "2.001+1わ"},
    {"ひゃくてんごひくごじゅうわ", "100.5-50わ"},
    {"よんてんはちかけるろくいこーる", "4.8かける6イコール"},
    {"ろくてんよんわるはちいこーる", "6.4わる8イコール"},
    {"ぜろてんいちたすぜろてんにいこーる", "0.1+0.2イコール"},
    {"きゅうてんきゅうひくきゅうわ", "9.9-9わ"},
    {"ごぷらすさんわ", "5プラス3わ"},
    {"じゅうまいなすよんわ", "10マイナス4わ"},
    {"にじゅうぷらすさんじゅういこーる", "20プラス30イコール"},
    {"はちまいなすはちいこーる", "8マイナス8イコール"},
    {"にかけるにわ", "2かける2わ"},
    {"ごたすごわ", "5+5わ"},
    {"よんひくいちわ", "4-1わ"},
    {"きゅうわるさんわ", "9わる3わ"},
    {"いちたすいちわ", "1+1わ"},
    {"ろくかけるはちいこーる", "6かける8イコール"},
    {"しちかけるさんわ", "7かける3わ"},
    {"ぜろたすななわ", "0+7わ"},
};

// Everyday speech, none of it in the tests, from which the starting means are made.
const char* const kMeanSentences[] = {
    "おはようございます。きょうもがんばろうね。",
    "さんすうのじかんがはじまります。",
    "にじゅうさんたすよんじゅうごはいくつかな。",
    "ぼくはきのうこうえんでサッカーをしました。",
    "わたしのすきないろはみどりです。",
    "ななひくにはごです。",
    "しゅくだいはもうおわったのかな。",
    "ひゃくえんでおかしをかいました。",
    "あしたはえんそくなのでたのしみです。",
    "ろくかけるさんはじゅうはちです。",
    "いぬのなまえはポチといいます。",
    "ごせんごひゃくまでかぞえられるよ。",
};

// What a child says to the program that is no command: all of it should be rejected.
const char* const kOtherSentences[] = {
    "今日はいい天気ですね。", "おなかがすきました。",   "明日は学校に行きます。",
    "猫が好きです。",         "犬と散歩に行きたい。",   "この本は面白い。",
    "宿題が終わらない。",     "晩ご飯は何かな。",       "公園で遊びましょう。",
    "電車が来ました。",       "外は雨が降っています。", "新しい靴を買いました。",
    "お母さんに電話する。",   "絵をかくのが好きです。", "友達と遊ぶ約束がある。",
    "牛乳を飲みたい。",       "桜が咲いています。",     "海で泳ぎたいな。",
    "昨日は寒かったね。",     "ピアノの練習をする。",   "りんごを食べました。",
    "図書館は静かです。",     "自転車に乗れるよ。",     "お風呂に入ります。",
    "朝ご飯はパンでした。",   "運動会が楽しみ。",       "先生に質問があります。",
    "風邪をひいてしまった。", "雪だるまを作ろう。",     "おじいちゃんの家に行く。",
};

// --rate R speaks 1 + 0.05 R times as fast as the voice model: with rate 5 as normal, rates 0
// and 10 are 0.8 and 1.2 times normal.
struct Speed {
    const char* name;
    int rate;
};
const Speed kSlow{"0.8x", 0};
const Speed kNormal{"1.0x", 5};
const Speed kFast{"1.2x", 10};

constexpr int kSampleRate = 16000;
constexpr int kFrameSamples = 1600;     // the program's frames: 100 ms
constexpr int kLiveFrameSamples = 320;  // 20 ms, as a microphone delivers them
constexpr int kBursts = 30;
constexpr int kNoiseAmplitude = 160;  // ±160 white noise: 36 dB below the voice (RMS)
constexpr int kLatencyUtterances = 20;
constexpr int kQuietSeconds = 30;

// Deterministic white noise of ±amplitude, as 16-bit little-endian samples.
QByteArray Noise(int samples, int amplitude, quint32 seed) {
    QByteArray out(samples * 2, '\0');
    for (int i = 0; i < samples; ++i) {
        seed = seed * 1103515245 + 12345;
        const int value = static_cast<int>((seed >> 8) % (2 * amplitude + 1)) - amplitude;
        out[2 * i] = static_cast<char>(value & 0xFF);
        out[2 * i + 1] = static_cast<char>((value >> 8) & 0xFF);
    }
    return out;
}

qint16 SampleAt(const QByteArray& samples, qsizetype i) {
    return static_cast<qint16>(static_cast<unsigned char>(samples[2 * i]) |
                               (static_cast<unsigned char>(samples[2 * i + 1]) << 8));
}

QByteArray Mixed(const QByteArray& samples, const QByteArray& noise) {
    QByteArray out = samples;
    for (qsizetype i = 0; i < samples.size() / 2; ++i) {
        const int value = std::clamp(SampleAt(samples, i) + SampleAt(noise, i), -32768, 32767);
        out[2 * i] = static_cast<char>(value & 0xFF);
        out[2 * i + 1] = static_cast<char>((value >> 8) & 0xFF);
    }
    return out;
}

// The last sample of the voice itself, past which only its trimmed tail of silence follows.
qsizetype LastSpeechSample(const QByteArray& samples) {
    int peak = 0;
    for (qsizetype i = 0; i < samples.size() / 2; ++i)
        peak = std::max(peak, std::abs(static_cast<int>(SampleAt(samples, i))));
    for (qsizetype i = samples.size() / 2; i-- > 0;)
        if (std::abs(static_cast<int>(SampleAt(samples, i))) * 50 > peak)
            return i;
    return 0;
}

struct Recording {
    QString text;
    int rate;
    QString file;
    QByteArray samples;  // 16 kHz
};

// Synthesises what is missing in `dir`, two voices at a time, and reads all of it at 16 kHz.
bool Record(std::vector<Recording>& recordings, const QDir& dir) {
    std::vector<std::pair<std::unique_ptr<QProcess>, size_t>> running;
    size_t next = 0;
    bool ok = true;
    while (ok && (next < recordings.size() || !running.empty())) {
        while (running.size() < 2 && next < recordings.size()) {
            Recording& recording = recordings[next];
            const QByteArray key = QCryptographicHash::hash(
                (recording.text + QString::number(recording.rate)).toUtf8(),
                QCryptographicHash::Md5);
            recording.file = dir.filePath(QString::fromLatin1(key.toHex()) + ".wav");
            if (!QFile::exists(recording.file)) {
                auto process = std::make_unique<QProcess>();
                process->start(
                    QStringLiteral(KAZUCHAN_EXE),
                    {QStringLiteral("--say"), recording.text, QStringLiteral("--out"),
                     recording.file, QStringLiteral("--rate"), QString::number(recording.rate)});
                running.emplace_back(std::move(process), next);
            }
            ++next;
        }
        if (running.empty())
            continue;
        QProcess& process = *running.front().first;
        ok = process.waitForFinished(60000) && process.exitCode() == 0;
        if (!ok)
            std::fprintf(stderr, "kazuchan --say failed: %s\n",
                         qUtf8Printable(recordings[running.front().second].text));
        running.erase(running.begin());
    }
    for (auto& recording : recordings) {
        QFile file(recording.file);
        const auto samples =
            file.open(QIODevice::ReadOnly) ? kazu::ReadWavAs16k(file.readAll()) : std::nullopt;
        if (!ok || !samples)
            return false;
        recording.samples = *samples;
    }
    return true;
}

QStringList ListenArguments(const QString& calc, const QString& command, bool means = true) {
    QStringList arguments = {QStringLiteral("--model"),   QStringLiteral(KAZU_JULIUS_DIR "/model"),
                             QStringLiteral("--calc"),    calc,
                             QStringLiteral("--command"), command};
    if (means)
        arguments << QStringLiteral("--means") << QStringLiteral(KAZU_SOURCE_RESOURCES);
    return arguments;
}

std::string AudioFrame(const QByteArray& samples) {
    return kazu::listen::EncodeFrame(
        kazu::listen::FrameType::Audio,
        std::string_view(samples.constData(), static_cast<size_t>(samples.size())));
}

bool IsResult(const ListenEvent& event) {
    return event.kind == ListenEvent::Kind::Calc || event.kind == ListenEvent::Kind::Command ||
           event.kind == ListenEvent::Kind::Rejected;
}

// The results of the utterances the engine heard start; the end of input closes one more,
// of the room alone, which a listening program never has.
std::vector<ListenEvent> ResultsOfSpeech(const QByteArray& output) {
    std::vector<ListenEvent> results;
    int open = 0;
    for (const QByteArray& line : output.split('\n')) {
        const auto event = kazu::listen::ParseListenLine(line.toStdString());
        if (!event)
            continue;
        if (event->kind == ListenEvent::Kind::Speech) {
            ++open;
        } else if (IsResult(*event) && open > 0) {
            --open;
            results.push_back(*event);
        }
    }
    return results;
}

// Each recording, whole, to a recogniser of its own in `mode`, two at a time and as fast as they
// take it. Closing the input makes each finish what it heard: no guessing when a result is out.
// `settled`: as in a lesson, each recogniser starts from the means learned on the recording
// heard two before it (the one before is still being heard), given ahead of the shipped ones
// as the program gives the means of its last run.
std::vector<std::vector<ListenEvent>> HearAudio(const std::vector<QByteArray>& audios,
                                                const char* mode, const QStringList& arguments,
                                                bool settled = false) {
    std::vector<std::vector<ListenEvent>> heard(audios.size());
    std::vector<std::unique_ptr<QTemporaryDir>> learned;
    for (size_t first = 0; first < audios.size(); first += 2) {
        std::vector<std::unique_ptr<QProcess>> processes;
        for (size_t i = first; i < std::min(first + 2, audios.size()); ++i) {
            QStringList listen;
            if (settled) {
                if (i >= 2)
                    listen << QStringLiteral("--means") << learned[i - 2]->path();
                learned.push_back(std::make_unique<QTemporaryDir>());
                listen << QStringLiteral("--save-means") << learned.back()->path();
            }
            auto process = std::make_unique<QProcess>();
            process->setStandardErrorFile(QProcess::nullDevice());
            process->start(QStringLiteral(KAZU_LISTEN_EXE), listen + arguments);
            std::string input = kazu::listen::EncodeFrame(kazu::listen::FrameType::Mode, mode);
            for (qsizetype at = 0; at < audios[i].size(); at += 2 * kFrameSamples)
                input += AudioFrame(audios[i].mid(at, 2 * kFrameSamples));
            process->write(input.data(), static_cast<qint64>(input.size()));
            process->closeWriteChannel();
            processes.push_back(std::move(process));
        }
        for (size_t k = 0; k < processes.size(); ++k) {
            processes[k]->waitForFinished(60000);
            heard[first + k] = ResultsOfSpeech(processes[k]->readAllStandardOutput());
        }
    }
    return heard;
}

// Each utterance after half a second of its room and followed by a second of it.
std::vector<std::vector<ListenEvent>> HearEach(const std::vector<QByteArray>& speech,
                                               const std::vector<QByteArray>& rooms,
                                               const char* mode, const QStringList& arguments) {
    std::vector<QByteArray> audios;
    for (size_t i = 0; i < speech.size(); ++i)
        audios.push_back(rooms[i].left(kSampleRate) + speech[i] + rooms[i].right(2 * kSampleRate));
    return HearAudio(audios, mode, arguments);
}

// The starting means: one recogniser per model hears all of `speech` in a row, from no means
// at all, and leaves the mean it ended with in `dir` (only the model in use keeps its mean).
bool MakeMeans(const std::vector<QByteArray>& speech, const QString& calc, const QString& command,
               const QDir& dir) {
    const std::pair<const char*, const char*> models[] = {{"calc", kazu::listen::kTriphoneMean},
                                                          {"command", kazu::listen::kPhoneMean}};
    for (const auto& [mode, name] : models) {
        QTemporaryDir saved;
        QStringList arguments = ListenArguments(calc, command, false);
        arguments << QStringLiteral("--save-means") << saved.path();
        QProcess process;
        process.setStandardErrorFile(QProcess::nullDevice());
        process.start(QStringLiteral(KAZU_LISTEN_EXE), arguments);
        std::string input = kazu::listen::EncodeFrame(kazu::listen::FrameType::Mode, mode);
        const QByteArray room = Noise(kSampleRate, 8, 3);
        for (const QByteArray& samples : speech) {
            const QByteArray audio = room + samples + room;
            for (qsizetype at = 0; at < audio.size(); at += 2 * kFrameSamples)
                input += AudioFrame(audio.mid(at, 2 * kFrameSamples));
        }
        process.write(input.data(), static_cast<qint64>(input.size()));
        process.closeWriteChannel();
        const QString file = QString::fromLatin1(name);
        if (!process.waitForFinished(120000) || process.exitCode() != 0 ||
            !QFile::exists(saved.filePath(file)))
            return false;
        QFile::remove(dir.filePath(file));
        if (!QFile::copy(saved.filePath(file), dir.filePath(file)))
            return false;
    }
    return true;
}

struct TimedEvent {
    ListenEvent event;
    qint64 nanoseconds;
};

// kazuchan-listen as the program runs it: started once, fed in real time with the protocol.
class Listener {
  public:
    bool Start(const QString& calc, const QString& command) {
        process_.setProcessChannelMode(QProcess::SeparateChannels);
        process_.setStandardErrorFile(QProcess::nullDevice());
        process_.start(QStringLiteral(KAZU_LISTEN_EXE), ListenArguments(calc, command));
        clock_.start();
        while (process_.waitForReadyRead(30000)) {
            ReadLines();
            for (const auto& timed : events_)
                if (timed.event.kind == ListenEvent::Kind::Ready)
                    return true;
        }
        return false;
    }

    qint64 Pid() const { return process_.processId(); }

    void SetMode(const char* mode) { Write(kazu::listen::FrameType::Mode, mode); }

    // One utterance in real time, in microphone-sized frames: milliseconds from writing the
    // frame with the last speech sample to the first recognition after it and to the engine's
    // end of the utterance before it; nullopt when no recognition came.
    struct Delay {
        double result;
        double ended;
    };
    std::optional<Delay> Latency(const QByteArray& speech, const QByteArray& room) {
        const qsizetype lead = kSampleRate / 2;
        const QByteArray audio = room.left(2 * lead) + speech + room.right(2 * kSampleRate);
        const qsizetype lastFrame = (lead + LastSpeechSample(speech)) / kLiveFrameSamples;
        events_.clear();
        const qint64 start = clock_.nsecsElapsed();
        qint64 spoken = 0;
        for (qsizetype frame = 0; frame * kLiveFrameSamples * 2 < audio.size(); ++frame) {
            const qint64 due = start + (frame + 1) * kLiveFrameSamples * 1000000000LL / kSampleRate;
            Pump(due);
            SendAudio(audio.mid(frame * kLiveFrameSamples * 2, kLiveFrameSamples * 2));
            process_.waitForBytesWritten(-1);
            if (frame == lastFrame)
                spoken = clock_.nsecsElapsed();
        }
        Pump(clock_.nsecsElapsed() + 2000000000LL);
        std::optional<double> ended;
        for (const auto& timed : events_) {
            if (!ended && timed.event.kind == ListenEvent::Kind::Silence &&
                timed.nanoseconds >= spoken)
                ended = static_cast<double>(timed.nanoseconds - spoken) / 1e6;
            if (IsResult(timed.event) && timed.nanoseconds >= spoken)
                return Delay{static_cast<double>(timed.nanoseconds - spoken) / 1e6,
                             ended.value_or(0)};
        }
        return std::nullopt;
    }

    // Percent of one core the recogniser used while hearing `room` in real time.
    double CpuPercent(const QByteArray& room) {
        const long before = CpuTicks();
        const qint64 start = clock_.nsecsElapsed();
        const qsizetype frames = room.size() / (2 * kLiveFrameSamples);
        for (qsizetype frame = 0; frame < frames; ++frame) {
            Pump(start + (frame + 1) * kLiveFrameSamples * 1000000000LL / kSampleRate);
            SendAudio(room.mid(frame * kLiveFrameSamples * 2, kLiveFrameSamples * 2));
            process_.waitForBytesWritten(-1);
        }
        const double seconds = static_cast<double>(clock_.nsecsElapsed() - start) / 1e9;
        return 100.0 * static_cast<double>(CpuTicks() - before) /
               static_cast<double>(sysconf(_SC_CLK_TCK)) / seconds;
    }

    long PeakResidentKilobytes() const {
        QFile status(QStringLiteral("/proc/%1/status").arg(Pid()));
        if (status.open(QIODevice::ReadOnly))
            for (const QByteArray& line : status.readAll().split('\n'))
                if (line.startsWith("VmHWM:"))
                    return line.mid(6).trimmed().split(' ').front().toLong();
        return 0;
    }

    void Stop() {
        process_.closeWriteChannel();
        if (!process_.waitForFinished(30000))
            process_.kill();
        process_.waitForFinished();
    }

  private:
    void Write(kazu::listen::FrameType type, const QByteArray& payload) {
        const std::string frame = kazu::listen::EncodeFrame(
            type, std::string_view(payload.constData(), static_cast<size_t>(payload.size())));
        process_.write(frame.data(), static_cast<qint64>(frame.size()));
    }

    void SendAudio(const QByteArray& samples) {
        Write(kazu::listen::FrameType::Audio, samples);
        ++frames_;
    }

    // Reads lines as they come until the clock reaches `until`.
    void Pump(qint64 until) {
        for (qint64 now = clock_.nsecsElapsed(); now < until; now = clock_.nsecsElapsed()) {
            const int wait = static_cast<int>(std::max<qint64>((until - now) / 1000000, 1));
            if (process_.waitForReadyRead(wait))
                ReadLines();
        }
    }

    void ReadLines() {
        const qint64 now = clock_.nsecsElapsed();
        while (process_.canReadLine()) {
            const QByteArray line = process_.readLine();
            const auto event = kazu::listen::ParseListenLine(line.toStdString());
            if (!event)
                continue;
            if (event->kind == ListenEvent::Kind::Level)
                ++levels_;
            else
                events_.push_back({*event, now});
        }
    }

    long CpuTicks() const {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(Pid()));
        if (!stat.open(QIODevice::ReadOnly))
            return 0;
        // The fields after the name in parentheses: utime and stime are the 12th and 13th.
        const QByteArray text = stat.readAll();
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        return fields.value(11).toLong() + fields.value(12).toLong();
    }

    QProcess process_;
    QElapsedTimer clock_;
    std::vector<TimedEvent> events_;
    qint64 frames_ = 0;
    qint64 levels_ = 0;
};

std::string Describe(const std::vector<ListenEvent>& results) {
    std::string text;
    for (const auto& event : results) {
        if (!text.empty())
            text += " | ";
        if (event.kind == ListenEvent::Kind::Calc)
            text += event.text + " (" + std::to_string(event.confidence).substr(0, 4) + ")";
        else if (event.kind == ListenEvent::Kind::Command)
            text += "command " + std::to_string(event.number) + " (" +
                    std::to_string(event.confidence).substr(0, 4) + ")";
        else
            text += "(rejected)";
    }
    return text.empty() ? "(nothing)" : text;
}

struct Tally {
    int right = 0;
    int total = 0;
    void Count(bool ok) {
        right += ok ? 1 : 0;
        ++total;
    }
    double Percent() const { return total == 0 ? 0 : 100.0 * right / total; }
};

// No goal: the figure alone.
void PrintRow(const char* what, const Tally& tally, const char* goal = nullptr) {
    std::printf("%-34s %4d / %-4d %6.1f %%", what, tally.right, tally.total, tally.Percent());
    if (goal)
        std::printf("   goal %s", goal);
    std::printf("\n");
}

// A calculation is right when the recognitions, put together as the program does, are its text.
Tally HearCalculations(const std::vector<Recording>& recordings, const QByteArray& noise,
                       const char* condition, const QStringList& arguments) {
    std::vector<QByteArray> speech, rooms;
    for (size_t i = 0; i < recordings.size(); ++i) {
        const QByteArray& samples = recordings[i].samples;
        speech.push_back(noise.isEmpty() ? samples : Mixed(samples, noise.left(samples.size())));
        rooms.push_back(Noise(3 * kSampleRate, noise.isEmpty() ? 8 : kNoiseAmplitude,
                              static_cast<quint32>(7 + i)));
    }
    const auto heard = HearEach(speech, rooms, "calc", arguments);
    Tally tally;
    for (size_t i = 0; i < recordings.size(); ++i) {
        std::string text;
        bool onlyCalc = !heard[i].empty();
        for (const auto& event : heard[i]) {
            onlyCalc = onlyCalc && event.kind == ListenEvent::Kind::Calc;
            text += event.text;
        }
        const bool ok = onlyCalc && text == kCalculations[i].text;
        tally.Count(ok);
        if (!ok)
            std::printf("  miss %-10s %s: %s → %s\n", condition, kCalculations[i].reading,
                        kCalculations[i].text, Describe(heard[i]).c_str());
    }
    return tally;
}

}  // namespace

// A command the program runs: one that has an opposite, heard less than sure, it asks again.
bool Runs(const ListenEvent& event) {
    return event.kind == ListenEvent::Kind::Command &&
           kazu::SureEnoughToRun(event.number, event.confidence);
}

bool NoCommand(const std::vector<ListenEvent>& events) {
    return std::none_of(events.begin(), events.end(), Runs);
}

// The delay from the end of speech to the result, over the first utterances in `mode`.
void ReportLatency(Listener& listener, const char* mode, const std::vector<Recording>& recordings,
                   const char* what) {
    listener.SetMode(mode);
    std::vector<double> latencies, endings;
    int missing = 0;
    for (size_t i = 0; i < std::min<size_t>(kLatencyUtterances, recordings.size()); ++i) {
        if (const auto latency = listener.Latency(
                recordings[i].samples, Noise(3 * kSampleRate, 8, static_cast<quint32>(i)))) {
            latencies.push_back(latency->result);
            endings.push_back(latency->ended);
        } else {
            ++missing;
        }
    }
    if (latencies.empty())
        return;
    std::sort(latencies.begin(), latencies.end());
    std::sort(endings.begin(), endings.end());
    std::printf(
        "\nlatency, end of speech to result (real time, %zu %s%s): median %.0f ms, p95 "
        "%.0f ms, max %.0f ms   goal <= 400 ms\n"
        "  of it, end of speech to the engine's end of the utterance: median %.0f ms\n",
        latencies.size(), what, missing > 0 ? ", some unanswered" : "",
        latencies[latencies.size() / 2], latencies[latencies.size() * 95 / 100], latencies.back(),
        endings[endings.size() / 2]);
}

struct VoiceRow {
    Tally calc, command, rejected;
    Tally wrongAndSure;  // of the calculations: heard wrong, yet with high confidence
    Tally askedAbout;    // of the calculations: heard with low confidence
    int opposites = 0;
};

// Every voice in every condition: calculations in calculation mode, command phrases and what is
// no command (sentences, and the room's noise alone) in command mode. `heldOut` draws the
// calculations and sentences from seeds never tuned on.
int VoicesTable(const QDir& dir, const QStringList& arguments,
                const std::map<std::string, std::set<int>>& commandReadings, bool heldOut,
                const QString& only, const QString& onlyCondition, bool verbose, bool settled) {
    using namespace kazu::bench;
    const uint32_t seed = heldOut ? 2 : 1;
    const auto calculations = DrawCalculations(seed, 30);
    const auto sentences = DrawSentences(seed, 12);
    std::vector<Speaker> speakers = InstalledSpeakers();
    std::vector<Condition> conditions;
    for (const Condition condition : kConditions)
        if (onlyCondition.isEmpty() || onlyCondition == QLatin1String(ConditionName(condition)))
            conditions.push_back(condition);
    if (!only.isEmpty())
        std::erase_if(speakers, [&](const Speaker& speaker) { return speaker.name != only; });
    Studio studio(dir);
    // Babble: four voices at once, each reading sentences none of the tests uses.
    const std::vector<Speaker> everyone = InstalledSpeakers();
    QByteArray babble;
    for (size_t k = 0; k < 4 && !everyone.empty(); ++k) {
        const Speaker& speaker = everyone[k % everyone.size()];
        QByteArray stream;
        for (const Said& said : DrawSentences(100 + static_cast<uint32_t>(k), 10))
            stream += studio.Voice(speaker, said.reading, Condition::Plain);
        babble = babble.isEmpty() ? stream
                                  : MixedSamples(babble.leftJustified(stream.size(), 0),
                                                 stream.left(babble.size()));
    }
    // Every phrase where the room is quiet; a fixed draw of them (both of each opposite pair
    // among them) in the noisy and reverberant rooms, where hearing costs the most.
    std::vector<std::pair<std::string, std::set<int>>> allCommands(commandReadings.begin(),
                                                                   commandReadings.end());
    std::vector<std::pair<std::string, std::set<int>>> someCommands;
    for (size_t i = 0; i < allCommands.size(); ++i) {
        if (kazu::HasOppositeCommand(*allCommands[i].second.begin()) || i % 4 == 0)
            someCommands.push_back(allCommands[i]);
    }

    std::map<std::pair<QString, int>, VoiceRow> rows;
    const qsizetype lead = kSampleRate / 2, trail = kSampleRate;
    for (const Speaker& speaker : speakers)
        for (const Condition condition : conditions) {
            VoiceRow& row = rows[{speaker.name, static_cast<int>(condition)}];
            uint32_t noiseSeed = 1;
            const auto audio = [&](const std::string& reading) {
                const QByteArray speech = studio.Voice(speaker, reading, condition);
                const QByteArray noise =
                    NoiseFor(condition, speech, lead, trail, babble, noiseSeed++);
                return MixedSamples(noise, speech, lead);
            };
            std::vector<QByteArray> audios;
            for (const Said& said : calculations) audios.push_back(audio(said.reading));
            const auto calcHeard = HearAudio(audios, "calc", arguments, settled);
            for (size_t i = 0; i < calculations.size(); ++i) {
                std::string text;
                bool onlyCalc = !calcHeard[i].empty();
                for (const auto& event : calcHeard[i]) {
                    onlyCalc = onlyCalc && event.kind == ListenEvent::Kind::Calc;
                    text += event.text;
                }
                const bool ok = onlyCalc && text == calculations[i].text;
                double least = 1;
                for (const auto& event : calcHeard[i]) least = std::min(least, event.confidence);
                row.calc.Count(ok);
                row.askedAbout.Count(onlyCalc && least < kazu::kSureCalculation);
                row.wrongAndSure.Count(!ok && onlyCalc && least >= kazu::kSureCalculation);
                // Both kinds with their confidence: where a threshold would fall.
                if (verbose)
                    std::printf("  %s %s, %s: %s → %s\n", ok ? "right" : "miss",
                                qUtf8Printable(speaker.name), ConditionName(condition),
                                calculations[i].text.c_str(), Describe(calcHeard[i]).c_str());
            }
            const auto& commands = condition == Condition::Plain || condition == Condition::Child
                                       ? allCommands
                                       : someCommands;
            audios.clear();
            for (const auto& command : commands) audios.push_back(audio(command.first));
            for (const Said& said : sentences) audios.push_back(audio(said.reading));
            // The room alone, three seconds of it, as loud as beside the first sentence.
            if (Noisy(condition)) {
                const QByteArray beside = studio.Voice(speaker, sentences[0].reading, condition);
                for (uint32_t i = 0; i < 4; ++i)
                    audios.push_back(NoiseFor(condition, beside, 3 * kSampleRate, 0, babble, 50 + i)
                                         .left(6 * kSampleRate));
            }
            const auto heard = HearAudio(audios, "command", arguments, settled);
            for (size_t i = 0; i < heard.size(); ++i) {
                if (i < commands.size()) {
                    const auto& numbers = commands[i].second;
                    const auto& results = heard[i];
                    const bool ok = !results.empty() && Runs(results.front()) &&
                                    numbers.contains(results.front().number);
                    row.command.Count(ok);
                    for (const auto& event : results)
                        if (Runs(event) && kazu::OppositeCommands(*numbers.begin(), event.number))
                            ++row.opposites;
                    // Those right too where an opposite could be heard, with their confidence:
                    // where the guard against opposites falls.
                    if ((!ok || kazu::HasOppositeCommand(*numbers.begin())) && verbose)
                        std::printf("  %s %s, %s: command %s → %s\n", ok ? "right" : "miss",
                                    qUtf8Printable(speaker.name), ConditionName(condition),
                                    commands[i].first.c_str(), Describe(results).c_str());
                } else {
                    const bool rejected = NoCommand(heard[i]);
                    row.rejected.Count(rejected);
                    if (!rejected && verbose)
                        std::printf("  taken %s, %s: %s → %s\n", qUtf8Printable(speaker.name),
                                    ConditionName(condition),
                                    i - commands.size() < sentences.size()
                                        ? sentences[i - commands.size()].reading.c_str()
                                        : "(the room alone)",
                                    Describe(heard[i]).c_str());
                }
            }
            std::fflush(stdout);
        }

    std::printf("\n%s part%s: %zu calculations, %zu / %zu command phrases, %zu sentences\n",
                heldOut ? "held-out" : "tuning", settled ? ", settled" : "", calculations.size(),
                allCommands.size(), someCommands.size(), sentences.size());
    std::printf("%-13s %-13s %9s %9s %9s %9s %9s %4s\n", "voice", "condition", "calc %",
                "wrong+sure", "asked %", "command %", "reject %", "opp");
    std::map<int, VoiceRow> totals;
    for (const Speaker& speaker : speakers)
        for (const Condition condition : conditions) {
            const VoiceRow& row = rows[{speaker.name, static_cast<int>(condition)}];
            std::printf("%-13s %-13s %9.1f %9.1f %9.1f %9.1f %9.1f %4d\n",
                        qUtf8Printable(speaker.name), ConditionName(condition), row.calc.Percent(),
                        row.wrongAndSure.Percent(), row.askedAbout.Percent(), row.command.Percent(),
                        row.rejected.Percent(), row.opposites);
            VoiceRow& total = totals[static_cast<int>(condition)];
            for (auto [sum, part] : {std::pair{&total.calc, &row.calc},
                                     {&total.wrongAndSure, &row.wrongAndSure},
                                     {&total.askedAbout, &row.askedAbout},
                                     {&total.command, &row.command},
                                     {&total.rejected, &row.rejected}}) {
                sum->right += part->right;
                sum->total += part->total;
            }
            total.opposites += row.opposites;
        }
    for (const Condition condition : conditions) {
        const VoiceRow& row = totals[static_cast<int>(condition)];
        std::printf("%-13s %-13s %9.1f %9.1f %9.1f %9.1f %9.1f %4d\n", "all voices",
                    ConditionName(condition), row.calc.Percent(), row.wrongAndSure.Percent(),
                    row.askedAbout.Percent(), row.command.Percent(), row.rejected.Percent(),
                    row.opposites);
    }
    return 0;
}

constexpr const char* kUsage =
    "usage: bench_listen [DIR] [--accuracy | --latency] [--voices | --held-out]\n"
    "                    [--only SPEAKER] [--condition NAME] [--settled] [--verbose]\n"
    "       bench_listen [DIR] --make-means OUT\n";

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList options = app.arguments().mid(1);
    const bool accuracyOnly = options.removeAll(QStringLiteral("--accuracy")) > 0;
    const bool latencyOnly = options.removeAll(QStringLiteral("--latency")) > 0;
    const bool voices = options.removeAll(QStringLiteral("--voices")) > 0;
    const bool heldOut = options.removeAll(QStringLiteral("--held-out")) > 0;
    const bool verbose = options.removeAll(QStringLiteral("--verbose")) > 0;
    const bool settled = options.removeAll(QStringLiteral("--settled")) > 0;
    QString only;
    if (const qsizetype at = options.indexOf(QStringLiteral("--only"));
        at >= 0 && at + 1 < options.size()) {
        only = options[at + 1];
        options.remove(at, 2);
    }
    QString condition;
    if (const qsizetype at = options.indexOf(QStringLiteral("--condition"));
        at >= 0 && at + 1 < options.size()) {
        condition = options[at + 1];
        options.remove(at, 2);
    }
    QString meansDir;
    if (const qsizetype at = options.indexOf(QStringLiteral("--make-means"));
        at >= 0 && at + 1 < options.size()) {
        meansDir = options[at + 1];
        options.remove(at, 2);
    }
    // Whatever is left is the folder: a mistyped option would otherwise become one.
    if (options.size() > 1 ||
        (!options.isEmpty() && options.front().startsWith(QLatin1Char('-')))) {
        const bool help = options == QStringList{QStringLiteral("--help")};
        std::fprintf(help ? stdout : stderr, "%s", kUsage);
        return help ? 0 : 2;
    }
    QTemporaryDir temporary;
    const QDir dir(options.isEmpty() ? temporary.path() : options.front());
    if (!temporary.isValid() || !QDir().mkpath(dir.path())) {
        std::fprintf(stderr, "no folder for the recordings\n");
        return 1;
    }

    // The grammars as the program compiles them.
    QFile xml(QStringLiteral(KAZU_SOURCE_RESOURCES "/KAZUGrammar.xml"));
    kazu::CommandGrammarFile commands;
    if (!xml.open(QIODevice::ReadOnly) || ReadCommandGrammar(xml.readAll(), commands)) {
        std::fprintf(stderr, "cannot read KAZUGrammar.xml\n");
        return 1;
    }
    const QString calcPrefix = QDir(temporary.path()).filePath(QStringLiteral("calc"));
    const QString commandPrefix = QDir(temporary.path()).filePath(QStringLiteral("command"));
    const auto tools = kazu::JuliusTools::Installed();
    if (auto error = kazu::CompileGrammar(kazu::listen::CalcGrammar(), calcPrefix, tools)) {
        std::fprintf(stderr, "%s\n", qUtf8Printable(*error));
        return 1;
    }
    if (auto error = kazu::CompileGrammar(kazu::listen::CommandGrammar(commands.phrases),
                                          commandPrefix, tools)) {
        std::fprintf(stderr, "%s\n", qUtf8Printable(*error));
        return 1;
    }

    // Each command reading once, with every command number it stands for.
    std::map<std::string, std::set<int>> commandReadings;
    for (const auto& phrase : commands.phrases)
        commandReadings[phrase.reading].insert(phrase.command);

    if (voices || heldOut)
        return VoicesTable(dir, ListenArguments(calcPrefix, commandPrefix), commandReadings,
                           heldOut, only, condition, verbose, settled);

    QElapsedTimer recordingTime;
    recordingTime.start();
    std::vector<Recording> slow, normal, fast, commandSpeech, otherSpeech;
    for (const auto& calculation : kCalculations) {
        const QString reading = QString::fromUtf8(calculation.reading);
        slow.push_back({reading, kSlow.rate, {}, {}});
        normal.push_back({reading, kNormal.rate, {}, {}});
        fast.push_back({reading, kFast.rate, {}, {}});
    }
    for (const auto& [reading, numbers] : commandReadings)
        commandSpeech.push_back({QString::fromStdString(reading), kNormal.rate, {}, {}});
    for (const char* sentence : kOtherSentences)
        otherSpeech.push_back({QString::fromUtf8(sentence), kNormal.rate, {}, {}});
    if (!meansDir.isEmpty()) {
        std::vector<Recording> everyday;
        for (const char* sentence : kMeanSentences)
            for (const Speed& speed : {kSlow, kNormal, kFast})
                everyday.push_back({QString::fromUtf8(sentence), speed.rate, {}, {}});
        std::vector<QByteArray> speech;
        if (Record(everyday, dir))
            for (const Recording& recording : everyday) speech.push_back(recording.samples);
        if (speech.empty() || !MakeMeans(speech, calcPrefix, commandPrefix, QDir(meansDir))) {
            std::fprintf(stderr, "cannot make the means in %s\n", qUtf8Printable(meansDir));
            return 1;
        }
        std::printf("means of %zu everyday utterances written to %s\n", speech.size(),
                    qUtf8Printable(meansDir));
        return 0;
    }
    for (auto* recordings : {&slow, &normal, &fast, &commandSpeech, &otherSpeech})
        if (!Record(*recordings, dir)) {
            std::fprintf(stderr, "cannot record the corpus in %s\n", qUtf8Printable(dir.path()));
            return 1;
        }
    std::printf("corpus: %zu recordings in %.1f s (%s)\n",
                3 * slow.size() + commandSpeech.size() + otherSpeech.size(),
                static_cast<double>(recordingTime.elapsed()) / 1000, qUtf8Printable(dir.path()));

    const QStringList arguments = ListenArguments(calcPrefix, commandPrefix);
    if (!latencyOnly) {
        const QByteArray noise = Noise(60 * kSampleRate, kNoiseAmplitude, 99);
        const Tally calcSlow = HearCalculations(slow, {}, kSlow.name, arguments);
        const Tally calcNormal = HearCalculations(normal, {}, kNormal.name, arguments);
        const Tally calcFast = HearCalculations(fast, {}, kFast.name, arguments);
        const Tally calcNoise = HearCalculations(normal, noise, "1.0x+noise", arguments);

        // Commands in command mode: right when the first recognition is one of its numbers.
        std::vector<QByteArray> speech, rooms;
        for (const bool noisy : {false, true})
            for (size_t i = 0; i < commandSpeech.size(); ++i) {
                const QByteArray& samples = commandSpeech[i].samples;
                speech.push_back(noisy ? Mixed(samples, noise.left(samples.size())) : samples);
                rooms.push_back(
                    Noise(3 * kSampleRate, noisy ? kNoiseAmplitude : 8, static_cast<quint32>(i)));
            }
        const auto commandHeard = HearEach(speech, rooms, "command", arguments);
        Tally commandQuiet, commandNoise, otherRejected;
        size_t index = 0;
        for (const bool noisy : {false, true})
            for (const auto& [reading, numbers] : commandReadings) {
                const auto& results = commandHeard[index++];
                const bool ok = !results.empty() && Runs(results.front()) &&
                                numbers.contains(results.front().number);
                (noisy ? commandNoise : commandQuiet).Count(ok);
                if (!ok)
                    std::printf("  miss command%s %s → %s\n", noisy ? "+noise" : "",
                                reading.c_str(), Describe(results).c_str());
            }
        speech.clear();
        rooms.clear();
        for (size_t i = 0; i < otherSpeech.size(); ++i) {
            speech.push_back(otherSpeech[i].samples);
            rooms.push_back(Noise(3 * kSampleRate, 8, static_cast<quint32>(i)));
        }
        const auto otherHeard = HearEach(speech, rooms, "command", arguments);
        for (size_t i = 0; i < otherSpeech.size(); ++i) {
            const bool rejected = NoCommand(otherHeard[i]);
            otherRejected.Count(rejected);
            if (!rejected)
                std::printf("  taken for a command: %s → %s\n", kOtherSentences[i],
                            Describe(otherHeard[i]).c_str());
        }

        // Clatter: bursts of loud noise, 0.1 to 0.6 s, must not pass for a short command.
        speech.clear();
        rooms.clear();
        for (int i = 0; i < kBursts; ++i) {
            speech.push_back(Noise(kSampleRate / 10 * (1 + i % 6), 2000 + 1000 * (i % 7),
                                   static_cast<quint32>(50 + i)));
            rooms.push_back(Noise(3 * kSampleRate, 8, static_cast<quint32>(i)));
        }
        const auto burstHeard = HearEach(speech, rooms, "command", arguments);
        Tally burstRejected;
        for (const auto& events : burstHeard) {
            const bool rejected = NoCommand(events);
            burstRejected.Count(rejected);
            if (!rejected)
                std::printf("  noise taken for a command: %s\n", Describe(events).c_str());
        }

        std::printf("\n%-34s %-11s %8s\n", "recognition", "right", "rate");
        PrintRow("calculations 0.8x", calcSlow, ">= 90 %");
        PrintRow("calculations 1.0x", calcNormal, ">= 90 %");
        PrintRow("calculations 1.2x", calcFast, ">= 90 %");
        PrintRow("calculations 1.0x + faint noise", calcNoise, ">= 90 %");
        Tally calcAll;
        for (const Tally* tally : {&calcSlow, &calcNormal, &calcFast, &calcNoise}) {
            calcAll.right += tally->right;
            calcAll.total += tally->total;
        }
        PrintRow("calculations, all", calcAll, ">= 90 %");
        PrintRow("commands 1.0x", commandQuiet, ">= 97 %");
        PrintRow("commands 1.0x + faint noise", commandNoise, ">= 97 %");
        PrintRow("other sentences rejected", otherRejected, ">= 90 %");
        PrintRow("noise bursts rejected", burstRejected);
    }

    // The program's way: one recogniser listening all the time, fed in real time.
    Listener listener;
    if (!listener.Start(calcPrefix, commandPrefix)) {
        std::fprintf(stderr, "kazuchan-listen did not start\n");
        return 1;
    }
    if (!accuracyOnly) {
        ReportLatency(listener, "calc", normal, "calculations");
        ReportLatency(listener, "command", commandSpeech, "commands");
        const double cpu = listener.CpuPercent(Noise(kQuietSeconds * kSampleRate, 30, 5));
        std::printf(
            "CPU hearing %d s of a quiet room (real time): %.2f %% of a core   goal < 5 %%\n",
            kQuietSeconds, cpu);
    }
    std::printf("recogniser peak resident memory (VmHWM): %.1f MB   goal < 120 MB\n",
                static_cast<double>(listener.PeakResidentKilobytes()) / 1024);
    listener.Stop();
    return 0;
}
