// The real recogniser: Julius in our recogniser process kazuchan-listen, fed with the
// microphone (Qt Multimedia, 16 kHz mono) or with audio handed in (kazuchan --hear, tests).
// Dictation is the grammar of spoken calculations; the command grammar comes from the XML file.
// A crash of the process never reaches the window: it is restarted once, and the second loss
// is reported through OnRecognizerLost.
#pragma once

#include <QAudioSource>
#include <QObject>
#include <QProcess>
#include <QTemporaryDir>
#include <functional>
#include <memory>

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
        static Config Installed(const QString& programFolder);
    };
    explicit JuliusRecognizer(Config config, QObject* parent = nullptr);
    ~JuliusRecognizer() override;

    int DictationLoad() override;
    int DictationSetState(int state) override;
    int CmdLoadFromFile(const std::string& path) override;
    int CmdSetRuleIdState(int ruleId, int state) override;
    void SetListener(RecognizerListener* listener) override { listener_ = listener; }

    // 16 kHz mono 16-bit samples, when there is no microphone.
    void FeedAudio(const QByteArray& samples);
    // No more audio: the process recognises what it has, says "state end" and exits.
    void FinishAudio();
    // Bytes handed to FeedAudio that the process has not taken yet.
    qint64 pendingAudio() const { return process_ ? process_->bytesToWrite() : 0; }
    // Why the last operation failed, or why voice input was lost.
    const QString& lastError() const { return lastError_; }
    int starts() const { return starts_; }

  signals:
    void ready();        // the process has loaded its models and listens
    void inputEnded();   // after FinishAudio, once everything fed in is recognised
    void rejected();     // something was heard that is in no grammar
    void speechEnded();  // an utterance ended: its recognition follows

  private:
    bool EnsureRunning();
    bool StartProcess();
    void StopProcess();
    void SendMode();
    void OnOutput();
    void OnLine(const QByteArray& line);
    void OnProcessGone();
    void Lose(const QString& reason);
    void StartMicrophone();
    void OnMicrophoneState(QAudio::State state);

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
    std::unique_ptr<QAudioSource> microphone_;
    QIODevice* microphoneDevice_ = nullptr;
};

}  // namespace kazu
