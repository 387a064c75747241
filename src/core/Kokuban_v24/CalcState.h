// The one calculation being entered or shown.
#pragma once

#include <cstdint>
#include <string>

namespace kazu {

struct CalcEntry {
    std::string frozenExpression;
    std::string firstInt;
    std::string firstFrac;
    int32_t firstIntLen = 0;
    int32_t firstFracLen = 0;
    std::string secondInt;
    std::string secondFrac;
    int32_t secondIntLen = 0;
    int32_t secondFracLen = 0;
    char opChar = '!';
    int32_t maxIntLen = 0;
    int32_t maxFracLen = 0;
    int32_t maxTotalLen = 0;
    bool drawReady = false;
};

struct CalcState {
    CalcEntry entry;
    std::string expression;
    bool entryOpen = true;
    bool equalsEntered = false;
    bool opEntered = false;
    bool firstHasPoint = false;
    bool secondHasPoint = false;
    bool errorRaised = false;
    bool replaying = false;
    char prevOp = '!';
    std::string restoreText;
    int32_t firstPointX = 0;
    int32_t secondPointX = 0;
    int32_t nextEntryY = 0;
};

}  // namespace kazu
