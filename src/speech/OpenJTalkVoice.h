// The character's real voice: Open JTalk synthesis on a worker thread, played through the sound
// module (speech/sound), with the events of a speech engine (audio level, viseme, end of stream)
// raised on the owner's thread at the moment the samples sound. Without a sound device the voice
// runs its clock alone and raises the same events; without a dictionary or a voice file it
// lists no voice and speaks nothing.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <future>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "speech/OpenJTalkSynth.h"
#include "speech/Voice.h"
#include "speech/sound/SoundDevices.h"

class QEventLoop;

namespace kazu {

class OpenJTalkVoice : public QObject, public Voice {
    Q_OBJECT

  public:
    // When the worker thread loads the voice: at once, or at StartLoading. Anything that needs
    // the voice (speaking, the voice list, Ready) starts the load itself.
    enum class LoadStart { kAtOnce, kOnRequest };

    // Speaking before the load ends waits for it.
    explicit OpenJTalkVoice(const OpenJTalkPaths& paths = OpenJTalkPaths::Installed(),
                            QObject* parent = nullptr, LoadStart start = LoadStart::kAtOnce);
    ~OpenJTalkVoice() override;

    void Speak(const std::string& text, int flags) override;
    void Skip(const std::string& type, int count) override;
    void SetRate(int rate) override;
    void SetVolume(int volume) override;
    std::vector<std::string> Voices() override;
    void SetListener(VoiceListener* listener) override { listener_ = listener; }

    // Waits for the load; false when the voice is absent (it then speaks nothing).
    bool Ready();
    // Lets the worker load the voice (and warm it up); once is enough, more do nothing.
    void StartLoading();
    // False when the sound device could not be opened: the clock runs without sound.
    bool hasSoundDevice() const { return sink_ != nullptr; }

  signals:
    // An utterance's first samples were handed to the sound device (or, without one, began
    // to count on the clock).
    void audioStarted();
    // Whether anything is being spoken or waits its turn, each time that changes.
    void speakingChanged(bool speaking);
    // The load has ended, the voice found or not: Voices() now answers at once.
    void loaded();

  private:
    struct Job {
        uint64_t utterance;
        size_t piece;
        std::string text;
        double speed;
        double gain;
    };
    struct Done {
        uint64_t utterance;
        size_t piece;
        SpeechPiece speech;
    };
    struct Utterance {
        uint64_t id;
        std::vector<std::string> pieces;
        double speed;
        double gain;
        size_t submitted = 0;  // pieces handed to the worker
        size_t next = 0;       // the piece to play next
        std::map<size_t, SpeechPiece> ready;
        bool sounded = false;
    };
    enum class Load { kPending, kReady, kAbsent };

    void Work(const OpenJTalkPaths& paths, std::promise<int>& loaded);
    void TakeResults();
    void ApplyLoad();
    void OpenSink(int sampleRate);

    void Submit();
    void Pump();
    bool StartPiece(Utterance& utterance);
    void RaisePieceEvents(size_t position);
    void Feed();
    size_t Position() const;
    void CutSound();
    void FinishFront();
    void DropAll();
    void DropFront();
    void Deliver();
    void TellSpeaking();

    // Worker side, under mutex_.
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Job> jobs_;
    std::deque<Done> done_;
    bool stopping_ = false;
    bool loadStarted_ = false;
    std::shared_future<int> loaded_;      // the sample rate, 0 when the voice is absent
    std::vector<InstalledVoice> voices_;  // written by the worker before loaded_ is set
    std::thread worker_;

    // Owner's thread.
    VoiceListener* listener_ = nullptr;
    Load load_ = Load::kPending;
    int sampleRate_ = 0;
    int rate_ = 0;
    int volume_ = 100;
    uint64_t nextId_ = 1;
    std::deque<Utterance> utterances_;
    std::map<uint64_t, QEventLoop*> waiters_;

    // The piece sounding now.
    bool playing_ = false;
    SpeechPiece current_;
    qint64 pieceStart_ = 0;  // clock time (µs) at which its first sample sounds
    size_t nextPhoneme_ = 0;
    size_t written_ = 0;  // its samples handed to the sink
    int lastLevel_ = 0;
    int lastViseme_ = 0;

    QElapsedTimer clock_;
    QTimer ticker_;
    // An open sink keeps a timer of its own running: it is stopped once the voice is quiet.
    QTimer sinkRest_;
    std::unique_ptr<SoundOutput> sink_;
    bool sinkStarted_ = false;

    // Events are raised after the state is updated, in order, even when a listener runs an
    // event loop that pumps again.
    struct Event {
        enum Kind { kLevel, kViseme, kEnd } kind;
        int value;
    };
    std::deque<Event> events_;
    bool delivering_ = false;
    bool speaking_ = false;
};

}  // namespace kazu
