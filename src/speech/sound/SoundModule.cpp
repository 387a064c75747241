// kazuchan-sound: the sound devices through Qt Multimedia (its PulseAudio backend).
#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QMediaDevices>

#include "speech/sound/SoundDevices.h"

namespace kazu {
namespace {

class QtSoundOutput : public SoundOutput {
  public:
    explicit QtSoundOutput(const QAudioFormat& format)
        : sink_(QMediaDevices::defaultAudioOutput(), format) {}

    bool Start() override {
        input_ = sink_.start();
        return input_ != nullptr;
    }
    void Stop() override {
        sink_.stop();
        input_ = nullptr;
    }
    bool Failed() const override {
        return sink_.error() != QAudio::NoError && sink_.error() != QAudio::UnderrunError;
    }
    int64_t BytesFree() const override { return sink_.bytesFree(); }
    int64_t Write(const char* data, int64_t bytes) override {
        return input_ != nullptr ? input_->write(data, bytes) : -1;
    }
    bool Opened() const { return input_ != nullptr && sink_.error() == QAudio::NoError; }

  private:
    QAudioSink sink_;
    QIODevice* input_ = nullptr;
};

class QtSoundDevices : public SoundDevices {
  public:
    std::unique_ptr<SoundOutput> OpenOutput(int sampleRate) override {
        QAudioFormat format;
        format.setSampleRate(sampleRate);
        format.setChannelCount(1);
        format.setSampleFormat(QAudioFormat::Int16);
        auto output = std::make_unique<QtSoundOutput>(format);
        // Without a sound server the sink fails at once (OpenError).
        if (!output->Start() || !output->Opened()) {
            return nullptr;
        }
        return output;
    }
    std::string DefaultInput() override {
        const QAudioDevice device = QMediaDevices::defaultAudioInput();
        return device.isNull() ? std::string() : device.id().toStdString();
    }
};

}  // namespace
}  // namespace kazu

extern "C" __attribute__((visibility("default"))) kazu::SoundDevices* kazu_sound_devices() {
    static kazu::QtSoundDevices devices;
    return &devices;
}
