#include "core/Bunex/Patterns.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string_view>

#include "core/Cp932.h"

namespace kazu {
namespace {

// The line buffer of the reader: a longer line is read as several.
constexpr size_t kLineBuffer = 200;

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// True for valid UTF-8 that is not plain ASCII: such a file was saved by a modern editor,
// and reading it as code page 932 would only show garbage.
bool IsNonAsciiUtf8(const std::string& bytes) {
    bool nonAscii = false;
    for (size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        const size_t length = lead < 0x80                     ? 1
                              : (lead >= 0xC2 && lead < 0xE0) ? 2
                              : (lead >= 0xE0 && lead < 0xF0) ? 3
                              : (lead >= 0xF0 && lead < 0xF5) ? 4
                                                              : 0;
        if (length == 0 || i + length > bytes.size()) {
            return false;
        }
        for (size_t k = 1; k < length; ++k) {
            if (!IsContinuation(static_cast<unsigned char>(bytes[i + k]))) {
                return false;
            }
        }
        nonAscii = nonAscii || length > 1;
        i += length;
    }
    return nonAscii;
}

// The file as code page 932 bytes, with text-mode line ends: CR LF is one line feed.
std::string Cp932TextOf(std::string bytes) {
    if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) {
        bytes.erase(0, 3);
    }
    if (IsNonAsciiUtf8(bytes)) {
        bytes = Utf8ToCp932(bytes);
    }
    std::string text;
    text.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (!(bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')) {
            text += bytes[i];
        }
    }
    return text;
}

// Code page 932 to UTF-8, character by character where the whole does not convert: a line
// cut by the buffer may end inside a character, and a damaged file may hold anything.
std::string FieldText(const std::string& cp932) {
    if (auto whole = Cp932ToUtf8(cp932)) {
        return *whole;
    }
    std::string utf8;
    for (size_t i = 0; i < cp932.size();) {
        const auto lead = static_cast<unsigned char>(cp932[i]);
        const bool doubleByte = (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC);
        const size_t length = doubleByte && i + 1 < cp932.size() ? 2 : 1;
        const auto one = Cp932ToUtf8(cp932.substr(i, length));
        utf8 += one ? *one : "?";
        i += length;
    }
    return utf8;
}

// The entry number in the two characters after "NUM:", read as a C library would: blanks,
// a sign, digits; no digits give 0. Negative numbers have no entry and give 0 as well, so a
// mistyped block lands in the entry that is never shown instead of overwriting another.
int EntryNumber(const std::string& line) {
    const std::string digits = line.size() > 4 ? line.substr(4, 2) : std::string();
    size_t i = 0;
    while (i < digits.size() && (digits[i] == ' ' || digits[i] == '\t')) {
        ++i;
    }
    bool negative = false;
    if (i < digits.size() && (digits[i] == '-' || digits[i] == '+')) {
        negative = digits[i] == '-';
        ++i;
    }
    int number = 0;
    for (; i < digits.size() && digits[i] >= '0' && digits[i] <= '9'; ++i) {
        number = number * 10 + (digits[i] - '0');
    }
    if (negative) {
        return 0;
    }
    return std::min(number, kPatternCount - 1);
}

// The text from the line's sixth character on, less `drop` final bytes.
std::string ValueOf(const std::string& line, size_t drop) {
    if (line.size() <= 5) {
        return {};
    }
    std::string value = line.substr(5);
    value.resize(value.size() - std::min(drop, value.size()));
    return FieldText(value);
}

enum class Step { Next, Stop };

Step ReadLine(const std::string& line, int& entry, PatternTable& table) {
    if (line.empty() || line[0] == '#') {
        return Step::Next;
    }
    const auto has = [&line](const char* key) { return line.find(key) != std::string::npos; };
    ExamplePattern& p = table[static_cast<size_t>(entry)];
    if (has("NUM:")) {
        entry = EntryNumber(line);
    } else if (has("Bun1:")) {
        p.bun1 = ValueOf(line, 1);
    } else if (has("Bun2:")) {
        p.bun2 = ValueOf(line, 1);
    } else if (has("Bun3:")) {
        p.bun3 = ValueOf(line, 1);
    } else if (has("Kang:")) {
        p.kang = ValueOf(line, 1);
    } else if (has("Ansr:")) {
        p.ansr = ValueOf(line, 0);
    } else if (has("Amri:")) {
        p.amri = ValueOf(line, 0);
    } else if (has("END:")) {
        return Step::Stop;
    }
    return Step::Next;
}

}  // namespace

PatternTable ParsePatterns(const std::string& bytes) {
    const std::string text = Cp932TextOf(bytes);
    PatternTable table;
    int entry = 0;
    for (size_t at = 0; at < text.size();) {
        // As the line read fills its buffer: up to and including a line feed, at most 199
        // bytes; the line then ends at its first NUL, as a C string does.
        // The line feed is looked for only as far as the buffer reaches: a long line costs no
        // more than as many short ones.
        const size_t limit = std::min(text.size(), at + kLineBuffer - 1);
        const size_t feed = std::string_view(text).substr(at, limit - at).find('\n');
        const size_t end = feed == std::string_view::npos ? limit : at + feed + 1;
        std::string line = text.substr(at, end - at);
        at = end;
        line.resize(std::min(line.size(), line.find('\0')));
        if (ReadLine(line, entry, table) == Step::Stop) {
            break;
        }
    }
    return table;
}

int ReiGet(const std::string& path, PatternTable& table) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
        return -1;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return -1;
    }
    const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    table = ParsePatterns(bytes);
    return 1;
}

}  // namespace kazu
