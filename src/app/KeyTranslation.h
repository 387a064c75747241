// Qt's key numbering to the virtual-key codes the key map uses.
#pragma once

class QKeyEvent;

namespace kazu {

// 0 for keys the key map never looks at.
int VirtualKey(const QKeyEvent& event);

}  // namespace kazu
