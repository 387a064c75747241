// Files and folders a run leaves behind when it is killed or crashes: each carries the
// process id of its run in its name, so the next start can tell the stale ones.
#pragma once

#include <string>

namespace kazu {

// The folders the recogniser compiles its grammars into: kWorkFolderPrefix, the process id,
// "-", a random part.
inline constexpr const char* kWorkFolderPrefix = "kazuchan-";

// `prefix` followed by this process's id.
std::string OwnName(const std::string& prefix);

// Removes the entries of `folder` named `prefix` + process id, alone or followed by "-" and
// anything, whose process has ended and which this user owns. A process that runs, or that
// belongs to another user, keeps its entries.
void RemoveLeftovers(const std::string& folder, const std::string& prefix);

}  // namespace kazu
