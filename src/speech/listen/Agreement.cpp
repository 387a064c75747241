#include "speech/listen/Agreement.h"

#include <algorithm>

namespace kazu::listen {

Hearing Agreed(const std::vector<Hearing>& hearings) {
    const Hearing* surest = nullptr;
    double least = 1;
    for (const Hearing& hearing : hearings) {
        if (hearing.words.empty())
            continue;
        if (surest == nullptr || hearing.confidence > surest->confidence)
            surest = &hearing;
        least = std::min(least, hearing.confidence);
    }
    if (surest == nullptr) {
        // Nothing heard: the best of the confidences tells how near it came.
        Hearing none;
        for (const Hearing& hearing : hearings)
            none.confidence = std::max(none.confidence, hearing.confidence);
        return none;
    }
    Hearing agreed = *surest;
    for (const Hearing& hearing : hearings)
        if (!hearing.words.empty() && hearing.words != surest->words)
            agreed.confidence = least;
    return agreed;
}

}  // namespace kazu::listen
