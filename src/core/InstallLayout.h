// Where an installed program finds its own files, from the place of its executable:
// <prefix>/bin/kazuchan reads <prefix>/share/kazuchan (data, voices) and <prefix>/lib/kazuchan
// (its private programs and the recogniser). So one build runs from the build folder, from
// /usr/local (cmake --install) and from /usr (the Debian package) alike; an installed program
// reads only what was installed with it.
#pragma once

#include <string>

namespace kazu {

// The installed data folder (…/share/kazuchan) and the folder of private programs
// (…/lib/kazuchan), each ending with a separator; empty when the running program is not in an
// installed layout (a build folder).
std::string InstalledDataFolder();
std::string InstalledLibFolder();

}  // namespace kazu
