// What --render and --explain share: a windowless host that writes messages and speech to
// standard error, one line each, and the test whether a calculation stands on the board.
#pragma once

#include <iostream>
#include <string>
#include <vector>

#include "core/Kokuban_v24/Kokuban.h"
#include "core/Kokuban_v24/QuietHost.h"
#include "core/RecordingCanvas.h"

namespace kazu {

// Messages and speech go to standard error in the order they happen; a measuring pass keeps
// quiet.
class RenderHost : public QuietHost, public Voice {
  public:
    explicit RenderHost(bool echo) : echo_(echo) {}

    void ShowMessage(const std::string& text, const std::string& caption, MessageIcon) override {
        if (echo_) {
            std::cerr << "message " << QuotedText(caption) << " " << QuotedText(text) << "\n";
        }
    }

    void Speak(const std::string& text, int) override {
        if (echo_) {
            std::cerr << "speak " << QuotedText(text) << "\n";
        }
    }
    void Skip(const std::string&, int) override {}
    void SetRate(int) override {}
    void SetVolume(int) override {}
    std::vector<std::string> Voices() override { return {}; }
    void SetListener(VoiceListener*) override {}

  private:
    bool echo_;
};

}  // namespace kazu
