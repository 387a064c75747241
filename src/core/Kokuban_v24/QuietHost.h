// A host with no window: asks of it are dropped. For the command line, benchmarks and fuzzing.
#pragma once

#include "core/Kokuban_v24/Kokuban.h"

namespace kazu {

class QuietHost : public Host {
  public:
    void ShowMessage(const std::string&, const std::string&, MessageIcon) override {}
    void Beep() override {}
    void InsertIntoMemo1(const std::string& text) override { memo1_ += text; }
    void ClearMemo1() override { memo1_.clear(); }
    void ClearMemo2() override {}
    void BoardChanged() override {}
    void SetScrollPosition(int) override {}
    void CaptionsChanged() override {}
    void OpenFontDialog() override {}
    void OpenSettingsDialog() override {}
    void ShowInputPanel(bool) override {}
    void ToggleInputPanelMinimized() override {}
    void PostKey(int) override {}
    void SetStatusLine(const std::string&, Colour) override {}
    void ShowInMemo2(const std::string&) override {}
    // The spoken expression is read back from the box, so the box is kept.
    std::string Memo1Text() const override { return memo1_; }
    void SetInputLevel(int) override {}
    void SetVoiceInputAvailable(bool) override {}
    void ShowSpeechPanel(bool) override {}
    void MinimizeProgram() override {}
    void RestoreProgram() override {}
    void CloseProgram() override {}
    void PrintBoard() override {}
    bool SettingsDialogOpen() const override { return false; }

  private:
    std::string memo1_;
};

}  // namespace kazu
