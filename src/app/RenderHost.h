// What the command-line modes share: a windowless host that writes messages and speech to
// standard error, one line each, and the expression typed as keys.
#pragma once

#include <QString>
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
        told_ = true;
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
    // Whether the board has shown a message (a refusal) since the start.
    bool told() const { return told_; }

  private:
    bool echo_;
    bool told_ = false;
};

// A board that draws at once, without the speech panel, and reads nothing aloud: standard
// error holds the refusals, not every key. `places` is the quotient places of a division.
inline AppSettings QuietBoardSettings(int places) {
    AppSettings settings;
    settings.POINTMAX = places;
    settings.SP_PANELSHOW = 0;
    settings.ENZANSPEED = 0;
    settings.KEYSPEAK = 0;
    settings.SIKISPEAK = 0;
    return settings;
}

// One key a character, as a child types; anything but ASCII is a key the board refuses.
inline void TypeKeys(Kokuban& model, const QString& expression) {
    for (const QChar ch : expression) {
        model.InputChar(ch.unicode() < 0x80 ? char(ch.unicode()) : '?');
    }
}

// When nothing was calculated and the board said nothing: the keys stopped short of "=", or
// were not the board's keys.
inline void ReportUnfinished(const RenderHost& host, const QString& expression) {
    if (!host.told()) {
        std::cerr << "kazuchan: \"" << expression.toStdString()
                  << "\" was not calculated: a calculation is typed as keys (digits, \".\", "
                     "+ - * /) and ends with \"=\"\n";
    }
}

}  // namespace kazu
