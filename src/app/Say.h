// `kazuchan --say TEXT [--out FILE.wav] [--rate N] [--volume N] [--visemes]`: the audio the
// voice would play for TEXT, and the mouth shapes with their times, without a window.
#pragma once

#include <QStringList>

namespace kazu {

// Exit status: 0 spoken, 1 the voice is not installed or the file cannot be written, 2 usage.
int RunSay(const QStringList& arguments);
extern const char* const kSayUsage;

}  // namespace kazu
