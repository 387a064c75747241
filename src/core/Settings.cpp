#include "core/Settings.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <filesystem>
#include <limits>
#include <optional>
#include <string_view>
#include <system_error>
#include <tuple>
#include <vector>

#include "core/Cp932.h"
#include "core/Leftovers.h"

namespace kazu {

namespace {

// How a number read from the file is accepted.
enum class Rule {
    kInRange,       // outside min..max keeps the default
    kRaiseToMin,    // below min reads as min, above max keeps the default
    kNonZeroIsOne,  // a flag stored by older writers as any non-zero value
};

struct Key {
    int section;  // index into kSections
    const char* name;
    int32_t AppSettings::*number = nullptr;
    std::string AppSettings::*text = nullptr;
    int32_t min = 0;
    int32_t max = 1;  // for a text: its longest value in CP932 bytes
    Rule rule = Rule::kInRange;
};

constexpr std::array<const char*, 10> kSections = {
    "FORMPOS", "BFORMPOS",   "FONT",   "DSPORNOT", "SPEED",
    "SPEAK",   "ONSEIKINOU", "KAIGYO", "EXPLAIN",  "DSPCLTYPE",
};
enum SectionIndex {
    kFormPos,
    kBFormPos,
    kFont,
    kDspOrNot,
    kSpeed,
    kSpeak,
    kOnsei,
    kKaigyo,
    kExplain,
    kDspClType
};

constexpr int32_t kPixelLimit = 32000;
constexpr int32_t kSizeMin = 50;
constexpr int32_t kInt32Min = std::numeric_limits<int32_t>::min();
constexpr int32_t kInt32Max = std::numeric_limits<int32_t>::max();

// In the order the keys are written to a new file; a section's first key decides where the
// section goes.
const std::array<Key, 26> kKeys = {{
    {kFormPos, "LEFT", &AppSettings::LEFT, nullptr, -kPixelLimit, kPixelLimit},
    {kFormPos, "TOP", &AppSettings::TOP, nullptr, -kPixelLimit, kPixelLimit},
    {kFormPos, "HEIGHT", &AppSettings::HEIGHT, nullptr, kSizeMin, kPixelLimit},
    {kFormPos, "WIDTH", &AppSettings::WIDTH, nullptr, kSizeMin, kPixelLimit},
    {kBFormPos, "BLEFT", &AppSettings::BLEFT, nullptr, -kPixelLimit, kPixelLimit},
    {kBFormPos, "BTOP", &AppSettings::BTOP, nullptr, -kPixelLimit, kPixelLimit},
    {kFont, "FONTNAME", nullptr, &AppSettings::FONTNAME, 0, 64},
    {kFont, "FONTSIZE", &AppSettings::FONTSIZE, nullptr, 10, 400, Rule::kRaiseToMin},
    {kDspOrNot, "KURIAGARI", &AppSettings::KURIAGARI},
    {kDspOrNot, "KURISAGARI", &AppSettings::KURISAGARI},
    {kSpeed, "ENZANSPEED", &AppSettings::ENZANSPEED, nullptr, 0, 100},
    {kSpeak, "MSGSPEAK", &AppSettings::MSGSPEAK},
    {kSpeak, "SIKISPEAK", &AppSettings::SIKISPEAK},
    {kSpeak, "KEYSPEAK", &AppSettings::KEYSPEAK},
    {kSpeak, "SIKISPRATE", &AppSettings::SIKISPRATE, nullptr, 0, 10},
    {kSpeak, "SIKISPVOLUME", &AppSettings::SIKISPVOLUME, nullptr, 0, 100},
    {kSpeak, "USERSYOBINA", nullptr, &AppSettings::USERSYOBINA, 0, kInt32Max},
    {kSpeak, "SP_PANELSHOW", &AppSettings::SP_PANELSHOW},
    {kSpeak, "REIREADF", &AppSettings::REIREADF},
    {kOnsei, "SPEAKOK", &AppSettings::SPEAKOK, nullptr, kInt32Min, kInt32Max},
    {kOnsei, "HEAROK", &AppSettings::HEAROK},
    {kOnsei, "SRFLAG", &AppSettings::SRFLAG, nullptr, 0, 1, Rule::kNonZeroIsOne},
    {kKaigyo, "KAIGYO_FLAG", &AppSettings::KAIGYO_FLAG},
    {kExplain, "EXPLAIN_FLAG", &AppSettings::EXPLAIN_FLAG},
    {kDspClType, "DSP_CL_TYPE", &AppSettings::DSP_CL_TYPE},
    {kSpeed, "POINTMAX", &AppSettings::POINTMAX, nullptr, 0, 10},
}};

constexpr std::string_view kBom = "\xEF\xBB\xBF";

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsControl(char c) {
    return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return lower(x) == lower(y); });
}

bool IsValidUtf8(std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        size_t length = 1;
        unsigned char low = 0x80;   // the bounds of the second byte, which exclude overlong
        unsigned char high = 0xBF;  // forms, surrogates and code points beyond U+10FFFF
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        } else if (lead >= 0x80) {
            return false;
        }
        if (text.size() - i < length) {
            return false;
        }
        for (size_t k = 1; k < length; ++k) {
            const auto byte = static_cast<unsigned char>(text[i + k]);
            if (byte < (k == 1 ? low : 0x80) || byte > (k == 1 ? high : 0xBF)) {
                return false;
            }
        }
        i += length;
    }
    return true;
}

std::string StripControls(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (!IsControl(c)) {
            out += c;
        }
    }
    return out;
}

// A line that could be written into the file: no control characters but the tab (a stray
// CR or NUL would split the line differently in other readers) and text in CP932, or in
// UTF-8 when someone edited the file by hand.
bool IsSoundLine(std::string_view line) {
    if (std::any_of(line.begin(), line.end(), [](char c) { return IsControl(c) && c != '\t'; })) {
        return false;
    }
    return Cp932ToUtf8(std::string(line)).has_value() || IsValidUtf8(line);
}

std::string_view WithoutBom(std::string_view line, bool* hadBom = nullptr) {
    while (line.substr(0, kBom.size()) == kBom) {
        line.remove_prefix(kBom.size());
        if (hadBom != nullptr) {
            *hadBom = true;
        }
    }
    return line;
}

// One line of the file. Saving writes `raw` back unchanged unless the line holds a key.
struct Line {
    std::string_view raw;     // as in the file, line end included
    std::string_view text;    // without its line end and without byte order marks in front
    std::string_view ending;  // "\r\n", "\n", or what the last line ends with
    bool sound = false;       // its value may be read (see IsSoundLine)
};

// The lines of the file as both reading and writing see them. Byte order marks go from
// the start of every line, so that a line never means something else once the lines
// before it are dropped; only one at the start of the file says it is UTF-8.
std::vector<Line> LinesOf(std::string_view bytes, bool* fileHadBom = nullptr) {
    std::vector<Line> lines;
    while (!bytes.empty()) {
        const size_t end = std::min(bytes.find('\n'), bytes.size());
        Line line;
        line.raw = bytes.substr(0, std::min(end + 1, bytes.size()));
        line.text = bytes.substr(0, end);
        bytes.remove_prefix(line.raw.size());
        if (!line.text.empty() && line.text.back() == '\r') {
            line.text.remove_suffix(1);
        }
        line.ending = line.raw.substr(line.text.size());
        bool bom = false;
        line.text = WithoutBom(line.text, &bom);
        if (lines.empty() && fileHadBom != nullptr) {
            *fileHadBom = bom;
        }
        line.sound = IsSoundLine(line.text);
        lines.push_back(line);
    }
    return lines;
}

// "[NAME]" with blanks allowed around the name; whatever follows the bracket is ignored.
std::optional<std::string_view> SectionOf(std::string_view line) {
    line = Trim(line);
    const size_t close = line.find(']');
    if (line.empty() || line.front() != '[' || close == std::string_view::npos) {
        return std::nullopt;
    }
    return Trim(line.substr(1, close - 1));
}

int SectionIndexOf(std::string_view name) {
    for (size_t i = 0; i < kSections.size(); ++i) {
        if (EqualsIgnoreCase(name, kSections[i])) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int KeyIndexOf(int section, std::string_view name) {
    for (size_t i = 0; i < kKeys.size(); ++i) {
        if (kKeys[i].section == section && EqualsIgnoreCase(name, kKeys[i].name)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// For each line, the index of the key whose value it holds, or -1. Only the first
// occurrence of a key counts, and a section that appears twice is read as one.
std::vector<int> KeyPerLine(const std::vector<Line>& lines) {
    std::vector<int> keys(lines.size(), -1);
    std::array<bool, kKeys.size()> seen{};
    int section = -1;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string_view text = lines[i].text;
        if (const auto name = SectionOf(text)) {
            section = SectionIndexOf(*name);
            continue;
        }
        const size_t equals = text.find('=');
        if (section < 0 || equals == std::string_view::npos) {
            continue;
        }
        const int key = KeyIndexOf(section, Trim(text.substr(0, equals)));
        if (key >= 0 && !seen[static_cast<size_t>(key)]) {
            seen[static_cast<size_t>(key)] = true;
            keys[i] = key;
        }
    }
    return keys;
}

std::string_view ValueOf(std::string_view line) {
    return Trim(line.substr(line.find('=') + 1));
}

// Optional sign and decimal digits, nothing else; nullopt also when it does not fit.
std::optional<int32_t> ParseInt32(std::string_view text) {
    const bool negative = !text.empty() && text.front() == '-';
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        text.remove_prefix(1);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
        if (value > int64_t{kInt32Max} + 1) {
            return std::nullopt;
        }
    }
    value = negative ? -value : value;
    if (value < kInt32Min || value > kInt32Max) {
        return std::nullopt;
    }
    return static_cast<int32_t>(value);
}

// A text is CP932 on disk, or UTF-8 in a hand-edited file (tried first when the file says so
// with a byte order mark). UTF-8 is brought to what CP932 can hold, as the next save will
// store it, so that reading the saved file gives the same text again.
std::optional<std::string> DecodeText(std::string_view raw, bool utf8First) {
    const std::string bytes(raw);
    const auto fromUtf8 = [&]() -> std::optional<std::string> {
        if (!IsValidUtf8(bytes)) {
            return std::nullopt;
        }
        return Cp932ToUtf8(Utf8ToCp932(bytes));
    };
    std::optional<std::string> text = utf8First ? fromUtf8() : Cp932ToUtf8(bytes);
    if (!text) {
        text = utf8First ? Cp932ToUtf8(bytes) : fromUtf8();
    }
    return text;
}

void ReadNumber(const Key& key, std::string_view raw, AppSettings& settings) {
    const std::optional<int32_t> value = ParseInt32(raw);
    if (!value) {
        return;
    }
    int32_t& field = settings.*key.number;
    switch (key.rule) {
        case Rule::kInRange:
            if (*value >= key.min && *value <= key.max) {
                field = *value;
            }
            break;
        case Rule::kRaiseToMin:
            if (*value <= key.max) {
                field = std::max(*value, key.min);
            }
            break;
        case Rule::kNonZeroIsOne:
            field = *value != 0 ? 1 : 0;
            break;
    }
}

void ReadText(const Key& key, std::string_view raw, bool utf8First, AppSettings& settings) {
    const std::optional<std::string> text = DecodeText(raw, utf8First);
    if (!text) {
        return;
    }
    const std::string clean(Trim(StripControls(*text)));
    if (!clean.empty() && Cp932Length(clean) <= key.max) {
        settings.*key.text = clean;
    }
}

std::string KeyLine(const Key& key, const AppSettings& settings) {
    std::string value;
    if (key.text != nullptr) {
        value = Utf8ToCp932(StripControls(settings.*key.text));
    } else {
        const int32_t number = settings.*key.number;
        value = std::to_string(key.rule == Rule::kNonZeroIsOne ? (number != 0 ? 1 : 0) : number);
    }
    return std::string(key.name) + "=" + value;
}

std::string SectionLine(int section) {
    return std::string("[") + kSections[section] + "]";
}

// For each section, the line after which its missing keys go: the last non-blank line of
// its first appearance, or -1 when the file lacks the section.
std::array<int, kSections.size()> InsertionPoints(const std::vector<Line>& lines) {
    std::array<int, kSections.size()> insertAfter;
    insertAfter.fill(-1);
    int current = -1;
    for (size_t i = 0; i < lines.size(); ++i) {
        const int line = static_cast<int>(i);
        if (const auto name = SectionOf(lines[i].text)) {
            const int section = SectionIndexOf(*name);
            current = section >= 0 && insertAfter[static_cast<size_t>(section)] < 0 ? section : -1;
            if (current >= 0) {
                insertAfter[static_cast<size_t>(current)] = line;
            }
        } else if (current >= 0 && !Trim(lines[i].text).empty()) {
            insertAfter[static_cast<size_t>(current)] = line;
        }
    }
    return insertAfter;
}

}  // namespace

AppSettings ParseSettings(const std::string& fileBytes) {
    AppSettings settings;
    bool hadBom = false;
    const std::vector<Line> lines = LinesOf(fileBytes, &hadBom);
    const std::vector<int> keys = KeyPerLine(lines);
    for (size_t i = 0; i < lines.size(); ++i) {
        if (keys[i] < 0 || !lines[i].sound) {
            continue;  // a damaged line still holds its key's place: saving replaces it
        }
        const Key& key = kKeys[static_cast<size_t>(keys[i])];
        if (key.text != nullptr) {
            ReadText(key, ValueOf(lines[i].text), hadBom, settings);
        } else {
            ReadNumber(key, ValueOf(lines[i].text), settings);
        }
    }
    return settings;
}

std::string RenderSettings(const std::string& existingBytes, const AppSettings& settings) {
    const std::vector<Line> lines = LinesOf(existingBytes);
    const std::vector<int> keys = KeyPerLine(lines);

    std::array<bool, kKeys.size()> present{};
    for (int key : keys) {
        if (key >= 0) {
            present[static_cast<size_t>(key)] = true;
        }
    }
    const std::array<int, kSections.size()> insertAfter = InsertionPoints(lines);

    std::string bytes;
    bool lastBlank = true;  // so that the first section of a new file has no blank line
    // New lines end as the file's first line does; CR LF in a new file.
    const std::string_view newEnding =
        !lines.empty() && lines.front().ending == "\n" ? "\n" : "\r\n";
    // Other lines go back byte for byte, line end included; only a last line without one
    // gets it completed when something follows.
    const auto emit = [&](std::string_view text, std::string_view ending) {
        if (!bytes.empty() && bytes.back() != '\n') {
            bytes.append(bytes.back() == '\r' ? "\n" : newEnding);
        }
        bytes.append(text).append(ending);
        lastBlank = Trim(text).empty();
    };
    const auto emitNew = [&](std::string_view line) { emit(line, newEnding); };
    const auto emitMissingKeys = [&](int section) {
        for (size_t k = 0; k < kKeys.size(); ++k) {
            if (kKeys[k].section == section && !present[k]) {
                emitNew(KeyLine(kKeys[k], settings));
            }
        }
    };
    for (size_t i = 0; i < lines.size(); ++i) {
        if (keys[i] >= 0) {
            emit(KeyLine(kKeys[static_cast<size_t>(keys[i])], settings), lines[i].ending);
        } else {
            // A byte order mark would say that the file is UTF-8; the values are CP932.
            bytes.append(i == 0 ? WithoutBom(lines[i].raw) : lines[i].raw);
            lastBlank = Trim(lines[i].text).empty();
        }
        for (size_t s = 0; s < kSections.size(); ++s) {
            if (insertAfter[s] == static_cast<int>(i)) {
                emitMissingKeys(static_cast<int>(s));
            }
        }
    }
    std::array<bool, kSections.size()> appended{};
    for (const Key& key : kKeys) {
        const auto section = static_cast<size_t>(key.section);
        if (insertAfter[section] >= 0 || appended[section]) {
            continue;
        }
        appended[section] = true;
        if (!lastBlank) {
            emitNew("");
        }
        emitNew(SectionLine(key.section));
        emitMissingKeys(key.section);
    }
    return bytes;
}

namespace {

namespace fs = std::filesystem;

// A save's temporary file: the settings file's name, this suffix and the process id.
constexpr const char* kTemporarySuffix = ".tmp";

std::string ErrnoText(int error) {
    return std::error_code(error, std::generic_category()).message();
}

// The whole of a regular file; nullopt when there is none or it cannot be read. Anything
// larger than a settings file could ever be is not one.
std::optional<std::string> ReadFileBytes(const std::string& path) {
    constexpr off_t kMaxSize = 16 * 1024 * 1024;
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    struct stat info {};
    std::optional<std::string> bytes;
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size <= kMaxSize) {
        bytes.emplace();
        char buffer[8192];
        ssize_t count;
        while ((count = read(fd, buffer, sizeof buffer)) != 0) {
            if (count < 0 && errno == EINTR) {
                continue;
            }
            if (count < 0 || bytes->size() > static_cast<size_t>(kMaxSize)) {
                bytes.reset();
                break;
            }
            bytes->append(buffer, static_cast<size_t>(count));
        }
    }
    close(fd);
    return bytes;
}

// True when a save can replace the file: a save writes a new file beside it and renames it,
// so the folder must take new files, however writable the file itself is.
bool CanWriteFile(const std::string& folder, const std::string& file) {
    std::error_code error;
    const fs::file_status status = fs::status(file, error);
    if (fs::exists(status) && (!fs::is_regular_file(status) || access(file.c_str(), W_OK) != 0)) {
        return false;
    }
    return fs::is_directory(folder, error) && access(folder.c_str(), W_OK | X_OK) == 0;
}

// True when `file` exists and was changed after `other`, or `other` does not exist.
bool IsNewer(const std::string& file, const std::string& other) {
    struct stat mine {};
    struct stat theirs {};
    if (stat(file.c_str(), &mine) != 0) {
        return false;
    }
    if (stat(other.c_str(), &theirs) != 0) {
        return true;
    }
    return std::tie(mine.st_mtim.tv_sec, mine.st_mtim.tv_nsec) >
           std::tie(theirs.st_mtim.tv_sec, theirs.st_mtim.tv_nsec);
}

bool WriteAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t count = write(fd, bytes.data() + done, bytes.size() - done);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return false;
        }
        done += static_cast<size_t>(count);
    }
    return true;
}

}  // namespace

// Writes a temporary file beside the target and renames it over the target, so that a
// crash or a full disk leaves either the old file or the new one, never half of one.
bool WriteAtomically(const std::string& target, const std::string& bytes, std::string& error) {
    const std::string temporary = OwnName(target + kTemporarySuffix);
    unlink(temporary.c_str());  // a leftover of an earlier process with the same id
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        error = "cannot create " + temporary + ": " + ErrnoText(errno);
        return false;
    }
    struct stat info {};
    if (stat(target.c_str(), &info) == 0) {
        fchmod(fd, info.st_mode & 07777);  // keep the permissions the file had
    }
    const auto fail = [&](const char* what) {
        error = std::string(what) + " " + target + ": " + ErrnoText(errno);
        return false;
    };
    bool ok = WriteAll(fd, bytes) || fail("cannot write");
    if (ok && fsync(fd) != 0) {
        ok = fail("cannot flush");
    }
    if (close(fd) != 0 && ok) {
        ok = fail("cannot close");
    }
    if (ok && rename(temporary.c_str(), target.c_str()) != 0) {
        ok = fail("cannot replace");
    }
    if (!ok) {
        unlink(temporary.c_str());
        return false;
    }
    // Make the rename itself last; a failure here no longer puts the file at risk.
    const int folder = open(fs::path(target).parent_path().c_str(), O_RDONLY | O_DIRECTORY);
    if (folder >= 0) {
        fsync(folder);
        close(folder);
    }
    return true;
}

SettingsStore::SettingsStore(std::string programFolder, std::string userConfigFolder)
    : programFolder_(std::move(programFolder)), userConfigFolder_(std::move(userConfigFolder)) {
    path_ = CanWriteFile(programFolder_, ProgramPath()) ? ProgramPath() : UserPath();
}

std::string SettingsStore::ProgramPath() const {
    return (fs::path(programFolder_) / kSettingsFileName).string();
}

std::string SettingsStore::UserPath() const {
    return (fs::path(userConfigFolder_) / kSettingsFileName).string();
}

std::string SettingsStore::CurrentBytes(const std::string& target) const {
    std::optional<std::string> bytes = ReadFileBytes(target);
    if (!bytes && target != ProgramPath()) {
        bytes = ReadFileBytes(ProgramPath());  // the defaults installed with the program
    }
    return bytes.value_or(std::string());
}

// Where the last save went. A save goes to path_ unless that fails, and then to the user's
// folder; a user's copy newer than the one beside the program is therefore the last one.
std::string SettingsStore::LastSavedPath() const {
    return path_ != UserPath() && IsNewer(UserPath(), path_) ? UserPath() : path_;
}

AppSettings SettingsStore::Load() {
    // A run killed in the middle of a save leaves its temporary file.
    const std::string leftover = std::string(kSettingsFileName) + kTemporarySuffix;
    RemoveLeftovers(programFolder_, leftover);
    RemoveLeftovers(userConfigFolder_, leftover);
    return ParseSettings(CurrentBytes(LastSavedPath()));
}

bool SettingsStore::Save(const AppSettings& settings) {
    std::vector<std::string> targets = {path_};
    if (path_ != UserPath()) {
        targets.push_back(UserPath());  // the program's folder may have become read-only
    }
    std::string errors;
    for (const std::string& target : targets) {
        if (target == UserPath()) {
            std::error_code ignored;  // a failure shows when the file is created
            fs::create_directories(userConfigFolder_, ignored);
        }
        std::string error;
        if (WriteAtomically(target, RenderSettings(CurrentBytes(target), settings), error)) {
            path_ = target;
            lastError_.clear();
            return true;
        }
        errors += (errors.empty() ? "" : "; ") + error;
    }
    lastError_ = errors;
    return false;
}

}  // namespace kazu
