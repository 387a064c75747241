// The real voice: key echo latency from Speak to the first samples handed to the sound device
// (median and 95th percentile over single digits, at rate 0 and at rate 10, the default),
// synthesis real-time factor for sentences, and resident memory with the voice loaded.
// Runs offscreen; without a sound server the voice's clock stands in for the device.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "speech/OpenJTalkVoice.h"
#include "speech/SpeechPieces.h"

namespace {

class EndCounter : public kazu::VoiceListener {
  public:
    void OnAudioLevel(int) override {}
    void OnViseme(int) override {}
    void OnEndStream() override { ++ends; }
    int ends = 0;
};

void RunLoopUntil(const std::function<bool()>& done) {
    QElapsedTimer waited;
    waited.start();
    while (!done() && waited.elapsed() < 5000) {
        QEventLoop loop;
        QTimer::singleShot(1, &loop, &QEventLoop::quit);
        loop.exec();
    }
}

long ResidentKilobytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("VmRSS:")) {
                return line.mid(6).trimmed().split(' ').front().toLong();
            }
        }
    }
    return 0;
}

void KeyEchoLatency(kazu::OpenJTalkVoice& voice, EndCounter& counter, int rate) {
    voice.SetRate(rate);
    std::vector<double> latencies;
    for (int i = 0; i < 50; ++i) {
        const std::string digit(1, static_cast<char>('0' + (i * 7) % 10));
        QElapsedTimer since;
        double latency = -1;
        const auto connection = QObject::connect(&voice, &kazu::OpenJTalkVoice::audioStarted, [&] {
            latency = static_cast<double>(since.nsecsElapsed()) / 1e6;
        });
        const int ends = counter.ends;
        since.start();
        voice.Speak(digit, kazu::Voice::kAsync);
        RunLoopUntil([&] { return counter.ends > ends; });
        QObject::disconnect(connection);
        latencies.push_back(latency);
    }
    std::sort(latencies.begin(), latencies.end());
    std::printf("key echo at rate %d: median %.1f ms, p95 %.1f ms, max %.1f ms (%zu digits)\n",
                rate, latencies[latencies.size() / 2], latencies[latencies.size() * 95 / 100],
                latencies.back(), latencies.size());
}

void RealTimeFactor() {
    kazu::OpenJTalkSynth synth;
    if (kazu::LoadFirstVoice(synth, kazu::OpenJTalkPaths::Installed()).empty()) {
        return;
    }
    const std::string text =
        "今はキーとマウスによる計算モードです。12たす9イコール21。読み上げの速さと音量のテストです"
        "。";
    for (const int rate : {0, 10}) {
        double seconds = 0;
        double audio = 0;
        for (int round = 0; round < 5; ++round) {
            for (const auto& piece : kazu::SplitIntoPieces(text)) {
                QElapsedTimer timer;
                timer.start();
                const auto speech = synth.Synthesize(piece, kazu::SpeedForRate(rate), 1.0);
                seconds += static_cast<double>(timer.nsecsElapsed()) / 1e9;
                audio += static_cast<double>(speech.samples.size()) / synth.sampleRate();
            }
        }
        std::printf("synthesis at rate %d: real-time factor %.3f (%.2f s for %.2f s of audio)\n",
                    rate, seconds / audio, seconds, audio);
    }
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const long before = ResidentKilobytes();
    QElapsedTimer load;
    load.start();
    kazu::OpenJTalkVoice voice;
    if (!voice.Ready()) {
        std::printf("the voice is not installed (scripts/setup)\n");
        return 1;
    }
    std::printf("load: %.1f ms to ready; sound device: %s\n",
                static_cast<double>(load.nsecsElapsed()) / 1e6,
                voice.hasSoundDevice() ? "yes" : "no (the clock runs alone)");
    EndCounter counter;
    voice.SetListener(&counter);
    KeyEchoLatency(voice, counter, 0);
    KeyEchoLatency(voice, counter, 10);
    std::printf("resident memory: %ld kB before the voice, %ld kB with it loaded and speaking\n",
                before, ResidentKilobytes());
    RealTimeFactor();
    return 0;
}
