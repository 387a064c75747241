// The original's files are code page 932; the program holds UTF-8 in memory.
#pragma once

#include <optional>
#include <string>

namespace kazu {

// UTF-8 to CP932; characters CP932 lacks become "?" so a save never fails on them.
std::string Utf8ToCp932(const std::string& utf8);
// CP932 to UTF-8; nullopt when the bytes are not valid CP932.
std::optional<std::string> Cp932ToUtf8(const std::string& cp932);
// The number of CP932 bytes the text takes; every byte-counting rule uses this.
int Cp932Length(const std::string& utf8);

}  // namespace kazu
