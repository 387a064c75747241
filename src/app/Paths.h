// Where the program's files are: its own folder, the current folder, its data folder.
#pragma once

#include <QString>

namespace kazu {

// The folder of the executable, ending with a separator.
QString ProgramFolder();
// Where the settings go when the program's folder cannot be written (XDG configuration).
QString UserConfigFolder();
// Where the settings file is kept: beside the program, as the original keeps it, unless the
// program is installed (a system folder, never written by the program, even as root); then in
// the user's configuration folder.
QString SettingsFolder();
// Where a board printed to a PDF file is offered: the documents folder when it exists, else
// the home folder.
QString PdfFolder();
// A data file (grammar, patterns, help page) by name: the current folder first, then the
// program's folder, then the installed data folder (or the source tree's resources, when the
// program is not installed), each with its help/ subfolder for the pages.
// Empty when none has it.
QString FindDataFile(const QString& name);
// Where each child's practice record is kept: the user's data folder (XDG), kazuchan/progress.
QString ProgressFolder();

}  // namespace kazu
