// A recogniser that recognises nothing by itself: tests feed it recognitions and read back
// every request.
#pragma once

#include <string>
#include <vector>

#include "speech/Recognizer.h"

namespace kazu {

class FedRecognizer : public Recognizer {
  public:
    int DictationLoad() override { return Log("dictation load", loadResult); }
    int DictationSetState(int state) override {
        dictationActive = state != 0;
        return Log("dictation " + std::to_string(state), dictationResult);
    }
    int CmdLoadFromFile(const std::string& path) override {
        return Log("grammar \"" + path + "\"", grammarResult);
    }
    int CmdSetRuleIdState(int ruleId, int state) override {
        rulesActive = state != 0;
        return Log("rules " + std::to_string(ruleId) + " " + std::to_string(state), 0);
    }
    void SetListener(RecognizerListener* listener) override { listener_ = listener; }

    // Delivers a recognition as the engine would, on the caller's thread.
    void Hear(const std::string& text, int command = 0, double confidence = 1,
              bool duringOwnVoice = false) {
        Recognition recognition{text, {}, confidence, duringOwnVoice};
        if (command > 0)
            recognition.properties.push_back(
                {"chosencommand", "", {{"commandvalue", std::to_string(command), {}}}});
        if (listener_ != nullptr)
            listener_->OnRecognition(recognition);
    }
    RecognizerListener* listener() const { return listener_; }

    int loadResult = 0;
    int dictationResult = 0;
    int grammarResult = 0;
    bool dictationActive = false;
    bool rulesActive = false;
    std::vector<std::string> requests;

  private:
    int Log(std::string request, int result) {
        requests.push_back(std::move(request));
        return result;
    }
    RecognizerListener* listener_ = nullptr;
};

}  // namespace kazu
