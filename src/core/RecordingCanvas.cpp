#include "core/RecordingCanvas.h"

#include <cstdio>

namespace kazu {

std::string ColourText(Colour colour) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "#%06X", static_cast<unsigned>(colour & 0xFFFFFFu));
    return buffer;
}

std::string QuotedText(const std::string& text) {
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') {
            quoted += '\\';
        }
        quoted += c;
    }
    return quoted + "\"";
}

void RecordingCanvas::FillRect(int x1, int y1, int x2, int y2, Colour colour) {
    log_.push_back("fill " + std::to_string(x1) + " " + std::to_string(y1) + " " +
                   std::to_string(x2) + " " + std::to_string(y2) + " " + ColourText(colour));
    inner_.FillRect(x1, y1, x2, y2, colour);
}

int RecordingCanvas::TextOut(int x, int y, const std::string& text) {
    log_.push_back("text " + std::to_string(x) + " " + std::to_string(y) + " " +
                   std::to_string(inner_.FontSize()) + " " + ColourText(inner_.FontColour()) + " " +
                   QuotedText(text));
    return inner_.TextOut(x, y, text);
}

void RecordingCanvas::Line(int x1, int y1, int x2, int y2, int width, Colour colour) {
    log_.push_back("line " + std::to_string(x1) + " " + std::to_string(y1) + " " +
                   std::to_string(x2) + " " + std::to_string(y2) + " " + std::to_string(width) +
                   " " + ColourText(colour));
    inner_.Line(x1, y1, x2, y2, width, colour);
}

int MetricsCanvas::TextWidth(const std::string& text) {
    int width = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x80) {
            width += size_ / 2;
        } else if ((byte & 0xC0) != 0x80) {
            width += size_;  // the lead byte of a multi-byte character
        }
    }
    return width;
}

void RecordingPacer::Pause(int milliseconds) {
    ++pauses_;
    log_.push_back("pause " + std::to_string(milliseconds));
}

bool RecordingPacer::SkipRequested() {
    if (skipAfter_ < 0) {
        return false;
    }
    if (skipAfter_ == 0) {
        skipAfter_ = -1;
        return true;
    }
    --skipAfter_;
    return false;
}

}  // namespace kazu
