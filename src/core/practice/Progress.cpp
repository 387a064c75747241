// The practice record as a text file of tab-separated lines (the format is in the README):
//   kazuchan-progress <TAB> 1 <TAB> child's name
//   2026-12-09 <TAB> g2-add-carry <TAB> 48+35= <TAB> 0 <TAB> add-no-carry,add-carry-written
// A file that does not read this way is never overwritten: it is renamed aside first.
#include "core/practice/Progress.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/Settings.h"

namespace kazu {

namespace fs = std::filesystem;

namespace {

constexpr const char* kMagic = "kazuchan-progress";
constexpr const char* kVersion = "1";
// Far beyond years of practice; a larger file is not a record of ours.
constexpr std::uintmax_t kMaxSize = 16 * 1024 * 1024;

bool ValidUtf8(const std::string& bytes) {
    for (size_t i = 0; i < bytes.size();) {
        const auto byte = [&](size_t k) { return static_cast<unsigned char>(bytes[k]); };
        const unsigned char lead = byte(i);
        const size_t length = lead < 0x80                    ? 1
                              : lead >= 0xC2 && lead <= 0xDF ? 2
                              : lead >= 0xE0 && lead <= 0xEF ? 3
                              : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                             : 0;
        if (length == 0 || i + length > bytes.size()) {
            return false;
        }
        for (size_t k = 1; k < length; ++k) {
            if ((byte(i + k) & 0xC0) != 0x80) {
                return false;
            }
        }
        // Overlong three- and four-byte forms, surrogates, and beyond U+10FFFF.
        if ((lead == 0xE0 && byte(i + 1) < 0xA0) || (lead == 0xED && byte(i + 1) > 0x9F) ||
            (lead == 0xF0 && byte(i + 1) < 0x90) || (lead == 0xF4 && byte(i + 1) > 0x8F)) {
            return false;
        }
        i += length;
    }
    return true;
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t at = text.find(separator); at != std::string::npos;
         at = text.find(separator, start)) {
        parts.push_back(text.substr(start, at - start));
        start = at + 1;
    }
    parts.push_back(text.substr(start));
    return parts;
}

bool OnlyOf(const std::string& text, std::string_view allowed) {
    return std::all_of(text.begin(), text.end(), [allowed](char c) {
        return (c >= '0' && c <= '9') || allowed.find(c) != std::string_view::npos;
    });
}

bool IsDate(const std::string& text) {
    return text.size() == 10 && text[4] == '-' && text[7] == '-' &&
           OnlyOf(text.substr(0, 4) + text.substr(5, 2) + text.substr(8, 2), "");
}

bool IsId(const std::string& text) {
    return !text.empty() && OnlyOf(text, "abcdefghijklmnopqrstuvwxyz-");
}

std::optional<Attempt> ReadAttempt(const std::string& line) {
    const std::vector<std::string> fields = Split(line, '\t');
    if (fields.size() != 5 || !IsDate(fields[0]) || (!fields[1].empty() && !IsId(fields[1])) ||
        fields[2].empty() || !OnlyOf(fields[2], ".+-*/=") ||
        (fields[3] != "0" && fields[3] != "1")) {
        return std::nullopt;
    }
    Attempt attempt{fields[0], fields[1], fields[2], fields[3] == "1", {}, {}};
    if (!fields[4].empty()) {
        for (const std::string& id : Split(fields[4], ',')) {
            if (!IsId(id)) {
                return std::nullopt;
            }
            if (const auto kind = MistakeFromId(id)) {
                attempt.mistakes.push_back(*kind);
            } else {
                attempt.otherMistakes.push_back(id);
            }
        }
    }
    return attempt;
}

// The lines of a record, or nothing when it is not one.
std::optional<std::vector<Attempt>> ReadRecord(const std::string& bytes) {
    if (!ValidUtf8(bytes)) {
        return std::nullopt;
    }
    std::vector<std::string> lines = Split(bytes, '\n');
    if (!lines.empty() && lines.back().empty()) {
        lines.pop_back();  // the last line's own end
    }
    for (std::string& line : lines) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();  // edited on Windows
        }
    }
    if (lines.empty()) {
        return std::nullopt;
    }
    const std::vector<std::string> header = Split(lines.front(), '\t');
    if (header.size() != 3 || header[0] != kMagic || header[1] != kVersion) {
        return std::nullopt;
    }
    std::vector<Attempt> attempts;
    for (size_t i = 1; i < lines.size(); ++i) {
        std::optional<Attempt> attempt = ReadAttempt(lines[i]);
        if (!attempt) {
            return std::nullopt;
        }
        attempts.push_back(std::move(*attempt));
    }
    return attempts;
}

std::optional<std::string> ReadBytes(const std::string& path) {
    std::error_code error;
    const std::uintmax_t size = fs::file_size(path, error);
    if (error || size > kMaxSize) {
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (!in && !in.eof()) {
        return std::nullopt;
    }
    return bytes.str();
}

// PATH.damaged-YYYYMMDD-HHMMSS, with -2, -3, ... when that is taken.
std::string AsideName(const std::string& path) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    const std::string base = path + ".damaged-" + stamp;
    std::string name = base;
    std::error_code error;
    for (int n = 2; fs::exists(name, error); ++n) {
        name = base + "-" + std::to_string(n);
    }
    return name;
}

// The child's name in the header: no tab or line end can break it.
std::string OneLine(std::string text) {
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\t' || c == '\n' || c == '\r'; }, ' ');
    return text;
}

}  // namespace

std::map<MistakeKind, int> Progress::MistakeCounts() const {
    std::map<MistakeKind, int> counts;
    for (const Attempt& a : attempts) {
        for (const MistakeKind kind : a.mistakes) {
            ++counts[kind];
        }
    }
    return counts;
}

std::map<std::string, Progress::SetTally> Progress::PerSet() const {
    std::map<std::string, SetTally> tally;
    for (const Attempt& a : attempts) {
        SetTally& t = tally[a.setId];
        ++t.tried;
        t.rightFirstTime += a.rightFirstTime ? 1 : 0;
    }
    return tally;
}

std::string ProgressPath(const std::string& folder, const std::string& child) {
    // Letters, digits, _ and the bytes of Japanese characters stay readable; every other byte
    // (and '-', so that the empty name's "-" is its own) is written %XX.
    const bool utf8 = ValidUtf8(child);
    std::string name;
    for (const char c : child) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 0x80 && utf8) || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') ||
            (c >= 'A' && c <= 'Z') || c == '_') {
            name += c;
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", byte);
            name += escaped;
        }
    }
    if (name.empty()) {
        name = "-";
    }
    return (fs::path(folder) / (name + ".progress.txt")).string();
}

ProgressLoad LoadProgress(const std::string& path, const std::string& child) {
    ProgressLoad load;
    load.progress.child = child;
    std::error_code error;
    if (!fs::exists(path, error)) {
        return load;
    }
    const std::optional<std::string> bytes = ReadBytes(path);
    std::optional<std::vector<Attempt>> attempts;
    if (bytes) {
        attempts = ReadRecord(*bytes);
    }
    if (attempts) {
        load.progress.attempts = std::move(*attempts);
        return load;
    }
    const std::string aside = AsideName(path);
    fs::rename(path, aside, error);
    // When even the rename fails, the folder takes no new files either, so no save can
    // replace the damaged file: it is not lost.
    load.keptAside = error ? std::string() : aside;
    return load;
}

bool SaveProgress(const std::string& path, const Progress& progress) {
    std::string bytes =
        std::string(kMagic) + "\t" + kVersion + "\t" + OneLine(progress.child) + "\n";
    for (const Attempt& a : progress.attempts) {
        std::string mistakes;
        for (const MistakeKind kind : a.mistakes) {
            mistakes += (mistakes.empty() ? "" : ",") + std::string(MistakeId(kind));
        }
        for (const std::string& id : a.otherMistakes) {
            mistakes += (mistakes.empty() ? "" : ",") + id;
        }
        bytes += a.date + "\t" + a.setId + "\t" + a.typed + "\t" + (a.rightFirstTime ? "1" : "0") +
                 "\t" + mistakes + "\n";
    }
    if (!ReadRecord(bytes)) {
        return false;  // it would not read back: an attempt not of the format
    }
    std::error_code made;
    fs::create_directories(fs::path(path).parent_path(), made);
    std::string error;
    return WriteAtomically(path, bytes, error);
}

}  // namespace kazu
