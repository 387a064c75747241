// The settings file "kazuchanV24.ini": one field per key, CP932 on disk, saved atomically.
#pragma once

#include <cstdint>
#include <string>

namespace kazu {

struct AppSettings {
    // [FORMPOS]
    int32_t LEFT = 200;
    int32_t TOP = 200;
    int32_t HEIGHT = 400;
    int32_t WIDTH = 804;
    // [BFORMPOS]
    int32_t BLEFT = 200;
    int32_t BTOP = 500;
    // [FONT]
    std::string FONTNAME = "ＭＳゴシック";
    int32_t FONTSIZE = 40;
    // [DSPORNOT]
    int32_t KURIAGARI = 1;
    int32_t KURISAGARI = 1;
    // [SPEED]
    int32_t ENZANSPEED = 0;
    int32_t POINTMAX = 0;
    // [SPEAK]
    int32_t MSGSPEAK = 1;
    int32_t SIKISPEAK = 1;
    int32_t KEYSPEAK = 1;
    int32_t SIKISPRATE = 10;
    int32_t SIKISPVOLUME = 100;
    int32_t REIREADF = 0;
    std::string USERSYOBINA;
    int32_t SP_PANELSHOW = 1;
    // [ONSEIKINOU]
    int32_t SPEAKOK = 0;
    int32_t HEAROK = 0;
    int32_t SRFLAG = 0;
    // [KAIGYO]
    int32_t KAIGYO_FLAG = 0;
    // [EXPLAIN]
    int32_t EXPLAIN_FLAG = 0;
    // [DSPCLTYPE]
    int32_t DSP_CL_TYPE = 0;

    bool operator==(const AppSettings&) const = default;
};

inline constexpr const char* kSettingsFileName = "kazuchanV24.ini";

// Reads settings from the bytes of a settings file (CP932). Never fails: every key that is
// missing, unreadable or out of range keeps its default.
AppSettings ParseSettings(const std::string& fileBytes);

// The bytes of the settings file after saving `settings` over `existingBytes`: keys already
// there are replaced in place, other lines stay, missing sections and keys are added.
std::string RenderSettings(const std::string& existingBytes, const AppSettings& settings);

// Writes `bytes` to a temporary file beside `target`, flushes it and renames it over `target`;
// false with `error` set (and `target` untouched) when that fails. The practice record too.
bool WriteAtomically(const std::string& target, const std::string& bytes, std::string& error);

// Where the file lives and how it is read and written.
class SettingsStore {
  public:
    // programFolder: the folder of the executable; userConfigFolder: where the file goes when
    // the program's folder cannot be written (for example ~/.config/kazuchan).
    SettingsStore(std::string programFolder, std::string userConfigFolder);

    // Reads the copy the last save wrote, and removes the temporary files that runs killed
    // in the middle of a save left.
    AppSettings Load();
    // Atomic: a temporary file beside the target, then a rename. False on failure, with
    // lastError() saying why; the previous file is then left as it was.
    bool Save(const AppSettings& settings);

    const std::string& path() const { return path_; }
    const std::string& lastError() const { return lastError_; }

  private:
    std::string ProgramPath() const;
    std::string UserPath() const;
    std::string LastSavedPath() const;
    // The bytes a save starts from and a load reads: the target's file, or else the one
    // installed in the program's folder.
    std::string CurrentBytes(const std::string& target) const;

    std::string programFolder_;
    std::string userConfigFolder_;
    std::string path_;
    std::string lastError_;
};

}  // namespace kazu
