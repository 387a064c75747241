// `kazuchan --explain EXPR [--places N]`: the steps of the written working, one a line, each
// with its kind and the sentence a child hears.
#pragma once

#include <QStringList>

namespace kazu {

// Exit status: 0 the steps were printed, 1 the input was refused or incomplete, 2 usage.
int RunExplain(const QStringList& arguments);
extern const char* const kExplainUsage;

}  // namespace kazu
