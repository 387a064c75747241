#include "speech/JuliusRecognizer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMediaDevices>
#include <QTimer>

#include "core/Leftovers.h"
#include "speech/listen/ListenProtocol.h"

namespace kazu {

namespace {

constexpr int kStartTimeoutMs = 5000;
const char* const kLostMessage = "音声認識のプログラムが止まりました。音声入力はできません。";

std::string Frame(listen::FrameType type, const QByteArray& payload) {
    return listen::EncodeFrame(
        type, std::string_view(payload.constData(), static_cast<size_t>(payload.size())));
}

}  // namespace

JuliusRecognizer::Config JuliusRecognizer::Config::Installed(const QString& programFolder) {
    Config config;
    config.listenProgram = programFolder + QStringLiteral("kazuchan-listen");
    config.modelDir = QStringLiteral(KAZU_JULIUS_DIR "/model");
    config.locate = [](const QString& name) { return QFileInfo::exists(name) ? name : QString(); };
    return config;
}

JuliusRecognizer::JuliusRecognizer(Config config, QObject* parent)
    : QObject(parent),
      config_(std::move(config)),
      // Named with the process id, so that the next start can remove it after a crash.
      work_(QDir::tempPath() + QLatin1Char('/') +
            QString::fromStdString(OwnName(kWorkFolderPrefix)) + QStringLiteral("-XXXXXX")) {
    // With the engine's log asked for, the compiled grammars stay for a look too.
    work_.setAutoRemove(qEnvironmentVariableIsEmpty("KAZU_LISTEN_LOG"));
}

JuliusRecognizer::~JuliusRecognizer() {
    microphone_.reset();
    StopProcess();
}

int JuliusRecognizer::DictationLoad() {
    if (!calcPrefix_.isEmpty())
        return 0;
    if (!work_.isValid()) {
        lastError_ = QStringLiteral("作業フォルダを作れません。");
        return -1;
    }
    const QString prefix = work_.filePath(QStringLiteral("calc"));
    if (auto error = CompileGrammar(listen::CalcGrammar(), prefix, config_.tools)) {
        lastError_ = *error;
        return -1;
    }
    calcPrefix_ = prefix;
    return 0;
}

int JuliusRecognizer::DictationSetState(int state) {
    dictation_ = state != 0;
    if (dictation_ && DictationLoad() < 0)
        return -1;
    return EnsureRunning() ? 0 : -1;
}

int JuliusRecognizer::CmdLoadFromFile(const std::string& path) {
    const QString name = QString::fromStdString(path);
    const QString found = config_.locate ? config_.locate(name) : name;
    QFile file(found);
    if (found.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        lastError_ = QStringLiteral("文法ファイル %1 がありません。").arg(name);
        return -1;
    }
    CommandGrammarFile grammar;
    if (auto error = ReadCommandGrammar(file.readAll(), grammar)) {
        lastError_ = QStringLiteral("%1: %2").arg(name, *error);
        return -1;
    }
    const QString prefix = work_.filePath(QStringLiteral("command"));
    if (auto error =
            CompileGrammar(listen::CommandGrammar(grammar.phrases), prefix, config_.tools)) {
        lastError_ = *error;
        return -1;
    }
    commands_ = std::move(grammar);
    commandPrefix_ = prefix;
    // A running process listens with the old grammar: start it again with the new one.
    if (process_) {
        StopProcess();
        return EnsureRunning() ? 0 : -1;
    }
    return 0;
}

int JuliusRecognizer::CmdSetRuleIdState(int, int state) {
    rules_ = state != 0;
    if (rules_ && commandPrefix_.isEmpty())
        return -1;
    return EnsureRunning() ? 0 : -1;
}

void JuliusRecognizer::FeedAudio(const QByteArray& samples) {
    if (!process_)
        return;
    for (qsizetype at = 0; at < samples.size(); at += 3200) {
        const std::string frame = Frame(listen::FrameType::Audio, samples.mid(at, 3200));
        process_->write(frame.data(), static_cast<qint64>(frame.size()));
    }
}

void JuliusRecognizer::FinishAudio() {
    finishing_ = true;
    if (process_)
        process_->closeWriteChannel();
}

// The process runs while anything listens; nothing is started before a grammar is ready.
bool JuliusRecognizer::EnsureRunning() {
    if (lost_)
        return false;
    if (process_ || (!dictation_ && !rules_)) {
        SendMode();
        return true;
    }
    if (calcPrefix_.isEmpty() && DictationLoad() < 0)
        return false;
    return StartProcess();
}

bool JuliusRecognizer::StartProcess() {
    // Without its model the engine would only exit, which would read as a crash.
    for (const char* name : listen::kModelFiles) {
        const QString path = QDir(config_.modelDir).filePath(QString::fromLatin1(name));
        if (!QFileInfo(path).isFile()) {
            lastError_ = QStringLiteral("音声認識のモデル %1 がありません。").arg(path);
            return false;
        }
    }
    process_ = std::make_unique<QProcess>();
    QStringList arguments = {QStringLiteral("--model"), config_.modelDir, QStringLiteral("--calc"),
                             calcPrefix_};
    if (!commandPrefix_.isEmpty())
        arguments << QStringLiteral("--command") << commandPrefix_;
    // The starting means of speech live beside the grammar file; without them the engine
    // still listens, only less well at first.
    if (config_.locate)
        if (const QString means = config_.locate(QString::fromLatin1(listen::kTriphoneMean));
            !means.isEmpty())
            arguments << QStringLiteral("--means") << QFileInfo(means).absolutePath();
    // The engine's log on standard error is kept quiet unless asked for. (Forwarding and a
    // file together are inconsistent to QProcess, which then forwards.)
    if (qEnvironmentVariableIsEmpty("KAZU_LISTEN_LOG"))
        process_->setStandardErrorFile(QProcess::nullDevice());
    else
        process_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    connect(process_.get(), &QProcess::readyReadStandardOutput, this, &JuliusRecognizer::OnOutput);
    connect(process_.get(), &QProcess::finished, this, &JuliusRecognizer::OnProcessGone);
    ++starts_;
    process_->start(config_.listenProgram, arguments);
    if (!process_->waitForStarted(kStartTimeoutMs)) {
        lastError_ = QStringLiteral("音声認識のプログラム %1 を起動できません。")
                         .arg(QFileInfo(config_.listenProgram).fileName());
        process_->disconnect(this);
        process_.reset();
        return false;
    }
    SendMode();
    if (config_.microphone && !microphone_)
        StartMicrophone();
    return true;
}

void JuliusRecognizer::StopProcess() {
    if (!process_)
        return;
    process_->disconnect(this);
    process_->closeWriteChannel();
    if (!process_->waitForFinished(1000)) {
        process_->kill();
        process_->waitForFinished(1000);
    }
    process_.reset();
    output_.clear();
}

void JuliusRecognizer::SendMode() {
    if (!process_)
        return;
    const QByteArray mode = rules_ && !commandPrefix_.isEmpty() ? QByteArray("command")
                            : dictation_                        ? QByteArray("calc")
                                                                : QByteArray("off");
    const std::string frame = Frame(listen::FrameType::Mode, mode);
    process_->write(frame.data(), static_cast<qint64>(frame.size()));
}

void JuliusRecognizer::OnOutput() {
    output_ += process_->readAllStandardOutput();
    for (qsizetype end = output_.indexOf('\n'); end >= 0; end = output_.indexOf('\n')) {
        const QByteArray line = output_.left(end);
        output_.remove(0, end + 1);
        OnLine(line);
        if (!process_)
            return;
    }
}

void JuliusRecognizer::OnLine(const QByteArray& line) {
    using Kind = listen::ListenEvent::Kind;
    const auto event = listen::ParseListenLine(
        std::string_view(line.constData(), static_cast<size_t>(line.size())));
    if (!event)
        return;
    switch (event->kind) {
        case Kind::Ready:
            emit ready();
            break;
        case Kind::End:
            emit inputEnded();
            break;
        case Kind::Silence:
            emit speechEnded();
            break;
        case Kind::Speech:
            break;
        case Kind::Rejected:
            emit rejected();
            break;
        case Kind::Level:
            if (listener_)
                listener_->OnInputLevel(event->number);
            break;
        case Kind::Calc:
            if (listener_)
                listener_->OnRecognition({event->text, {}});
            break;
        case Kind::Command: {
            const auto phrase = static_cast<size_t>(event->phrase);
            const QString text =
                phrase < commands_.texts.size() ? commands_.texts[phrase] : QString();
            Recognition recognition{
                text.toStdString(),
                {{"chosencommand", "", {{"commandvalue", std::to_string(event->number), {}}}}}};
            if (listener_)
                listener_->OnRecognition(recognition);
            break;
        }
    }
}

void JuliusRecognizer::OnProcessGone() {
    if (!process_)
        return;
    // The end of a finished file is no loss.
    const bool finished =
        finishing_ && process_->exitStatus() == QProcess::NormalExit && process_->exitCode() == 0;
    OnOutput();
    process_->disconnect(this);
    // Deleting a QProcess inside its own signal is unsafe: let the event loop do it.
    process_.release()->deleteLater();
    output_.clear();
    if (finished)
        return;
    // Only one crash is forgiven. After FinishAudio the audio went with the process: a new one
    // would wait for input that never comes.
    if (!restarted_ && !finishing_) {
        restarted_ = true;
        if (StartProcess())
            return;
    }
    Lose(QString::fromUtf8(kLostMessage));
}

void JuliusRecognizer::Lose(const QString& reason) {
    if (lost_)
        return;
    lost_ = true;
    lastError_ = reason;
    microphone_.reset();
    microphoneDevice_ = nullptr;
    StopProcess();
    if (listener_)
        listener_->OnRecognizerLost(reason.toStdString());
}

void JuliusRecognizer::StartMicrophone() {
    const QAudioDevice device = QMediaDevices::defaultAudioInput();
    if (device.isNull()) {
        // Reported from the event loop: the caller may be in the middle of its own set-up.
        QTimer::singleShot(0, this, [this] {
            Lose(QStringLiteral("マイクが見つかりません。音声入力はできません。"));
        });
        return;
    }
    QAudioFormat format;
    format.setSampleRate(16000);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    microphone_ = std::make_unique<QAudioSource>(device, format);
    connect(microphone_.get(), &QAudioSource::stateChanged, this,
            &JuliusRecognizer::OnMicrophoneState);
    microphoneDevice_ = microphone_->start();
    if (microphoneDevice_ == nullptr) {
        OnMicrophoneState(QAudio::StoppedState);
        return;
    }
    connect(microphoneDevice_, &QIODevice::readyRead, this,
            [this] { FeedAudio(microphoneDevice_->readAll()); });
}

void JuliusRecognizer::OnMicrophoneState(QAudio::State state) {
    if (state != QAudio::StoppedState || !microphone_ || microphone_->error() == QAudio::NoError)
        return;
    QTimer::singleShot(0, this, [this] {
        Lose(QStringLiteral("マイクから音を取れません。音声入力はできません。"));
    });
}

}  // namespace kazu
