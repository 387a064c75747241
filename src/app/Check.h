// `kazuchan --check EXPR --answer TEXT [--places N]`: a child's answer checked as the notebook
// checks it, the mistakes it fits named; `kazuchan --problems SET|list [--seed S] [--count N]`:
// a school-year set's problems, as typed.
#pragma once

#include <QStringList>

namespace kazu {

// Exit status: 0 checked, 1 the board refused the expression (its message on standard error),
// 2 usage.
int RunCheck(const QStringList& arguments);
extern const char* const kCheckUsage;

// Exit status: 0 printed, 2 usage (an unknown set among them).
int RunProblems(const QStringList& arguments);
extern const char* const kProblemsUsage;

// One line a set, `ID YEAR "DESCRIPTION"`: the list of --problems and --worksheet.
void PrintProblemSets();

}  // namespace kazu
