// The recogniser the character listens with: the operations the program uses and the events it
// needs. Plain C++, so the core and its tests use it without a window.
#pragma once

#include <string>
#include <vector>

namespace kazu {

// One node of a recognition's semantic property tree ("chosencommand" → "commandvalue").
struct SemanticProperty {
    std::string name;
    std::string value;
    std::vector<SemanticProperty> children;
};

struct Recognition {
    std::string text;  // UTF-8, as a dictation engine delivers it: "3かける4わ"
    std::vector<SemanticProperty> properties;
};

class RecognizerListener {
  public:
    virtual ~RecognizerListener() = default;
    virtual void OnRecognition(const Recognition& recognition) = 0;
    virtual void OnInputLevel(int level) = 0;  // 0..100
    // The engine stopped for good (missing, crashed twice, no grammar): `reason` is shown.
    virtual void OnRecognizerLost(const std::string& reason) = 0;
};

// Every operation returns a result code, negative on failure.
class Recognizer {
  public:
    virtual ~Recognizer() = default;
    virtual int DictationLoad() = 0;
    virtual int DictationSetState(int state) = 0;  // 0 inactive, 1 active
    virtual int CmdLoadFromFile(const std::string& path) = 0;
    virtual int CmdSetRuleIdState(int ruleId, int state) = 0;  // rule 0: every top-level rule
    virtual void SetListener(RecognizerListener* listener) = 0;
};

// Recognises nothing by itself: tests feed it recognitions and read back every request.
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
    void Hear(const std::string& text, int command = 0) {
        Recognition recognition{text, {}};
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
