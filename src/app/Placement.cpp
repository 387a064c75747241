#include "app/Placement.h"

#include <algorithm>
#include <limits>

namespace kazu {

QPoint FacePlaceOnResize(const QRect& main, QSize face) {
    return {main.left() + main.width() - face.width() - 20, main.top() + 160};
}

QPoint FacePlaceOnMove(const QRect& main) {
    return {main.left() + main.width() - 160, main.top() + 140};
}

QPoint InputPanelPlace(const QRect& main) {
    return {main.left() + main.width() - 200, main.top() + main.height() - 220};
}

QPoint StepWindowPlace(const QRect& main) {
    return {main.left() + main.width() - 220, main.top() + 300};
}

namespace {

long long Distance(const QRect& place, const QRect& wanted) {
    const long long dx = place.left() - wanted.left();
    const long long dy = place.top() - wanted.top();
    return dx * dx + dy * dy;
}

bool IsFree(const QRect& place, const QRect& screen, const std::vector<QRect>& taken) {
    return screen.contains(place) &&
           std::none_of(taken.begin(), taken.end(),
                        [&](const QRect& other) { return other.intersects(place); });
}

// The nearest free place lies where the wanted place is, or against an edge of the screen or
// of something taken (on a line of the free region's border, at the foot of the perpendicular
// from the wanted place or at a corner), so these lines hold it.
std::vector<int> Lines(int wanted, int low, int high, int extent, const std::vector<QRect>& taken,
                       bool horizontal) {
    std::vector<int> lines{wanted, low, high + 1 - extent};
    for (const QRect& other : taken) {
        const int first = horizontal ? other.left() : other.top();
        const int last = horizontal ? other.right() : other.bottom();
        lines.push_back(first - extent);
        lines.push_back(last + 1);
    }
    return lines;
}

QRect NearestFree(const QRect& wanted, const QRect& screen, const std::vector<QRect>& taken) {
    const std::vector<int> xs =
        Lines(wanted.left(), screen.left(), screen.right(), wanted.width(), taken, true);
    const std::vector<int> ys =
        Lines(wanted.top(), screen.top(), screen.bottom(), wanted.height(), taken, false);
    QRect best;
    long long bestDistance = std::numeric_limits<long long>::max();
    for (const int x : xs) {
        for (const int y : ys) {
            const QRect place(QPoint(x, y), wanted.size());
            const long long distance = Distance(place, wanted);
            if (distance < bestDistance && IsFree(place, screen, taken)) {
                best = place;
                bestDistance = distance;
            }
        }
    }
    return best;
}

long long Overlap(const QRect& a, const QRect& b) {
    const QRect both = a & b;
    return both.isEmpty() ? 0 : static_cast<long long>(both.width()) * both.height();
}

// No place is free of both: the place on the screen that covers least of the work, nearest
// among those; the companions keep above this one. The overlap is smallest where the window
// stands against an edge of the work or of the screen, or where it was wanted.
QRect LeastCovering(const QRect& wanted, const QRect& screen, const QRect& work) {
    const int w = work.width();
    const int h = work.height();
    const std::vector<int> xs = Lines(wanted.left(), screen.left(), screen.right(), wanted.width(),
                                      {work, work.translated(-w, 0), work.translated(w, 0)}, true);
    const std::vector<int> ys = Lines(wanted.top(), screen.top(), screen.bottom(), wanted.height(),
                                      {work, work.translated(0, -h), work.translated(0, h)}, false);
    QRect best = wanted;
    long long bestOverlap = std::numeric_limits<long long>::max();
    long long bestDistance = 0;
    for (const int x : xs) {
        for (const int y : ys) {
            const QRect place(QPoint(x, y), wanted.size());
            if (!screen.contains(place)) {
                continue;
            }
            const long long overlap = Overlap(place, work);
            const long long distance = Distance(place, wanted);
            if (overlap < bestOverlap || (overlap == bestOverlap && distance < bestDistance)) {
                best = place;
                bestOverlap = overlap;
                bestDistance = distance;
            }
        }
    }
    return best;
}

}  // namespace

std::vector<QRect> PlaceBeside(const QRect& screen, const QRect& work,
                               const std::vector<QRect>& wanted) {
    std::vector<QRect> taken;
    if (!work.isEmpty()) {
        taken.push_back(work);
    }
    std::vector<QRect> placed;
    for (const QRect& each : wanted) {
        QRect place = IsFree(each, screen, taken) ? each : NearestFree(each, screen, taken);
        if (place.isNull()) {
            place = LeastCovering(each, screen, work);
        }
        placed.push_back(place);
        taken.push_back(place);
    }
    return placed;
}

}  // namespace kazu
