// Where the program's files are: its own folder, the current folder, its data folder.
#pragma once

#include <QString>

namespace kazu {

// The folder of the executable, ending with a separator.
QString ProgramFolder();
// Where the settings go when the program's folder cannot be written (XDG configuration).
QString UserConfigFolder();
// Where a board printed to a PDF file is offered: the documents folder when it exists, else
// the home folder.
QString PdfFolder();
// A data file (grammar, patterns, help page) by name: the current folder first, then the
// program's folder, then the installed data folder, then the source tree's resources.
// Empty when none has it.
QString FindDataFile(const QString& name);

}  // namespace kazu
