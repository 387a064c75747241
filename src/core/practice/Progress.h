// One child's practice record, kept in the user's data folder as a small text file (its format
// is written in the README): problems tried, right the first time, the mistakes named by kind.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "core/practice/Mistakes.h"

namespace kazu {

struct Attempt {
    std::string date;   // YYYY-MM-DD
    std::string setId;  // empty for the board's own calculation
    std::string typed;  // "52-38="
    bool rightFirstTime = false;
    std::vector<MistakeKind> mistakes;
    // Mistake ids this version does not know (a newer version wrote them), written back as read.
    std::vector<std::string> otherMistakes;

    bool operator==(const Attempt&) const = default;
};

struct Progress {
    std::string child;  // the user's name of the settings
    std::vector<Attempt> attempts;

    // For the teacher's view.
    std::map<MistakeKind, int> MistakeCounts() const;
    struct SetTally {
        int tried = 0, rightFirstTime = 0;
    };
    std::map<std::string, SetTally> PerSet() const;
};

struct ProgressLoad {
    Progress progress;
    // Non-empty when the file was damaged: it was kept aside under this name and a new record
    // started; the window says so.
    std::string keptAside;
};

// The file of one child in `folder` (created when missing); names are made safe for a file name.
std::string ProgressPath(const std::string& folder, const std::string& child);
ProgressLoad LoadProgress(const std::string& path, const std::string& child);
// Written to a temporary file beside it and renamed over it; false (the old file untouched)
// when that fails.
bool SaveProgress(const std::string& path, const Progress& progress);

}  // namespace kazu
