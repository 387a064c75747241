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

}  // namespace kazu
