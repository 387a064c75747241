// The pages of a practice sheet (プリント): numbered boxes with squared paper to work on, and
// the answer key, where each box holds the board's own drawing of the calculation. Drawn on any
// paged device: the PDF writer of the command line, the printer and the preview of the window.
#pragma once

#include <QPagedPaintDevice>
#include <QString>
#include <cstdint>
#include <string>
#include <vector>

#include "core/Settings.h"
#include "core/practice/ProblemSets.h"

namespace kazu {

struct Worksheet {
    QString title;
    QString date;   // as printed; empty leaves 「　　月　　日」 for the child to fill in
    QString about;  // a small line under the title: the set and the seed, to find it again
    std::vector<Problem> problems;
    bool answers = false;  // the answer key pages after the sheet
    std::string fontName = AppSettings{}.FONTNAME;
};

constexpr int kWorksheetMinCount = 6, kWorksheetMaxCount = 20, kWorksheetDefaultCount = 10;
// The notebook's seeds go as far: a sheet can be practised there with the same problems.
constexpr std::uint64_t kWorksheetMaxSeed = 999999;

// A sheet of one set: its description is the title.
Worksheet SheetForSet(const std::string& setId, std::uint64_t seed, int count);
// 「苦手プリント」: the sets a child's most frequent mistakes call for, their problems in turn.
Worksheet SheetForWeakSpots(const std::string& child, const std::vector<std::string>& sets,
                            std::uint64_t seed, int count);

// How many boxes a page holds: fewer where the working grows downwards (×, ÷).
int ProblemsPerPage(const std::vector<Problem>& problems);
int PageCount(const Worksheet& sheet);

// Sets A4 portrait on the device and draws every page; false when it cannot be painted on.
bool PaintWorksheet(QPagedPaintDevice& device, const Worksheet& sheet);

// A PDF file of the sheet; false when it cannot be written.
bool WriteWorksheetPdf(const QString& path, const Worksheet& sheet);

// The answer as the board writes it ("14", "12あまり3"); empty when it cannot be worked.
std::string ProblemAnswer(const Problem& problem);

}  // namespace kazu
