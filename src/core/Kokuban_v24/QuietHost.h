// A host with no window: asks of it are dropped. For the command line, benchmarks and fuzzing.
#pragma once

#include "core/Kokuban_v24/Kokuban.h"

namespace kazu {

class QuietHost : public Host {
  public:
    void ShowMessage(const std::string&, const std::string&, MessageIcon) override {}
    void Beep() override {}
    void InsertIntoMemo1(const std::string&) override {}
    void ClearMemo1() override {}
    void ClearMemo2() override {}
    void BoardChanged() override {}
    void SetScrollPosition(int) override {}
    void CaptionsChanged() override {}
    void OpenFontDialog() override {}
    void PostKey(int) override {}
};

}  // namespace kazu
