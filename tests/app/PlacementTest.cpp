// The companions' placement rule, held against a search of every place on small screens.
#include <QTest>
#include <random>

#include "app/Placement.h"

namespace kazu {

class PlacementTest : public QObject {
    Q_OBJECT

  private slots:
    void freePlaceNearestOnTheScreenAndTheOwnPlaceWhenFree();
};

namespace {

bool Free(const QRect& place, const QRect& screen, const std::vector<QRect>& taken) {
    if (!screen.contains(place)) {
        return false;
    }
    for (const QRect& other : taken) {
        if (other.intersects(place)) {
            return false;
        }
    }
    return true;
}

long long Distance(const QRect& place, const QRect& wanted) {
    const long long dx = place.left() - wanted.left();
    const long long dy = place.top() - wanted.top();
    return dx * dx + dy * dy;
}

long long Overlap(const QRect& a, const QRect& b) {
    const QRect both = a & b;
    return both.isEmpty() ? 0 : static_cast<long long>(both.width()) * both.height();
}

// Every place on the screen, tried: the squared distance to the nearest free one (-1 when none
// is free), and the least area of the work that a place covers, with the distance to the
// nearest place that covers that little (-1, -1 when the window does not fit on the screen).
struct Search {
    long long nearestFree = -1;
    long long leastCovered = -1;
    long long nearestLeastCovering = -1;
};

Search SearchEveryPlace(const QRect& wanted, const QRect& screen, const QRect& work,
                        const std::vector<QRect>& taken) {
    Search found;
    for (int y = screen.top(); y <= screen.bottom(); ++y) {
        for (int x = screen.left(); x <= screen.right(); ++x) {
            const QRect place(QPoint(x, y), wanted.size());
            if (!screen.contains(place)) {
                continue;
            }
            const long long distance = Distance(place, wanted);
            if (Free(place, screen, taken) &&
                (found.nearestFree < 0 || distance < found.nearestFree)) {
                found.nearestFree = distance;
            }
            const long long covered = Overlap(place, work);
            if (found.leastCovered < 0 || covered < found.leastCovered ||
                (covered == found.leastCovered && distance < found.nearestLeastCovering)) {
                found.leastCovered = covered;
                found.nearestLeastCovering = distance;
            }
        }
    }
    return found;
}

QRect RandomRect(std::mt19937& random, int span, int minSide, int maxSide) {
    std::uniform_int_distribution<int> at(-span / 4, span);
    std::uniform_int_distribution<int> side(minSide, maxSide);
    return {at(random), at(random), side(random), side(random)};
}

}  // namespace

// Small worlds, so that every place can be tried: a screen, the work (sometimes none) and up
// to four companions wanted anywhere, partly off the screen too. Where no place is free, the
// least of the work is covered.
void PlacementTest::freePlaceNearestOnTheScreenAndTheOwnPlaceWhenFree() {
    std::mt19937 random(20261209);
    int moved = 0;
    int crowded = 0;
    for (int round = 0; round < 3000; ++round) {
        const QRect screen(std::uniform_int_distribution<int>(-10, 10)(random),
                           std::uniform_int_distribution<int>(-10, 10)(random),
                           std::uniform_int_distribution<int>(20, 48)(random),
                           std::uniform_int_distribution<int>(16, 40)(random));
        const QRect work = round % 7 == 0 ? QRect() : RandomRect(random, 40, 1, 30);
        std::vector<QRect> wanted(std::uniform_int_distribution<int>(1, 4)(random));
        for (QRect& each : wanted) {
            each = RandomRect(random, 40, 2, 14);
        }
        const std::vector<QRect> placed = PlaceBeside(screen, work, wanted);
        QCOMPARE(placed.size(), wanted.size());
        std::vector<QRect> taken;
        if (!work.isEmpty()) {
            taken.push_back(work);
        }
        for (size_t i = 0; i < wanted.size(); ++i) {
            const QString where = QStringLiteral("round %1, companion %2").arg(round).arg(i);
            QCOMPARE(placed[i].size(), wanted[i].size());
            const Search found = SearchEveryPlace(wanted[i], screen, work, taken);
            if (found.leastCovered < 0) {
                QVERIFY2(placed[i] == wanted[i], qPrintable(where));  // larger than the screen
            } else if (found.nearestFree < 0) {
                QVERIFY2(screen.contains(placed[i]), qPrintable(where));
                QVERIFY2(Overlap(placed[i], work) == found.leastCovered, qPrintable(where));
                QVERIFY2(Distance(placed[i], wanted[i]) == found.nearestLeastCovering,
                         qPrintable(where));
                ++crowded;
            } else if (Free(wanted[i], screen, taken)) {
                QVERIFY2(placed[i] == wanted[i], qPrintable(where));
            } else {
                QVERIFY2(Free(placed[i], screen, taken), qPrintable(where));
                QVERIFY2(Distance(placed[i], wanted[i]) == found.nearestFree, qPrintable(where));
                ++moved;
            }
            taken.push_back(placed[i]);
        }
    }
    // The worlds try both ways out, not only the easy one.
    QVERIFY(moved > 1000);
    QVERIFY(crowded > 50);
}

}  // namespace kazu

QTEST_MAIN(kazu::PlacementTest)
#include "PlacementTest.moc"
