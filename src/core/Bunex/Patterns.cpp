#include "core/Bunex/Patterns.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string_view>

#include "core/Cp932.h"

namespace kazu {
namespace {

// The line buffer of the reader: a longer line is read as several.
constexpr size_t kLineBuffer = 200;

constexpr std::string_view kBom = "\xEF\xBB\xBF";

// Whether the bytes, fed in pieces, are valid UTF-8 that is not plain ASCII: such a file was
// saved by a modern editor, and reading it as code page 932 would only show garbage.
class Utf8Check {
  public:
    void Feed(std::string_view bytes) {
        for (const char c : bytes) {
            const auto byte = static_cast<unsigned char>(c);
            if (pending_ > 0) {
                valid_ = valid_ && (byte & 0xC0) == 0x80;
                --pending_;
            } else if (byte >= 0x80) {
                nonAscii_ = true;
                pending_ = (byte >= 0xC2 && byte < 0xE0)   ? 1
                           : (byte >= 0xE0 && byte < 0xF0) ? 2
                           : (byte >= 0xF0 && byte < 0xF5) ? 3
                                                           : 0;
                valid_ = valid_ && pending_ > 0;
            }
        }
    }
    bool NonAsciiUtf8() const { return valid_ && nonAscii_ && pending_ == 0; }

  private:
    int pending_ = 0;  // continuation bytes still due
    bool valid_ = true;
    bool nonAscii_ = false;
};

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

// The lines of the file as the original's line read gives them, while the file streams in:
// text mode (CR LF is one line feed), at most 199 bytes a line, a line ending at its first
// NUL. Each line is read into the table once complete, so a long line costs no more than as
// many short ones.
class PatternReader {
  public:
    explicit PatternReader(PatternTable& table) : table_(table) {}

    // Code page 932 bytes; false once "END:" has stopped the reading.
    bool Feed(std::string_view bytes) {
        for (const char c : bytes) {
            if (stopped_) {
                break;
            }
            if (carriageReturn_) {
                carriageReturn_ = false;
                if (c != '\n') {
                    Take('\r');
                }
            }
            if (c == '\r') {
                carriageReturn_ = true;
            } else {
                Take(c);
            }
        }
        return !stopped_;
    }

    void Finish() {
        if (carriageReturn_) {
            carriageReturn_ = false;
            Take('\r');
        }
        if (!line_.empty() && !stopped_) {
            EndLine();
        }
    }

  private:
    void Take(char c) {
        line_ += c;
        if (c == '\n' || line_.size() == kLineBuffer - 1) {
            EndLine();
        }
    }

    void EndLine() {
        line_.resize(std::min(line_.size(), line_.find('\0')));
        stopped_ = stopped_ || ReadLine(line_, entry_, table_) == Step::Stop;
        line_.clear();
    }

    PatternTable& table_;
    std::string line_;
    int entry_ = 0;
    bool carriageReturn_ = false;
    bool stopped_ = false;
};

// Hands UTF-8 to the reader as code page 932, in pieces cut between characters.
class Utf8Recoder {
  public:
    explicit Utf8Recoder(PatternReader& reader) : reader_(reader) {}

    bool Feed(std::string_view bytes) {
        pending_.append(bytes);
        const size_t cut = CompleteCharacters(pending_);
        const bool more = reader_.Feed(Utf8ToCp932(pending_.substr(0, cut)));
        pending_.erase(0, cut);
        return more;
    }
    void Finish() {
        reader_.Feed(Utf8ToCp932(pending_));
        reader_.Finish();
    }

  private:
    // The length of the text without a character cut off at its end.
    static size_t CompleteCharacters(const std::string& text) {
        size_t lead = text.size();
        while (lead > 0 && (static_cast<unsigned char>(text[lead - 1]) & 0xC0) == 0x80) {
            --lead;
        }
        if (lead == 0 || static_cast<unsigned char>(text[lead - 1]) < 0xC0) {
            return text.size();
        }
        const auto first = static_cast<unsigned char>(text[lead - 1]);
        const size_t length = first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : 2;
        return text.size() - (lead - 1) < length ? lead - 1 : text.size();
    }

    PatternReader& reader_;
    std::string pending_;
};

std::string_view WithoutBom(std::string_view bytes) {
    return bytes.substr(0, kBom.size()) == kBom ? bytes.substr(kBom.size()) : bytes;
}

// Hands the file's bytes to `piece` a block at a time, the byte order mark left out, until
// `piece` says it wants no more; false when the file cannot be read.
template <typename Piece>
bool ReadInPieces(const std::string& path, Piece piece) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return false;
    }
    std::string buffer(64 * 1024, '\0');
    for (bool first = true; file; first = false) {
        file.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        const std::string_view bytes(buffer.data(), static_cast<size_t>(file.gcount()));
        if (!piece(first ? WithoutBom(bytes) : bytes)) {
            break;
        }
    }
    return true;
}

// Reads the text through `feed` (called with a reader, or with a recoder when the text is
// UTF-8) into a fresh table.
template <typename Feed>
PatternTable ReadTable(bool utf8, Feed feed) {
    PatternTable table;
    PatternReader reader(table);
    if (utf8) {
        Utf8Recoder recoder(reader);
        feed(recoder);
        recoder.Finish();
    } else {
        feed(reader);
        reader.Finish();
    }
    return table;
}

}  // namespace

PatternTable ParsePatterns(const std::string& bytes) {
    const std::string_view text = WithoutBom(bytes);
    Utf8Check check;
    check.Feed(text);
    return ReadTable(check.NonAsciiUtf8(), [&](auto& sink) { sink.Feed(text); });
}

// Twice through the file, never all of it at once: once to tell UTF-8, once to read.
int ReiGet(const std::string& path, PatternTable& table) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
        return -1;
    }
    Utf8Check check;
    const auto checkPiece = [&](std::string_view bytes) {
        check.Feed(bytes);
        return true;
    };
    if (!ReadInPieces(path, checkPiece)) {
        return -1;
    }
    table = ReadTable(check.NonAsciiUtf8(), [&](auto& sink) {
        ReadInPieces(path, [&](std::string_view bytes) { return sink.Feed(bytes); });
    });
    return 1;
}

}  // namespace kazu
