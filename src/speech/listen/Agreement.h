// A calculation is heard by two acoustic models at once, the context-dependent one and the
// plain phone model. Their errors differ: one often hears right what the other does not, and
// when both hear the same words that is worth more than either's confidence alone.
#pragma once

#include <string>
#include <vector>

namespace kazu::listen {

// What one model heard of an utterance.
struct Hearing {
    std::vector<std::string> words;  // the grammar's word names, silences left out; empty: nothing
    double confidence = 0;           // of the least sure word
};

// The hearings of one utterance taken together: the surest one's words. Two that agree make it
// as sure as the surer of them; when they differ it is only as sure as the least sure one, so
// that a calculation the models disagree on is said back to the child before it is drawn. A
// model that heard nothing neither adds nor takes away. Empty words when none heard anything.
Hearing Agreed(const std::vector<Hearing>& hearings);

}  // namespace kazu::listen
