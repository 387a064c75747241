// The first frame of the board: what waits for it (the grammars, so that they take nothing from
// the start-up), and its mark for measuring start-up from outside: with KAZU_FIRST_FRAME_FILE
// set, the monotonic clock (nanoseconds, as CLOCK_MONOTONIC counts them) is written into that
// file once the first paint is over, so a benchmark can time exec to the first frame.
#pragma once

#include <functional>

class QWidget;

namespace kazu {

// Calls `then` once, from the event loop, after the first paint of `widget` has ended; what
// waits for the same paint runs in the order it was asked for.
void AfterFirstPaint(QWidget* widget, std::function<void()> then);

// The mark, when KAZU_FIRST_FRAME_FILE asks for it.
void WatchFirstFrame(QWidget* widget);

}  // namespace kazu
