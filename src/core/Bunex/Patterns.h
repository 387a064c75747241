// The word-problem patterns: "bunExPtrn.txt", one pattern for each kind of calculation, read
// at start from a code page 932 text file that teachers edit by hand.
#pragma once

#include <array>
#include <string>

namespace kazu {

inline constexpr const char* kPatternFileName = "bunExPtrn.txt";

// One pattern, UTF-8. "@[前数]", "@[後数]", "@[答数]" and "@[余数]" in it are filled in later.
struct ExamplePattern {
    std::string bun1;  // first sentence, with the first operand
    std::string bun2;  // second sentence, with the second operand
    std::string bun3;  // the question
    std::string kang;  // the hint, shown after "考え方: "
    std::string ansr;  // the answer sentence, keeping its line's last byte
    std::string amri;  // the remainder sentence, kept as read
};

// Entries 1 to 20 are the calculation types; entry 0 catches whatever comes before the first
// "NUM:" and is never shown.
inline constexpr int kPatternCount = 21;
using PatternTable = std::array<ExamplePattern, kPatternCount>;

// The patterns in a file's bytes. Never fails: whatever cannot be read leaves fields empty.
PatternTable ParsePatterns(const std::string& bytes);

// Reads the file at `path` into `table`: 1 when it was read, -1 when it cannot be opened.
int ReiGet(const std::string& path, PatternTable& table);

}  // namespace kazu
