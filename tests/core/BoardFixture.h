// A board owner wired to recorders: what it drew, paused, said and asked of its window.
#pragma once

#include <string>
#include <vector>

#include "core/Kokuban_v24/Kokuban.h"
#include "core/RecordingCanvas.h"
#include "speech/Voice.h"

namespace kazu {

class RecordingHost : public Host {
  public:
    std::vector<std::string> messages;  // "CAPTION|TEXT"
    int beeps = 0;
    std::string memo1;
    int boardChanges = 0;
    int scrollPosition = 0;
    int captionChanges = 0;
    int fontDialogs = 0;

    void ShowMessage(const std::string& text, const std::string& caption, MessageIcon) override {
        messages.push_back(caption + "|" + text);
    }
    void Beep() override { ++beeps; }
    void InsertIntoMemo1(const std::string& text) override { memo1 += text; }
    void ClearMemo1() override { memo1.clear(); }
    void ClearMemo2() override {}
    void BoardChanged() override { ++boardChanges; }
    void SetScrollPosition(int position) override { scrollPosition = position; }
    void CaptionsChanged() override { ++captionChanges; }
    void OpenFontDialog() override { ++fontDialogs; }
    void PostKey(int virtualKey) override { postedKeys.push_back(virtualKey); }
    std::vector<int> postedKeys;
};

struct BoardFixture {
    explicit BoardFixture(const AppSettings& settings = AppSettings{})
        : model(host, voice, settings) {
        model.SetPacer(&pacer);
        model.Start(canvas, 96);
        canvas.log().clear();
        voice.Clear();
    }

    void Type(const std::string& keys) {
        for (char ch : keys) {
            model.InputChar(ch);
        }
    }
    // The recorded lines that start with `prefix`.
    std::vector<std::string> Lines(const std::string& prefix) const {
        std::vector<std::string> lines;
        for (const auto& line : canvas.log()) {
            if (line.rfind(prefix, 0) == 0) {
                lines.push_back(line);
            }
        }
        return lines;
    }
    const std::string& result() const { return model.board.operands.result; }
    const BoardLayout& layout() const { return model.board.layout; }

    RecordingHost host;
    RecordingVoice voice;
    MetricsCanvas metrics;
    mutable RecordingCanvas canvas{metrics};
    RecordingPacer pacer{canvas.log()};
    Kokuban model;
};

}  // namespace kazu
