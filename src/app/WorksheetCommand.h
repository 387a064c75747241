// `kazuchan --worksheet SET|list [--count N] [--seed S] [--title T] [--answers]
// [--out FILE.pdf] [--dump]`: a practice sheet, with its answer key, as a PDF file.
#pragma once

#include <QStringList>

namespace kazu {

// Exit status: 0 done, 1 the file cannot be written, 2 usage (an unknown set, a count out of
// 6..20 among them).
int RunWorksheet(const QStringList& arguments);
extern const char* const kWorksheetUsage;

}  // namespace kazu
