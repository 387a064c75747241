#include "speech/SpeechPieces.h"

#include <algorithm>
#include <cmath>
#include <string_view>

namespace kazu {
namespace {

// Length of the UTF-8 sequence at `at`, with its code point; 0 when it is not UTF-8
// (overlong forms and surrogates included), which the synthesiser would misread.
size_t Decode(std::string_view text, size_t at, char32_t& code) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned lead = byte(at);
    if (lead < 0x80) {
        code = lead;
        return 1;
    }
    size_t length = 0;
    char32_t least = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
        least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
        least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
        least = 0x10000;
    } else {
        return 0;
    }
    if (at + length > text.size()) {
        return 0;
    }
    for (size_t i = 1; i < length; ++i) {
        const unsigned next = byte(at + i);
        if ((next & 0xC0) != 0x80) {
            return 0;
        }
        code = (code << 6) | (next & 0x3F);
    }
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        return 0;
    }
    return length;
}

bool IsControl(char32_t code) {
    return code < 0x20 || (code >= 0x7F && code <= 0x9F);
}

bool IsSentenceEnd(char32_t code) {
    return code == U'。' || code == U'！' || code == U'？' || code == '!' || code == '?';
}

// Closing brackets that stay with the sentence they end: 「…です。」
bool IsCloser(char32_t code) {
    return code == U'」' || code == U'』' || code == U'）' || code == ')' || code == U'】';
}

bool IsSoftBreak(char32_t code) {
    return code == U'、' || code == U'，' || code == ',' || code == ' ' || code == U'　';
}

// Marks and spaces alone give the synthesiser nothing to read (it warns about them).
bool IsMark(char32_t code) {
    static constexpr std::u32string_view kMarks = U" 　。、，,.．！？!?「」『』（）()【】・…ー〜~";
    return kMarks.find(code) != std::u32string_view::npos;
}

bool HasSomethingToRead(std::string_view piece) {
    for (size_t at = 0; at < piece.size();) {
        char32_t code = 0;
        at += Decode(piece, at, code);
        if (!IsMark(code)) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::vector<std::string> SplitIntoPieces(const std::string& text) {
    std::vector<std::string> pieces;
    std::string piece;
    size_t softBreak = 0;  // bytes of `piece` up to its last soft break; 0 for none
    bool ended = false;    // `piece` has met its sentence end; only closers may follow
    const auto flush = [&](size_t bytes) {
        if (HasSomethingToRead(std::string_view(piece).substr(0, bytes))) {
            pieces.push_back(piece.substr(0, bytes));
        }
        piece.erase(0, bytes);
        softBreak = 0;
        ended = false;
    };
    for (size_t at = 0; at < text.size();) {
        char32_t code = 0;
        const size_t length = Decode(text, at, code);
        if (length == 0) {
            ++at;
            continue;
        }
        std::string_view bytes(text.data() + at, length);
        at += length;
        if (code == '\n' || code == '\r') {
            flush(piece.size());
            continue;
        }
        if (code == '\t') {
            code = ' ';
            bytes = " ";
        }
        if (IsControl(code)) {
            continue;
        }
        if (ended && !IsCloser(code) && !IsSentenceEnd(code)) {
            flush(piece.size());
        }
        if (piece.size() + bytes.size() > kMaxPieceBytes) {
            flush(softBreak > 0 ? softBreak : piece.size());
        }
        piece += bytes;
        ended = IsSentenceEnd(code) || (ended && IsCloser(code));
        if (IsSoftBreak(code)) {
            softBreak = piece.size();
        }
    }
    flush(piece.size());
    return pieces;
}

int VisemeForPhoneme(const std::string& phoneme, const std::string& next) {
    if (phoneme == "N") {  // ん closes the lips before m, p and b
        return !next.empty() && (next[0] == 'm' || next[0] == 'p' || next[0] == 'b') ? 21 : 19;
    }
    // A palatalised consonant (ky, ny, …) keeps the lips of its plain one.
    std::string plain = phoneme;
    if (plain.size() == 2 && plain[1] == 'y') {
        plain.pop_back();
    }
    struct Entry {
        const char* phoneme;
        int viseme;
    };
    // Capital vowels are the unvoiced ones (the す of です): the same lips.
    static constexpr Entry kTable[] = {
        {"a", 2},   {"A", 2},   {"i", 6},   {"I", 6},  {"u", 7},   {"U", 7},   {"e", 4},  {"E", 4},
        {"o", 10},  {"O", 10},  {"k", 20},  {"g", 20}, {"kw", 20}, {"gw", 20}, {"s", 15}, {"z", 15},
        {"ts", 15}, {"sh", 16}, {"ch", 16}, {"j", 16}, {"t", 19},  {"d", 19},  {"n", 19}, {"h", 12},
        {"f", 18},  {"v", 18},  {"m", 21},  {"p", 21}, {"b", 21},  {"r", 13},  {"w", 7},  {"y", 6},
    };
    for (const auto& entry : kTable) {
        if (plain == entry.phoneme) {
            return entry.viseme;
        }
    }
    return 0;  // sil, pau, cl (the stop of っ) and anything unknown: silence
}

double SpeedForRate(int rate) {
    return 1.0 + 0.05 * std::clamp(rate, 0, 10);
}

double GainForVolume(int volume) {
    return std::clamp(volume, 0, 100) / 100.0;
}

int AudioLevel(const int16_t* samples, size_t count) {
    if (count == 0) {
        return 0;
    }
    double sum = 0;
    for (size_t i = 0; i < count; ++i) {
        sum += static_cast<double>(samples[i]) * samples[i];
    }
    const double rms = std::sqrt(sum / static_cast<double>(count));
    if (rms < 1.0) {
        return 0;
    }
    const double decibels = 20.0 * std::log10(rms / 32768.0);
    return std::clamp(static_cast<int>(std::lround((decibels + 50.0) * 2.0)), 0, 100);
}

}  // namespace kazu
