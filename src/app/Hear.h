// `kazuchan --hear FILE.wav [--mode calc|command] [--grammar FILE]`: the recogniser on a
// recording, and what the program would do with each recognition, without a window.
#pragma once

#include <QByteArray>
#include <QStringList>
#include <optional>

namespace kazu {

// Exit status: 0 the file was listened to, 1 the file or the recogniser failed, 2 usage.
int RunHear(const QStringList& arguments);
extern const char* const kHearUsage;

// A PCM WAV file (16-bit, any rate and channel count) as 16 kHz mono samples; nullopt when it
// is not one.
std::optional<QByteArray> ReadWavAs16k(const QByteArray& file);

}  // namespace kazu
