// `kazuchan --render EXPR [options]`: the board drawn without a window, for tests, for the
// later layouts and for teachers' worksheet pictures.
#pragma once

#include <QStringList>

namespace kazu {

// Exit status: 0 a calculation was drawn, 1 the input was refused or incomplete, 2 usage.
int RunRender(const QStringList& arguments);
extern const char* const kRenderUsage;

}  // namespace kazu
