// Every phrase the character tells the child to say is heard as what it means: the phrases are
// taken from what the program itself says and shows, spoken by our voice (`kazuchan --say`)
// and heard by our recogniser (`kazuchan --hear`).
#include <QProcess>
#include <map>
#include <set>

#include "SpeechTestSupport.h"
#include "core/Kokuban_v24/QuietHost.h"
#include "core/RecordingCanvas.h"
#include "support/FedRecognizer.h"
#include "support/RecordingVoice.h"

namespace kazu {
namespace {

// A host that keeps what the command box and the message boxes show.
class ShowingHost : public QuietHost {
  public:
    void ShowInMemo2(const std::string& text) override { shown.push_back(text); }
    void ShowMessage(const std::string& text, const std::string&, MessageIcon) override {
        shown.push_back(text);
    }
    std::vector<std::string> shown;
};

// The owner object with recorders around it, listening in the given state.
struct Program {
    explicit Program(const AppSettings& settings) : model(host, voice, settings) {
        model.SetPacer(&pacer);
        model.Start(canvas, 96);
        model.SpeechSetup(recognizer, "KAZUGrammar.xml");
    }
    void Keep(std::vector<std::string>& texts) const {
        texts.insert(texts.end(), voice.spoken().begin(), voice.spoken().end());
        texts.insert(texts.end(), host.shown.begin(), host.shown.end());
    }
    ShowingHost host;
    RecordingVoice voice;
    MetricsCanvas metrics;
    RecordingCanvas canvas{metrics};
    std::vector<std::string> pauses;
    RecordingPacer pacer{pauses};
    FedRecognizer recognizer;  // before the model, which detaches from it
    Kokuban model;
};

AppSettings Listening(int hearOk) {
    AppSettings settings;
    settings.SRFLAG = 1;
    settings.HEAROK = hearOk;
    settings.MSGSPEAK = 1;
    settings.USERSYOBINA = "ゆうこさん";
    return settings;
}

// The greeting, the spoken help in both modes, the reply to every command number with
// listening on and paused, what the command box says when a finished calculation is there, and
// the question about a calculation heard with low confidence.
std::vector<std::string> ProgramTexts() {
    std::vector<std::string> texts;
    {
        Program greeting(Listening(1));
        greeting.model.FormActivate();
        greeting.model.HelpSpeak();
        greeting.model.EnterCommandMode();
        greeting.model.HelpSpeak();
        greeting.Keep(texts);
    }
    for (int hearOk : {0, 1}) {
        for (int number = 1; number <= 90; ++number) {
            Program program(Listening(hearOk));
            program.model.EnterCommandMode();
            program.model.RunCommand(number);
            program.Keep(texts);
        }
    }
    Program finished(Listening(1));
    finished.recognizer.Hear("3かける4わ");
    finished.recognizer.Hear("5");
    finished.Keep(texts);
    Program doubtful(Listening(1));
    doubtful.recognizer.Hear("3かける4わ", 0, 0.1);
    doubtful.Keep(texts);
    return texts;
}

// The quoted phrases of `text` that the child is told to say. A run of phrases ("「A」、「B」")
// followed by the character's own replies ("…と返ってきたら", "…と言われたら"), naming a
// topic ("…を決めたり", "…のときの説明") or saying back what was heard ("…かな？") teaches
// nothing.
std::set<std::string> TaughtPhrases(const std::string& text) {
    static const std::vector<std::string> opens = {"「", "｢"};
    static const std::string close = "」";
    static const std::vector<std::string> joins = {"、", "，", "か", "、あるいは", "とか、"};
    static const std::vector<std::string> untaught = {"と返って", "と言われ", "を決め", "のとき",
                                                      "かな"};
    std::set<std::string> taught;
    std::vector<std::string> run;
    size_t at = 0;
    while (true) {
        size_t open = std::string::npos;
        size_t openSize = 0;
        for (const auto& mark : opens) {
            const size_t found = text.find(mark, at);
            if (found < open) {
                open = found;
                openSize = mark.size();
            }
        }
        if (open == std::string::npos)
            break;
        const size_t end = text.find(close, open);
        if (end == std::string::npos)
            break;
        run.push_back(text.substr(open + openSize, end - open - openSize));
        at = end + close.size();
        const auto startsWith = [&](const std::string& word) {
            return text.compare(at, word.size(), word) == 0;
        };
        bool joined = false;
        for (const auto& join : joins)
            for (const auto& mark : opens) joined = joined || startsWith(join + mark);
        if (joined)
            continue;
        bool teaches = true;
        for (const auto& word : untaught) teaches = teaches && !startsWith(word);
        if (teaches)
            taught.insert(run.begin(), run.end());
        run.clear();
    }
    return taught;
}

// What each taught phrase means: the word heard in calculation mode (empty: not said there),
// the command number in command mode (0: not said there), or for a calculation the board's
// entry once it is heard. The end words are taught as the end of a calculation, and said after
// one.
struct Meaning {
    std::string calc;
    int command;
    std::string saidAfter = {};
    std::string entry = {};
};
const std::map<std::string, Meaning>& Meanings() {
    static const std::map<std::string, Meaning> meanings = {
        {"コマンド", {"コマンド", 0}},
        {"ヘルプ", {"", 18}},
        {"ヘルプ中止", {"", 31}},
        {"計算", {"", 8}},
        {"もっと大きい声で", {"", 28}},
        {"もっと小さい声で", {"", 29}},
        {"もっと速く読んで", {"", 19}},
        {"もっとおそく読んで", {"", 20}},
        {"賞は整数まで", {"", 40}},
        {"賞は小数第３位まで", {"", 43}},
        {"クリア", {"クリア", 4}},
        {"消去", {"消去", 4}},
        {"おはよう", {"", 10}},
        {"こんにちわ", {"", 13}},
        {"ありがとう", {"", 9}},
        {"何日？", {"", 17}},
        {"何時", {"", 15}},
        {"好きなものは", {"", 74}},
        {"わ", {"", 0, "ごたすさん", "5+3="}},
        {"イコール", {"", 0, "ごたすさん", "5+3="}},
        {"３×４ わ", {"", 0, "", "3*4="}},
        {"3.2÷0.5イコール", {"", 0, "", "3.2/0.5="}},
        {"プログラム終了", {"", 1}},
        {"かずちゃん終了", {"", 1}},
        {"聞き取り再開", {"", 33}},
        {"聞き取り中止", {"", 32}},
        {"数ちゃんまえに", {"", 53}},
        {"はい", {"はい", 0}},
    };
    return meanings;
}

QString Kazuchan(const QStringList& arguments) {
    QProcess process;
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(QStringLiteral(KAZUCHAN_EXE), arguments);
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return QStringLiteral("(no answer)");
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

QStringList HearLines(const QString& wav, const char* mode) {
    return Kazuchan({QStringLiteral("--hear"), wav, QStringLiteral("--mode"),
                     QString::fromLatin1(mode), QStringLiteral("--grammar"),
                     QStringLiteral(KAZU_SOURCE_RESOURCES "/KAZUGrammar.xml")})
        .split(u'\n', Qt::SkipEmptyParts);
}

// What --hear reports in `mode`: the command numbers, or the dictation texts put together.
std::string Heard(const QString& wav, const char* mode) {
    std::string heard;
    for (const QString& line : HearLines(wav, mode)) {
        if (line.startsWith(QStringLiteral("command ")))
            heard += line.section(u' ', 0, 1).toStdString() + ";";
        else if (line.startsWith(QStringLiteral("heard \"")))
            heard += line.mid(7, line.size() - 8).toStdString();
        else if (line == QStringLiteral("rejected"))
            heard += "(rejected);";
    }
    return heard;
}

// The board's entry once everything in the recording has been heard in calculation mode.
std::string BoardEntry(const QString& wav) {
    std::string entry;
    for (const QString& line : HearLines(wav, "calc"))
        if (line.startsWith(QStringLiteral("input \"")))
            entry = line.mid(7, line.size() - 8).toStdString();
    return entry;
}

TEST(TaughtPhrasesTest, ExtractionFindsThePhrasesAndLeavesTheRepliesOut) {
    const std::set<std::string> taught = TaughtPhrases(
        "「コマンド」と言ってくれればいいよ！「メニューコマンド受け付けました」と返ってきたら"
        "OK。数ちゃんの「声の大きさ」、「速さ」を決めたり。「わ」、あるいは「イコール」をつけて。"
        "｢聞き取り再開」と言って下さい。「クリアしました」と言われたら"
        "「12÷7」かな？ そうなら「はい」、ちがったら もう一度 言ってね。");
    EXPECT_EQ(taught,
              (std::set<std::string>{"コマンド", "わ", "イコール", "聞き取り再開", "はい"}));
}

TEST(TaughtPhrasesTest, EveryTaughtPhraseIsHeardAsWhatItMeans) {
    KAZU_REQUIRE_VOICE();
    std::set<std::string> taught;
    for (const std::string& text : ProgramTexts()) {
        const auto phrases = TaughtPhrases(text);
        taught.insert(phrases.begin(), phrases.end());
    }
    // Every phrase taught has a meaning here, and every meaning here is still taught.
    std::set<std::string> known;
    for (const auto& [phrase, meaning] : Meanings()) known.insert(phrase);
    EXPECT_EQ(taught, known);

    ScratchFolder folder;
    int index = 0;
    for (const std::string& phrase : taught) {
        const auto meaning = Meanings().find(phrase);
        if (meaning == Meanings().end())
            continue;
        const QString wav =
            QString::fromStdString(folder.path() + "/" + std::to_string(index++) + ".wav");
        Kazuchan({QStringLiteral("--say"),
                  QString::fromStdString(meaning->second.saidAfter + phrase),
                  QStringLiteral("--out"), wav});
        if (!meaning->second.entry.empty()) {
            EXPECT_EQ(BoardEntry(wav), meaning->second.entry) << phrase;
        } else if (!meaning->second.calc.empty()) {
            EXPECT_EQ(Heard(wav, "calc"), meaning->second.calc) << phrase;
        }
        if (meaning->second.command > 0) {
            EXPECT_EQ(Heard(wav, "command"),
                      "command " + std::to_string(meaning->second.command) + ";")
                << phrase;
        }
    }
}

}  // namespace
}  // namespace kazu
