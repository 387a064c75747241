// Qt's key numbering to the virtual-key codes the key map uses.
#pragma once

class QKeyEvent;

namespace kazu {

// 0 for keys the key map never looks at.
int VirtualKey(const QKeyEvent& event);
// The other way, for the keys the program posts to itself; 0 for others.
int QtKey(int virtualKey);

}  // namespace kazu
