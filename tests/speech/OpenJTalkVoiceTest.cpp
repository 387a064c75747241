// The real voice as the window uses it: flags, queue, skip and purge, events on time.
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <vector>

#include "SpeechTestSupport.h"
#include "speech/OpenJTalkVoice.h"
#include "speech/SpeechPieces.h"

namespace kazu {
namespace {

struct Event {
    char kind;  // 'l' level, 'v' viseme, 'e' end of stream
    int value;
    qint64 ms;
};

class Recorder : public VoiceListener {
  public:
    explicit Recorder(const QElapsedTimer& clock) : clock_(clock) {}
    void OnAudioLevel(int level) override { events.push_back({'l', level, clock_.elapsed()}); }
    void OnViseme(int viseme) override { events.push_back({'v', viseme, clock_.elapsed()}); }
    void OnEndStream() override { events.push_back({'e', 0, clock_.elapsed()}); }

    std::vector<Event> Of(char kind, size_t from = 0) const {
        std::vector<Event> of;
        for (size_t i = from; i < events.size(); ++i) {
            if (events[i].kind == kind) {
                of.push_back(events[i]);
            }
        }
        return of;
    }
    std::vector<int> Visemes(size_t from = 0) const {
        std::vector<int> visemes;
        for (const auto& event : Of('v', from)) {
            visemes.push_back(event.value);
        }
        return visemes;
    }
    size_t Ends() const { return Of('e').size(); }

    std::vector<Event> events;

  private:
    const QElapsedTimer& clock_;
};

// Runs the event loop until `done` or the time is up.
bool WaitUntil(const std::function<bool()>& done, int milliseconds) {
    QElapsedTimer waited;
    waited.start();
    while (!done() && waited.elapsed() < milliseconds) {
        QEventLoop loop;
        QTimer::singleShot(5, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return done();
}

class OpenJTalkVoiceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        KAZU_REQUIRE_VOICE();
        ASSERT_FALSE(LoadFirstVoice(synth_, OpenJTalkPaths::Installed()).empty());
        clock_.start();
        ASSERT_TRUE(voice_.Ready());
        voice_.SetListener(&recorder_);
        QObject::connect(&voice_, &OpenJTalkVoice::audioStarted,
                         [this] { started_.push_back(clock_.elapsed()); });
        QObject::connect(&voice_, &OpenJTalkVoice::speakingChanged,
                         [this](bool speaking) { speaking_.push_back(speaking); });
    }

    // The visemes the voice should raise for `text` at rate 0, and the time each sounds.
    std::vector<std::pair<int, double>> Expected(const std::string& text) {
        std::vector<std::pair<int, double>> expected;
        double offset = 0;
        for (const auto& piece : SplitIntoPieces(text)) {
            const SpeechPiece speech = synth_.Synthesize(piece, 1.0, 1.0);
            for (size_t i = 0; i < speech.phonemes.size(); ++i) {
                const std::string next =
                    i + 1 < speech.phonemes.size() ? speech.phonemes[i + 1].name : "";
                expected.emplace_back(VisemeForPhoneme(speech.phonemes[i].name, next),
                                      offset + 1000.0 *
                                                   static_cast<double>(speech.phonemes[i].start) /
                                                   synth_.sampleRate());
            }
            offset += 1000.0 * static_cast<double>(speech.samples.size()) / synth_.sampleRate();
        }
        expected.emplace_back(-1, offset);  // the end of the audio
        return expected;
    }
    static std::vector<int> Ids(std::vector<std::pair<int, double>> expected) {
        std::vector<int> ids;
        for (const auto& [id, ms] : expected) {
            if (id >= 0) {
                ids.push_back(id);
            }
        }
        return ids;
    }

    OpenJTalkSynth synth_;
    QElapsedTimer clock_;
    Recorder recorder_{clock_};
    std::vector<qint64> started_;
    std::vector<bool> speaking_;
    OpenJTalkVoice voice_;
};

const std::string kGreeting =
    "。こんにちわ！はなこちゃん。数ちゃんです。今はキーとマウスによる計算モードです。では、"
    "どーぞー。";

TEST_F(OpenJTalkVoiceTest, ListsTheInstalledVoicesTheCurrentFirst) {
    const auto voices = voice_.Voices();
    ASSERT_GE(voices.size(), 5u);
    EXPECT_EQ(voices.front(), "Mei (normal) — Open JTalk");
    EXPECT_NE(std::find(voices.begin(), voices.end(), "Mei (happy) — Open JTalk"), voices.end());
}

TEST_F(OpenJTalkVoiceTest, VisemesSoundWithTheirPhonemesInTimeOrder) {
    const auto expected = Expected("12たす9イコール21");
    voice_.Speak("12たす9イコール21", Voice::kAsync);
    ASSERT_TRUE(WaitUntil([&] { return recorder_.Ends() == 1; }, 10000));
    ASSERT_EQ(started_.size(), 1u);
    const auto visemes = recorder_.Of('v');
    ASSERT_EQ(recorder_.Visemes(), Ids(expected));
    // In the order of their phonemes; how late they come against the wall clock depends on
    // the machine's load, so that is measured by bench_voice, not asserted here.
    for (size_t i = 1; i < visemes.size(); ++i) {
        EXPECT_GE(visemes[i].ms, visemes[i - 1].ms);
    }
    EXPECT_GE(recorder_.Of('e').back().ms, visemes.back().ms) << "the end of stream comes last";
    // The level follows the samples, and falls to 0 before the end of stream.
    const auto levels = recorder_.Of('l');
    ASSERT_FALSE(levels.empty());
    EXPECT_GT(std::max_element(levels.begin(), levels.end(),
                               [](const Event& a, const Event& b) { return a.value < b.value; })
                  ->value,
              40);
    EXPECT_EQ(levels.back().value, 0);
    EXPECT_EQ(recorder_.events.back().kind, 'e');
}

TEST_F(OpenJTalkVoiceTest, AsyncReturnsAtOnceAndQueuesInOrder) {
    QElapsedTimer call;
    call.start();
    voice_.Speak("いち", Voice::kAsync);
    voice_.Speak("さん", Voice::kAsync);
    EXPECT_LT(call.elapsed(), 30);
    EXPECT_EQ(recorder_.Ends(), 0u);
    EXPECT_EQ(speaking_, std::vector<bool>{true});
    ASSERT_TRUE(WaitUntil([&] { return recorder_.Ends() == 2; }, 10000));
    // Speaking from the first call to the end of the last utterance, without a gap between.
    EXPECT_EQ(speaking_, (std::vector<bool>{true, false}));
    std::vector<int> both = Ids(Expected("いち"));
    const std::vector<int> second = Ids(Expected("さん"));
    both.insert(both.end(), second.begin(), second.end());
    EXPECT_EQ(recorder_.Visemes(), both);
    EXPECT_EQ(started_.size(), 2u);
}

TEST_F(OpenJTalkVoiceTest, SyncReturnsAfterTheEndOfStream) {
    voice_.Speak("いち", Voice::kAsync);
    QElapsedTimer call;
    call.start();
    voice_.Speak("にじゅういち", Voice::kSync);
    // After what was queued, and only once it has been spoken.
    EXPECT_EQ(recorder_.Ends(), 2u);
    EXPECT_EQ(recorder_.events.back().kind, 'e');
    EXPECT_GE(static_cast<double>(call.elapsed()), Expected("にじゅういち").back().second);
    // Nothing is left to come.
    WaitUntil([] { return false; }, 200);
    EXPECT_EQ(recorder_.Ends(), 2u);
}

// A voice whose load waits to be asked for: whatever needs it asks, so nothing waits forever,
// and one never needed ends at once.
TEST_F(OpenJTalkVoiceTest, LoadOnRequestStartsWithWhatNeedsIt) {
    const auto onRequest = OpenJTalkVoice::LoadStart::kOnRequest;
    { OpenJTalkVoice unused(OpenJTalkPaths::Installed(), nullptr, onRequest); }

    OpenJTalkVoice speaking(OpenJTalkPaths::Installed(), nullptr, onRequest);
    Recorder recorder(clock_);
    speaking.SetListener(&recorder);
    speaking.Speak("いち", Voice::kSync);
    EXPECT_EQ(recorder.Ends(), 1u);
    EXPECT_FALSE(recorder.Visemes().empty());

    OpenJTalkVoice listing(OpenJTalkPaths::Installed(), nullptr, onRequest);
    EXPECT_EQ(listing.Voices(), voice_.Voices());

    OpenJTalkVoice started(OpenJTalkPaths::Installed(), nullptr, onRequest);
    bool loaded = false;
    QObject::connect(&started, &OpenJTalkVoice::loaded, [&loaded] { loaded = true; });
    started.StartLoading();
    started.StartLoading();
    // Long enough for a probe that met a lock at the fork to be made again.
    EXPECT_TRUE(WaitUntil([&loaded] { return loaded; }, 40000));
    EXPECT_TRUE(started.Ready());
}

TEST_F(OpenJTalkVoiceTest, SkipEndsTheCurrentAndAllQueuedSpeech) {
    voice_.Speak(kGreeting, Voice::kAsync);
    voice_.Speak("テストです。", Voice::kAsync);
    ASSERT_TRUE(WaitUntil([&] { return !started_.empty(); }, 5000));
    WaitUntil([] { return false; }, 300);
    voice_.Skip("Sentence", 1000);
    EXPECT_EQ(speaking_, (std::vector<bool>{true, false}));
    EXPECT_EQ(recorder_.Ends(), 1u);
    EXPECT_EQ(recorder_.events.back().kind, 'e');
    const size_t after = recorder_.events.size();
    WaitUntil([] { return false; }, 800);
    EXPECT_EQ(recorder_.events.size(), after) << "something sounded after the skip";
    EXPECT_EQ(started_.size(), 1u);
    // The voice goes on speaking what comes next.
    voice_.Speak("いち", Voice::kSync);
    EXPECT_EQ(recorder_.Ends(), 2u);
    EXPECT_EQ(recorder_.Visemes(after), Ids(Expected("いち")));
}

TEST_F(OpenJTalkVoiceTest, SkipOneSentenceGoesOnWithTheNext) {
    voice_.Speak("いちばん。にばん。さんばん。", Voice::kAsync);
    ASSERT_TRUE(WaitUntil([&] { return !started_.empty(); }, 5000));
    const size_t skipped = recorder_.events.size();
    voice_.Skip("sentence", 1);
    ASSERT_TRUE(WaitUntil([&] { return recorder_.Ends() == 1; }, 10000));
    std::vector<int> rest = Ids(Expected("にばん。"));
    const std::vector<int> last = Ids(Expected("さんばん。"));
    rest.insert(rest.end(), last.begin(), last.end());
    std::vector<int> heard = recorder_.Visemes(skipped);
    // The cut closes the mouth first when it was open.
    if (heard.size() > rest.size() && heard.front() == 0) {
        heard.erase(heard.begin());
    }
    EXPECT_EQ(heard, rest);
    // Other kinds of item are not skipped.
    voice_.Speak("いち", Voice::kAsync);
    voice_.Skip("Word", 5);
    voice_.Skip("Sentence", 0);
    ASSERT_TRUE(WaitUntil([&] { return recorder_.Ends() == 2; }, 10000));
}

TEST_F(OpenJTalkVoiceTest, PurgeCutsTheLongTextAndSpeaksAtOnce) {
    voice_.Speak(kGreeting + kGreeting + kGreeting, Voice::kAsync);
    ASSERT_TRUE(WaitUntil([&] { return !started_.empty(); }, 5000));
    WaitUntil([] { return false; }, 300);
    const size_t purged = recorder_.events.size();
    QElapsedTimer call;
    call.start();
    voice_.Speak("はあい。", Voice::kPurge);
    const double spoken = Expected("はあい。").back().second;
    EXPECT_LT(static_cast<double>(call.elapsed()), spoken + 500.0);
    EXPECT_EQ(recorder_.Ends(), 2u);
    const auto ends = recorder_.Of('e', purged);
    ASSERT_EQ(ends.size(), 2u);
    // The long text ends at once; はあい follows.
    EXPECT_LT(ends[0].ms - clock_.elapsed(), 0);
    EXPECT_EQ(started_.size(), 2u);
    std::vector<int> heard;
    for (size_t i = purged; i < recorder_.events.size(); ++i) {
        if (recorder_.events[i].kind == 'v' && recorder_.events[i].ms >= started_[1]) {
            heard.push_back(recorder_.events[i].value);
        }
    }
    EXPECT_EQ(heard, Ids(Expected("はあい。")));
    const size_t after = recorder_.events.size();
    WaitUntil([] { return false; }, 500);
    EXPECT_EQ(recorder_.events.size(), after);
}

TEST_F(OpenJTalkVoiceTest, LongAndUnreadableTextsNeitherCrashNorHang) {
    std::string text;
    while (text.size() < 30000) {
        text += "12たす9は21です。😀\x80\xFF\x01∮と、abc";  // 10,000 characters and more
    }
    QElapsedTimer call;
    call.start();
    voice_.Speak(text, Voice::kAsync);
    EXPECT_LT(call.elapsed(), 100);
    ASSERT_TRUE(WaitUntil([&] { return !started_.empty(); }, 3000));
    EXPECT_LT(started_[0], 1000);
    voice_.Skip("Sentence", 1000);
    EXPECT_EQ(speaking_, (std::vector<bool>{true, false}));
    EXPECT_EQ(recorder_.Ends(), 1u);
    // Nothing to read still ends its stream, at once.
    call.restart();
    voice_.Speak("😀。、", Voice::kSync);
    EXPECT_EQ(recorder_.Ends(), 2u);
    EXPECT_LT(call.elapsed(), 500);
}

TEST_F(OpenJTalkVoiceTest, VolumeZeroSpeaksInaudiblyAndRateTenFaster) {
    const std::string text = "今はキーとマウスによる計算モードです。";
    voice_.SetVolume(0);
    voice_.Speak(text, Voice::kSync);
    EXPECT_EQ(recorder_.Visemes(), Ids(Expected(text)));
    for (const auto& level : recorder_.Of('l')) {
        EXPECT_EQ(level.value, 0);
    }
    const qint64 normal = recorder_.Of('e').back().ms - started_.back();
    voice_.SetVolume(100);
    voice_.SetRate(10);
    voice_.Speak(text, Voice::kSync);
    const qint64 fast = recorder_.Of('e').back().ms - started_.back();
    EXPECT_LT(static_cast<double>(fast), 0.85 * static_cast<double>(normal));
}

TEST(OpenJTalkVoiceAbsentTest, MissingOrBrokenFilesGiveNoVoiceAndSilence) {
    ScratchFolder folder;
    folder.Write("dic/sys.dic", std::string(4096, '\x11'));
    const OpenJTalkPaths installed = OpenJTalkPaths::Installed();
    for (const OpenJTalkPaths& paths :
         {OpenJTalkPaths{installed.dictionary, {folder.path() + "/none"}},
          OpenJTalkPaths{folder.path() + "/dic", installed.voiceFolders}, OpenJTalkPaths{"", {}}}) {
        QElapsedTimer clock;
        clock.start();
        Recorder recorder(clock);
        OpenJTalkVoice voice(paths);
        voice.SetListener(&recorder);
        voice.SetRate(5);
        voice.SetVolume(50);
        voice.Speak("いち", Voice::kSync);  // even before the load has ended
        voice.Speak("に", Voice::kAsync);
        voice.Speak("さん", Voice::kPurge);
        voice.Skip("Sentence", 1000);
        EXPECT_TRUE(voice.Voices().empty());
        EXPECT_FALSE(voice.Ready());
        WaitUntil([] { return false; }, 100);
        EXPECT_TRUE(recorder.events.empty());
        EXPECT_LT(clock.elapsed(), 2000);
    }
}

}  // namespace
}  // namespace kazu
