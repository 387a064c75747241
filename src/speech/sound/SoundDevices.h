// The sound server's devices: the voice's output and the name of the microphone. They live in
// a module of their own (kazuchan-sound: Qt Multimedia and the sound server's libraries, about
// twenty), loaded when sound is first needed, so that starting the window links none of them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace kazu {

// One output stream of 16-bit mono samples, written ahead of what it plays.
class SoundOutput {
  public:
    virtual ~SoundOutput() = default;
    // Takes samples again after Stop; false when the device will not.
    virtual bool Start() = 0;
    // Drops what it holds.
    virtual void Stop() = 0;
    // The device has gone; running dry is no failure.
    virtual bool Failed() const = 0;
    virtual int64_t BytesFree() const = 0;
    // The bytes taken, negative when none could be.
    virtual int64_t Write(const char* data, int64_t bytes) = 0;
};

class SoundDevices {
  public:
    virtual ~SoundDevices() = default;
    // The default output at `sampleRate`, started; null when it cannot be opened (no sound
    // server, no device).
    virtual std::unique_ptr<SoundOutput> OpenOutput(int sampleRate) = 0;
    // The sound server's name of the default input; empty when there is none.
    virtual std::string DefaultInput() = 0;
};

// The module, loaded on the first call (from any thread) and kept; null when it cannot be
// loaded, which is said once on standard error.
SoundDevices* LoadSoundDevices();

}  // namespace kazu
