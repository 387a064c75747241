// A board owner wired to recorders: what it drew, paused, said and asked of its window.
#pragma once

#include <string>
#include <vector>

#include "core/Kokuban_v24/Kokuban.h"
#include "core/RecordingCanvas.h"
#include "support/FedRecognizer.h"
#include "support/RecordingVoice.h"

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
    void ClearMemo2() override { memo2.clear(); }
    void BoardChanged() override { ++boardChanges; }
    void SetScrollPosition(int position) override { scrollPosition = position; }
    void CaptionsChanged() override { ++captionChanges; }
    void OpenFontDialog() override { ++fontDialogs; }
    void OpenSettingsDialog() override { ++settingsDialogs; }
    void ShowInputPanel(bool shown) override { inputPanelShown = shown; }
    void ToggleInputPanelMinimized() override { ++inputPanelToggles; }
    int settingsDialogs = 0;
    bool inputPanelShown = false;
    int inputPanelToggles = 0;
    void PostKey(int virtualKey) override { postedKeys.push_back(virtualKey); }
    std::vector<int> postedKeys;
    void SetStatusLine(const std::string& text, Colour background) override {
        statusLine = text;
        statusColour = background;
    }
    void ShowInMemo2(const std::string& text) override { memo2 = text; }
    std::string Memo1Text() const override { return memo1; }
    void SetInputLevel(int level) override { inputLevel = level; }
    void SetVoiceInputAvailable(bool available) override { voiceInputAvailable = available; }
    void ShowSpeechPanel(bool shown) override { speechPanelShown = shown; }
    void MinimizeProgram() override { windowActions.push_back("minimize"); }
    void RestoreProgram() override { windowActions.push_back("restore"); }
    void CloseProgram() override { windowActions.push_back("close"); }
    void PrintBoard() override { windowActions.push_back("print"); }
    bool SettingsDialogOpen() const override { return settingsDialogOpen; }
    std::string statusLine;
    Colour statusColour = 0;
    std::string memo2;
    int inputLevel = 0;
    bool voiceInputAvailable = false;
    bool speechPanelShown = true;
    bool settingsDialogOpen = false;
    std::vector<std::string> windowActions;
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
    // Before the model, which still detaches from it when it is destroyed.
    FedRecognizer recognizer;
    Kokuban model;
};

}  // namespace kazu
