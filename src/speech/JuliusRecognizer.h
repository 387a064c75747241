// The real recogniser: Julius in our recogniser process kazuchan-listen, which reads the
// microphone itself (so the window's thread is not woken for every block of sound), or is fed
// with audio handed in (kazuchan --hear, tests).
// Dictation is the grammar of spoken calculations; the command grammar comes from the XML file.
// A crash of the process never reaches the window: it is restarted once, and the second loss
// is reported through OnRecognizerLost.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QProcess>
#include <QTemporaryDir>
#include <functional>
#include <future>
#include <memory>
#include <optional>

#include "speech/JuliusGrammar.h"
#include "speech/Recognizer.h"

namespace kazu {

class JuliusRecognizer : public QObject, public Recognizer {
    Q_OBJECT

  public:
    struct Config {
        QString listenProgram;  // kazuchan-listen
        QString modelDir;
        JuliusTools tools = JuliusTools::Installed();
        std::function<QString(const QString&)> locate;  // grammar file name → path, "" if none
        bool microphone = true;                         // false: audio comes through FeedAudio
        // What the process reads as the microphone: empty for the sound server's default input
        // (the sound server's monitors of its outputs are none), or a file or FIFO of 16 kHz
        // mono 16-bit samples.
        QString microphoneSource;
        QString cacheFolder;  // compiled grammars kept between runs; empty: compiled every time
        // Where the means of speech the engine learned are kept between runs, so that the next
        // start begins from this room and microphone; empty: from the shipped means each time.
        QString learnedMeansFolder;
        static Config Installed(const QString& programFolder);
    };
    explicit JuliusRecognizer(Config config, QObject* parent = nullptr);
    ~JuliusRecognizer() override;

    int DictationLoad() override;
    int DictationSetState(int state) override;
    int CmdLoadFromFile(const std::string& path) override;
    int CmdSetRuleIdState(int ruleId, int state) override;
    void SetListener(RecognizerListener* listener) override { listener_ = listener; }

    // Compiles the dictation grammar and the command grammar of `grammarPath` on a worker
    // thread and emits prepared() here when both are done, so that the window need not wait
    // for perl. DictationLoad and CmdLoadFromFile of the same file content then take the
    // result (waiting for the worker if it is still at it).
    void Prepare(const std::string& grammarPath);

    // 16 kHz mono 16-bit samples, when there is no microphone.
    void FeedAudio(const QByteArray& samples);
    // No more audio: the process recognises what it has, says "state end" and exits.
    void FinishAudio();
    // Bytes handed to FeedAudio that the process has not taken yet.
    qint64 pendingAudio() const { return process_ ? process_->bytesToWrite() : 0; }
    // Whether the character's own voice is sounding. What the microphone hears while she
    // speaks, or within kOwnVoiceEchoMs after, may be her voice from the loudspeakers and its
    // echo in the room: such recognitions are marked `duringOwnVoice`.
    void SetOwnVoiceSounding(bool sounding);
    static constexpr qint64 kOwnVoiceEchoMs = 400;

    // Why the last operation failed, or why voice input was lost.
    const QString& lastError() const { return lastError_; }
    int starts() const { return starts_; }

  signals:
    void ready();        // the process has loaded its models and listens
    void inputEnded();   // after FinishAudio, once everything fed in is recognised
    void rejected();     // something was heard that is in no grammar
    void speechEnded();  // an utterance ended: its recognition follows
    void prepared();     // after Prepare, once both grammars are compiled or have failed

  private:
    struct Preparation {
        std::optional<QString> calcError;
        QByteArray commandFile;  // the command grammar file as it was read; null: none found
        std::optional<QString> readError;     // the file is not a command grammar
        std::optional<QString> compileError;  // it is one, but the tools failed on it
        CommandGrammarFile commands;
    };
    static Preparation Compile(const JuliusTools& tools, const QString& cacheFolder,
                               const QString& calcPrefix, const QString& commandPrefix,
                               const QByteArray& commandFile);
    void TakePreparation();
    std::optional<QString> LoadCommands(const QByteArray& file, const QString& name);
    bool EnsureRunning();
    bool StartProcess();
    void StopProcess();
    void SendMode();
    void OnOutput();
    void OnLine(const QByteArray& line);
    bool EndUtterance();
    void OnProcessGone();
    void Lose(const QString& reason);
    void LoseLater(const QString& reason);
    QString MicrophoneSource();

    Config config_;
    RecognizerListener* listener_ = nullptr;
    QTemporaryDir work_;
    QString calcPrefix_;
    QString commandPrefix_;
    CommandGrammarFile commands_;
    bool dictation_ = false;
    bool rules_ = false;
    bool lost_ = false;
    bool finishing_ = false;
    bool restarted_ = false;  // the one restart after a crash is used up
    int starts_ = 0;
    QString lastError_;
    std::unique_ptr<QProcess> process_;
    QByteArray output_;
    bool ownVoice_ = false;
    QElapsedTimer ownVoiceEnded_;  // invalid until she has spoken
    // While an utterance is being heard: whether it met her voice.
    std::optional<bool> utterance_;
    std::future<Preparation> preparing_;
    std::optional<Preparation> preparation_;
};

}  // namespace kazu
