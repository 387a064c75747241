// Where the companion windows (the face, the input panel, the step window, the example
// window) stand beside the board. Each has its own place relative to the main window; where
// that place would cover the work on the board or a companion that comes before it, the window
// goes to the nearest free place on the same screen instead, and back once the place is free.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <vector>

namespace kazu {

// The companions' own places, from the main window's frame.
QPoint FacePlaceOnResize(const QRect& main, QSize face);
QPoint FacePlaceOnMove(const QRect& main);
QPoint InputPanelPlace(const QRect& main);
QPoint StepWindowPlace(const QRect& main);

// wanted: each companion's frame at its own place, first the one that must stay in view most.
// Each keeps its wanted place when that lies on the screen and covers neither the work nor a
// companion before it; otherwise it gets the free place on the screen nearest to the wanted
// one. When no place is free of both, it gets the place on the screen that covers least of the
// work (the others, kept on top, stay seen), the nearest of those; when it is larger than the
// screen, the wanted place. An empty work covers nothing.
std::vector<QRect> PlaceBeside(const QRect& screen, const QRect& work,
                               const std::vector<QRect>& wanted);

}  // namespace kazu
