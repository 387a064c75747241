// What the layout tests share: searching the recorded canvas, exact scaled decimals for the
// references, and a board that notes where its texts start and what its answer line says.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "BoardFixture.h"

namespace kazu {

inline bool Has(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

inline size_t IndexOf(const std::vector<std::string>& lines, const std::string& line) {
    return static_cast<size_t>(std::find(lines.begin(), lines.end(), line) - lines.begin());
}

// Whether a pause comes right before the call at `index`, the cell's background fill aside.
inline bool PausedBefore(const std::vector<std::string>& lines, size_t index) {
    while (index > 0 && lines[index - 1].rfind("fill", 0) == 0) {
        --index;
    }
    return index > 0 && lines[index - 1].rfind("pause", 0) == 0;
}

// Exact decimals as integers scaled by 10^places: 36 digits stay below 2^128.
__extension__ typedef unsigned __int128 Wide;

inline Wide Scaled(const std::string& intDigits, std::string decDigits, size_t places) {
    decDigits.resize(places, '0');
    Wide value = 0;
    for (char c : intDigits + decDigits) {
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return value;
}

// The plain reading of value / 10^places: no leading zeros, no trailing decimal zeros.
inline std::string FormatScaled(Wide value, size_t places) {
    std::string digits;
    for (size_t i = 0; i <= places || value != 0; ++i) {
        digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(value % 10)));
        value /= 10;
    }
    const std::string integer = digits.substr(0, digits.size() - places);
    std::string decimals = digits.substr(digits.size() - places);
    decimals.erase(decimals.find_last_not_of('0') + 1);
    return decimals.empty() ? integer : integer + "." + decimals;
}

// Where every text of a calculation starts, and the last text at the answer's size.
class BoundsCanvas : public MetricsCanvas {
  public:
    int minX = 1 << 30, maxX = -(1 << 30);
    int answerSize = 48;  // 1.2 times the board font of 40
    std::string answer;
    int TextOut(int x, int y, const std::string& text) override {
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        if (FontSize() == answerSize) {
            answer = text;
        }
        return MetricsCanvas::TextOut(x, y, text);
    }
};

// One board for many calculations in a row, each typed afresh through InputChar.
struct DifferentialBoard {
    DifferentialBoard() : model(host, voice, Quiet()) { model.Start(canvas, 96); }
    static AppSettings Quiet() {
        AppSettings settings;
        settings.SIKISPEAK = 0;
        return settings;
    }
    void Calculate(const std::string& expression) {
        model.VK_DeleteKey();
        canvas.minX = 1 << 30;
        canvas.maxX = -(1 << 30);
        canvas.answer.clear();
        for (char ch : expression) {
            model.InputChar(ch);
        }
    }

    RecordingHost host;
    RecordingVoice voice;
    BoundsCanvas canvas;
    Kokuban model;
};

}  // namespace kazu
