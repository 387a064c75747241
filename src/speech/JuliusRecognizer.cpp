#include "speech/JuliusRecognizer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <utility>

#include "core/InstallLayout.h"
#include "core/Leftovers.h"
#include "speech/JuliusGrammarCache.h"
#include "speech/listen/ListenProtocol.h"
#include "speech/sound/SoundDevices.h"

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
    // Beside the program in the build folder; installed, among the program's private files.
    const std::string installed = InstalledLibFolder();
    config.listenProgram = (installed.empty() ? programFolder : QString::fromStdString(installed)) +
                           QStringLiteral("kazuchan-listen");
    config.modelDir = JuliusFolder() + QStringLiteral("/model");
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
    if (preparing_.valid()) {
        preparing_.wait();
    }
    StopProcess();
}

int JuliusRecognizer::DictationLoad() {
    if (!calcPrefix_.isEmpty())
        return 0;
    if (!work_.isValid()) {
        lastError_ = QStringLiteral("作業フォルダを作れません。");
        return -1;
    }
    TakePreparation();
    if (!calcPrefix_.isEmpty())
        return 0;
    const QString prefix = work_.filePath(QStringLiteral("calc"));
    if (auto error = GrammarCache(config_.cacheFolder)
                         .Compile(listen::CalcGrammar(), prefix, config_.tools)
                         .error) {
        lastError_ = *error;
        return -1;
    }
    calcPrefix_ = prefix;
    return 0;
}

void JuliusRecognizer::Prepare(const std::string& grammarPath) {
    if (preparing_.valid() || preparation_ || !work_.isValid())
        return;
    const QString name = QString::fromStdString(grammarPath);
    const QString found = config_.locate ? config_.locate(name) : name;
    QFile file(found);
    const QByteArray bytes =
        !found.isEmpty() && file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    preparing_ = std::async(
        std::launch::async, [this, tools = config_.tools, cache = config_.cacheFolder,
                             calc = work_.filePath(QStringLiteral("calc")),
                             command = work_.filePath(QStringLiteral("command")), bytes] {
            Preparation done = Compile(tools, cache, calc, command, bytes);
            QMetaObject::invokeMethod(this, &JuliusRecognizer::prepared, Qt::QueuedConnection);
            return done;
        });
}

// On the worker: touches nothing of the recogniser's.
JuliusRecognizer::Preparation JuliusRecognizer::Compile(const JuliusTools& tools,
                                                        const QString& cacheFolder,
                                                        const QString& calcPrefix,
                                                        const QString& commandPrefix,
                                                        const QByteArray& commandFile) {
    const GrammarCache cache(cacheFolder);
    Preparation done;
    done.calcError = cache.Compile(listen::CalcGrammar(), calcPrefix, tools).error;
    done.commandFile = commandFile;
    if (commandFile.isNull())
        return done;
    done.readError = ReadCommandGrammar(commandFile, done.commands);
    if (!done.readError)
        done.compileError =
            cache.Compile(listen::CommandGrammar(done.commands.phrases), commandPrefix, tools)
                .error;
    return done;
}

// What the worker compiled becomes the recogniser's: the dictation grammar at once, the command
// grammar when its file is asked for unchanged.
void JuliusRecognizer::TakePreparation() {
    if (!preparing_.valid())
        return;
    preparation_ = preparing_.get();
    if (preparation_->calcError)
        lastError_ = *preparation_->calcError;
    else
        calcPrefix_ = work_.filePath(QStringLiteral("calc"));
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
    if (auto error = LoadCommands(file.readAll(), name)) {
        lastError_ = *error;
        return -1;
    }
    // A running process listens with the old grammar: start it again with the new one.
    if (process_) {
        StopProcess();
        return EnsureRunning() ? 0 : -1;
    }
    return 0;
}

std::optional<QString> JuliusRecognizer::LoadCommands(const QByteArray& file, const QString& name) {
    TakePreparation();
    // Taken once: a later load may have written another grammar over its files.
    const std::optional<Preparation> prepared = std::exchange(preparation_, std::nullopt);
    const QString prefix = work_.filePath(QStringLiteral("command"));
    if (prepared && !prepared->commandFile.isNull() && prepared->commandFile == file) {
        if (prepared->readError)
            return QStringLiteral("%1: %2").arg(name, *prepared->readError);
        if (prepared->compileError)
            return prepared->compileError;
        commands_ = prepared->commands;
        commandPrefix_ = prefix;
        return std::nullopt;
    }
    CommandGrammarFile grammar;
    if (auto error = ReadCommandGrammar(file, grammar))
        return QStringLiteral("%1: %2").arg(name, *error);
    if (auto error = GrammarCache(config_.cacheFolder)
                         .Compile(listen::CommandGrammar(grammar.phrases), prefix, config_.tools)
                         .error)
        return error;
    commands_ = std::move(grammar);
    commandPrefix_ = prefix;
    return std::nullopt;
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
    if (const QString microphone = MicrophoneSource(); !microphone.isEmpty())
        arguments << QStringLiteral("--microphone") << microphone;
    // The means learned in the last run come first: a voice unlike ours, in a noisy room, was
    // heard far better once the engine had followed it. A file a killed run left half written
    // is passed over for the shipped one.
    if (!config_.learnedMeansFolder.isEmpty() && QDir().mkpath(config_.learnedMeansFolder))
        arguments << QStringLiteral("--means") << config_.learnedMeansFolder
                  << QStringLiteral("--save-means") << config_.learnedMeansFolder;
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
    utterance_.reset();
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

void JuliusRecognizer::SetOwnVoiceSounding(bool sounding) {
    if (sounding == ownVoice_)
        return;
    ownVoice_ = sounding;
    if (sounding && utterance_)
        *utterance_ = true;
    else if (!sounding)
        ownVoiceEnded_.start();
}

// Ends the utterance being heard; true when it met the character's voice.
bool JuliusRecognizer::EndUtterance() {
    return std::exchange(utterance_, std::nullopt).value_or(false);
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
        case Kind::NoMicrophone:
            LoseLater(QStringLiteral("マイクが見つかりません。音声入力はできません。"));
            break;
        case Kind::MicrophoneFailed:
            LoseLater(QStringLiteral("マイクから音を取れません。音声入力はできません。"));
            break;
        case Kind::Silence:
            emit speechEnded();
            break;
        case Kind::Speech:
            utterance_ = ownVoice_ ||
                         (ownVoiceEnded_.isValid() && ownVoiceEnded_.elapsed() < kOwnVoiceEchoMs);
            break;
        case Kind::Rejected:
            utterance_.reset();
            emit rejected();
            break;
        case Kind::Level:
            if (listener_)
                listener_->OnInputLevel(event->number);
            break;
        case Kind::Calc: {
            const bool duringOwnVoice = EndUtterance();
            if (listener_)
                listener_->OnRecognition({event->text, {}, event->confidence, duringOwnVoice});
            break;
        }
        case Kind::Command: {
            const bool duringOwnVoice = EndUtterance();
            const auto phrase = static_cast<size_t>(event->phrase);
            const QString text =
                phrase < commands_.texts.size() ? commands_.texts[phrase] : QString();
            Recognition recognition{
                text.toStdString(),
                {{"chosencommand", "", {{"commandvalue", std::to_string(event->number), {}}}}},
                event->confidence,
                duringOwnVoice};
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
    StopProcess();
    if (listener_)
        listener_->OnRecognizerLost(reason.toStdString());
}

// The sound server's input the window would have chosen, named for the process.
QString JuliusRecognizer::MicrophoneSource() {
    if (!config_.microphone)
        return {};
    if (!config_.microphoneSource.isEmpty())
        return config_.microphoneSource;
    SoundDevices* devices = LoadSoundDevices();
    const std::string device = devices != nullptr ? devices->DefaultInput() : std::string();
    if (device.empty()) {
        LoseLater(QStringLiteral("マイクが見つかりません。音声入力はできません。"));
        return {};
    }
    return QStringLiteral("pulse:") + QString::fromStdString(device);
}

// Reported from the event loop: the process that told it is in the middle of its own signal.
void JuliusRecognizer::LoseLater(const QString& reason) {
    QTimer::singleShot(0, this, [this, reason] { Lose(reason); });
}

}  // namespace kazu
