#include "speech/OpenJTalkVoice.h"

#include <QEventLoop>
#include <QString>
#include <algorithm>

#include "speech/SpeechPieces.h"

namespace kazu {
namespace {

// Pieces synthesised ahead of the one sounding: enough that the next sentence is ready when
// this one ends, few enough that a long text holds little audio and a purge little work.
constexpr size_t kPiecesAhead = 3;
constexpr int kTickMilliseconds = 10;
constexpr qint64 kLevelWindowMicroseconds = 20000;
// After the last utterance, long enough for the sink to play out what it holds.
constexpr int kSinkRestMilliseconds = 1000;

}  // namespace

OpenJTalkVoice::OpenJTalkVoice(const OpenJTalkPaths& paths, QObject* parent, LoadStart start)
    : QObject(parent), loadStarted_(start == LoadStart::kAtOnce) {
    clock_.start();
    ticker_.setTimerType(Qt::PreciseTimer);
    ticker_.setInterval(kTickMilliseconds);
    connect(&ticker_, &QTimer::timeout, this, &OpenJTalkVoice::Pump);
    sinkRest_.setSingleShot(true);
    sinkRest_.setInterval(kSinkRestMilliseconds);
    // Feed starts it again for the next utterance.
    connect(&sinkRest_, &QTimer::timeout, this, [this] {
        if (sink_ != nullptr && utterances_.empty()) {
            sink_->Stop();
            sinkStarted_ = false;
        }
    });
    std::promise<int> loaded;
    loaded_ = loaded.get_future().share();
    worker_ =
        std::thread([this, paths, promise = std::move(loaded)]() mutable { Work(paths, promise); });
}

OpenJTalkVoice::~OpenJTalkVoice() {
    // The sound device may run the event loop while it closes: no tick must reach it then, and
    // reset() lets anything that still does find no device rather than a half-destroyed one.
    ticker_.stop();
    sinkRest_.stop();
    sink_.reset();
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        jobs_.clear();
    }
    wake_.notify_all();
    worker_.join();
    for (const auto& [id, loop] : waiters_) {
        loop->quit();
    }
}

// The worker: loads once, then synthesises the pieces in the order they were asked for.
void OpenJTalkVoice::Work(const OpenJTalkPaths& paths, std::promise<int>& loaded) {
    {
        std::unique_lock lock(mutex_);
        wake_.wait(lock, [this] { return stopping_ || loadStarted_; });
        if (!loadStarted_) {
            loaded.set_value(0);  // ended before it was ever needed
            return;
        }
    }
    OpenJTalkSynth synth;
    voices_ = LoadFirstVoice(synth, paths);
    if (synth.loaded()) {
        LoadSoundDevices();  // here rather than on the window's thread, which opens the output
    }
    loaded.set_value(synth.sampleRate());
    QMetaObject::invokeMethod(this, &OpenJTalkVoice::ApplyLoad, Qt::QueuedConnection);
    if (!synth.loaded()) {
        return;
    }
    // The first synthesis touches the dictionary's and the voice's pages: do it before the
    // first key echo.
    synth.Synthesize("あ", 1.0, 0.0);
    std::unique_lock lock(mutex_);
    while (true) {
        wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
        if (stopping_) {
            return;
        }
        Job job = std::move(jobs_.front());
        jobs_.pop_front();
        lock.unlock();
        SpeechPiece speech = synth.Synthesize(job.text, job.speed, job.gain);
        lock.lock();
        done_.push_back({job.utterance, job.piece, std::move(speech)});
        QMetaObject::invokeMethod(this, &OpenJTalkVoice::TakeResults, Qt::QueuedConnection);
    }
}

void OpenJTalkVoice::StartLoading() {
    {
        std::lock_guard lock(mutex_);
        loadStarted_ = true;
    }
    wake_.notify_all();
}

bool OpenJTalkVoice::Ready() {
    ApplyLoad();
    return load_ == Load::kReady;
}

std::vector<std::string> OpenJTalkVoice::Voices() {
    std::vector<std::string> descriptions;
    if (Ready()) {
        for (const auto& voice : voices_) {
            descriptions.push_back(voice.description);
        }
    }
    return descriptions;
}

void OpenJTalkVoice::ApplyLoad() {
    if (load_ != Load::kPending) {
        return;
    }
    StartLoading();
    sampleRate_ = loaded_.get();
    load_ = sampleRate_ > 0 ? Load::kReady : Load::kAbsent;
    if (load_ == Load::kReady) {
        OpenSink(sampleRate_);
        Pump();
    } else {
        // The voice is absent: what was asked while it loaded goes, unspoken and silently.
        while (!utterances_.empty()) {
            DropFront();
        }
    }
    emit loaded();
}

// Without the sound module, a sound server or a device, the clock alone keeps the time.
void OpenJTalkVoice::OpenSink(int sampleRate) {
    if (SoundDevices* devices = LoadSoundDevices()) {
        sink_ = devices->OpenOutput(sampleRate);
    }
    sinkStarted_ = sink_ != nullptr;
}

void OpenJTalkVoice::SetRate(int rate) {
    rate_ = std::clamp(rate, 0, 10);
}

void OpenJTalkVoice::SetVolume(int volume) {
    volume_ = std::clamp(volume, 0, 100);
}

void OpenJTalkVoice::Speak(const std::string& text, int flags) {
    if ((flags & kPurge) != 0) {
        DropAll();
    }
    if (load_ == Load::kAbsent) {
        return;
    }
    if (load_ == Load::kPending) {
        StartLoading();
    }
    const uint64_t id = nextId_++;
    utterances_.push_back(
        {id, SplitIntoPieces(text), SpeedForRate(rate_), GainForVolume(volume_), 0, 0, {}, false});
    Pump();
    const bool queued = std::any_of(utterances_.begin(), utterances_.end(),
                                    [id](const Utterance& u) { return u.id == id; });
    if ((flags & kAsync) == 0 && queued) {
        // Returns when the text has been spoken; the window keeps handling its events.
        QEventLoop loop;
        waiters_[id] = &loop;
        loop.exec();
    }
}

void OpenJTalkVoice::Skip(const std::string& type, int count) {
    if (QString::fromStdString(type).compare(QLatin1String("Sentence"), Qt::CaseInsensitive) != 0 ||
        count <= 0) {
        return;
    }
    auto left = static_cast<size_t>(count);
    for (bool first = true; left > 0 && !utterances_.empty(); first = false) {
        Utterance& front = utterances_.front();
        // The piece sounding counts as one, then the pieces still to come.
        const size_t remaining = front.pieces.size() - front.next + (playing_ ? 1 : 0);
        if (left >= remaining) {
            left -= remaining;
            // Only the utterance being spoken ends its stream; the queued ones just go.
            if (first) {
                CutSound();
                FinishFront();
            } else {
                DropFront();
            }
            continue;
        }
        if (playing_) {
            CutSound();
            --left;
        }
        front.next += left;
        front.submitted = std::max(front.submitted, front.next);
        front.ready.erase(front.ready.begin(), front.ready.lower_bound(front.next));
        left = 0;
        std::lock_guard lock(mutex_);
        const uint64_t id = front.id;
        const size_t next = front.next;
        std::erase_if(jobs_,
                      [&](const Job& job) { return job.utterance == id && job.piece < next; });
    }
    Pump();
}

// Keeps the worker a few pieces ahead of what sounds, in the order of the queue.
void OpenJTalkVoice::Submit() {
    if (load_ != Load::kReady) {
        return;
    }
    size_t ahead = 0;
    for (const auto& utterance : utterances_) {
        ahead += utterance.submitted - utterance.next;
    }
    std::lock_guard lock(mutex_);
    for (auto& utterance : utterances_) {
        while (ahead < kPiecesAhead && utterance.submitted < utterance.pieces.size()) {
            const size_t piece = utterance.submitted++;
            jobs_.push_back(
                {utterance.id, piece, utterance.pieces[piece], utterance.speed, utterance.gain});
            ++ahead;
        }
    }
    wake_.notify_one();
}

void OpenJTalkVoice::TakeResults() {
    std::deque<Done> done;
    {
        std::lock_guard lock(mutex_);
        done.swap(done_);
    }
    for (auto& result : done) {
        const auto it = std::find_if(utterances_.begin(), utterances_.end(),
                                     [&](const Utterance& u) { return u.id == result.utterance; });
        if (it != utterances_.end() && result.piece >= it->next) {
            it->ready[result.piece] = std::move(result.speech);
        }
    }
    Pump();
}

// Moves the front utterance on by the clock and raises what has sounded since the last call.
void OpenJTalkVoice::Pump() {
    Submit();
    while (!utterances_.empty()) {
        Utterance& front = utterances_.front();
        if (!playing_) {
            if (front.next == front.pieces.size()) {
                FinishFront();
                continue;
            }
            if (!StartPiece(front)) {
                break;  // the piece is still being synthesised
            }
        }
        const size_t position = Position();
        RaisePieceEvents(position);
        Feed();
        if (position < current_.samples.size()) {
            break;
        }
        playing_ = false;
        // The next piece follows on the clock, not at the (later) tick that noticed the end.
        pieceStart_ += static_cast<qint64>(current_.samples.size()) * 1000000 / sampleRate_;
        Submit();
    }
    if (utterances_.empty()) {
        ticker_.stop();
        if (sinkStarted_ && !sinkRest_.isActive()) {
            sinkRest_.start();
        }
    } else {
        sinkRest_.stop();
        if (!ticker_.isActive()) {
            ticker_.start();
        }
    }
    Deliver();
    TellSpeaking();
}

bool OpenJTalkVoice::StartPiece(Utterance& utterance) {
    const auto it = utterance.ready.find(utterance.next);
    if (it == utterance.ready.end()) {
        return false;
    }
    current_ = std::move(it->second);
    utterance.ready.erase(it);
    ++utterance.next;
    playing_ = true;
    nextPhoneme_ = 0;
    written_ = 0;
    // Seamless after the piece before; after a wait for synthesis, from now.
    const qint64 now = clock_.nsecsElapsed() / 1000;
    if (!utterance.sounded || pieceStart_ < now - kTickMilliseconds * 1000) {
        pieceStart_ = now;
    }
    if (!utterance.sounded && !current_.samples.empty()) {
        utterance.sounded = true;
        Feed();
        emit audioStarted();
    }
    return true;
}

size_t OpenJTalkVoice::Position() const {
    const qint64 elapsed = clock_.nsecsElapsed() / 1000 - pieceStart_;
    return elapsed <= 0 ? 0 : static_cast<size_t>(elapsed * sampleRate_ / 1000000);
}

void OpenJTalkVoice::RaisePieceEvents(size_t position) {
    const auto& phonemes = current_.phonemes;
    for (; nextPhoneme_ < phonemes.size() && phonemes[nextPhoneme_].start <= position;
         ++nextPhoneme_) {
        const std::string& next =
            nextPhoneme_ + 1 < phonemes.size() ? phonemes[nextPhoneme_ + 1].name : "";
        lastViseme_ = VisemeForPhoneme(phonemes[nextPhoneme_].name, next);
        events_.push_back({Event::kViseme, lastViseme_});
    }
    const size_t end = std::min(position, current_.samples.size());
    const auto window = static_cast<size_t>(kLevelWindowMicroseconds * sampleRate_ / 1000000);
    const size_t from = end > window ? end - window : 0;
    const int level = AudioLevel(current_.samples.data() + from, end - from);
    if (level != lastLevel_) {
        lastLevel_ = level;
        events_.push_back({Event::kLevel, level});
    }
}

void OpenJTalkVoice::Feed() {
    if (sink_ == nullptr) {
        return;
    }
    if (sink_->Failed()) {
        // The device went away: go on with the clock alone.
        sink_.reset();
        sinkStarted_ = false;
        return;
    }
    if (!sinkStarted_) {
        sinkStarted_ = sink_->Start();
    }
    const auto room = static_cast<size_t>(std::max<int64_t>(0, sink_->BytesFree())) / 2;
    const size_t count = std::min(room, current_.samples.size() - written_);
    if (!sinkStarted_ || count == 0) {
        return;
    }
    const int64_t bytes =
        sink_->Write(reinterpret_cast<const char*>(current_.samples.data() + written_),
                     static_cast<int64_t>(count * 2));
    written_ += static_cast<size_t>(std::max<int64_t>(0, bytes)) / 2;
}

// Silences what is sounding now: the sink drops what it holds, the mouth closes.
void OpenJTalkVoice::CutSound() {
    if (!playing_) {
        return;
    }
    playing_ = false;
    if (sink_ != nullptr) {
        sink_->Stop();
        sinkStarted_ = false;
    }
    if (lastViseme_ != 0) {
        lastViseme_ = 0;
        events_.push_back({Event::kViseme, 0});
    }
}

// The front utterance has ended, spoken or cut: level 0, end of stream, its waiter returns.
void OpenJTalkVoice::FinishFront() {
    DropFront();
    if (lastLevel_ != 0) {
        lastLevel_ = 0;
        events_.push_back({Event::kLevel, 0});
    }
    events_.push_back({Event::kEnd, 0});
}

// Drops everything queued and sounding; only the utterance that was sounding ends its stream.
void OpenJTalkVoice::DropAll() {
    if (utterances_.empty()) {
        return;
    }
    CutSound();
    FinishFront();
    while (!utterances_.empty()) {
        DropFront();
    }
    Deliver();
    TellSpeaking();
}

// Drops the front utterance without a word: its jobs go, its waiter returns.
void OpenJTalkVoice::DropFront() {
    const uint64_t id = utterances_.front().id;
    utterances_.pop_front();
    {
        std::lock_guard lock(mutex_);
        std::erase_if(jobs_, [id](const Job& job) { return job.utterance == id; });
    }
    if (const auto it = waiters_.find(id); it != waiters_.end()) {
        it->second->quit();
        waiters_.erase(it);
    }
}

void OpenJTalkVoice::Deliver() {
    if (delivering_) {
        return;
    }
    delivering_ = true;
    while (!events_.empty()) {
        const Event event = events_.front();
        events_.pop_front();
        if (listener_ == nullptr) {
            continue;
        }
        switch (event.kind) {
            case Event::kLevel:
                listener_->OnAudioLevel(event.value);
                break;
            case Event::kViseme:
                listener_->OnViseme(event.value);
                break;
            case Event::kEnd:
                listener_->OnEndStream();
                break;
        }
    }
    delivering_ = false;
}

void OpenJTalkVoice::TellSpeaking() {
    const bool speaking = !utterances_.empty();
    if (speaking != speaking_) {
        speaking_ = speaking;
        emit speakingChanged(speaking);
    }
}

}  // namespace kazu
