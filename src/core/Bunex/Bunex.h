// The word-problem example switch of the main window and what it asks of the example window.
#pragma once

#include <string>

#include "core/Bunex/Patterns.h"

namespace kazu {

// The example window as the owner object sees it.
class ExampleView {
  public:
    virtual ~ExampleView() = default;
    // Shows the window and draws its content again (ReibunDsp, or karaDsp when there is
    // nothing to show).
    virtual void ShowExample() = 0;
    virtual void HideExample() = 0;
    virtual bool ExampleShown() const = 0;
    // The "文" button and the "●" toggle follow the switch.
    virtual void SpeedButton3Dsp() = 0;
};

struct ExampleState {
    bool available = false;  // the pattern file was found and read
    bool on = false;         // the switch of the "文" button
    int remainderFlag = 0;   // 4 for a division with a remainder
    int type = 0;            // of the example last drawn, 1 to 20
    int operatorIndex = 0;   // keeps its value when the expression has no operator
    std::string readingText;
    PatternTable patterns;
    ExampleView* view = nullptr;  // none on the command line and in core tests
};

}  // namespace kazu
