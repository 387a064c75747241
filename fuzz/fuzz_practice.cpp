// Any bytes as a child's typed answer and as a practice record file: nothing fails; a mistake is
// named only when its procedure writes that answer; a record reads back as saved, and one that
// does not read is kept aside byte for byte.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "core/practice/Mistakes.h"
#include "core/practice/Progress.h"

namespace {

void CheckAnswers(const std::string& bytes) {
    const auto answer = kazu::ParseChildAnswer(bytes);
    if (!answer) {
        return;
    }
    static const kazu::WorkingInput kInputs[] = {{"402", "", "175", "", '-', 0},
                                                 {"48", "", "35", "", '+', 0},
                                                 {"36", "", "24", "", '*', 0},
                                                 {"5", "3", "0", "7", '/', 1}};
    for (const kazu::WorkingInput& in : kInputs) {
        const auto working = kazu::BuildWorking(in);
        const kazu::AnswerCheck check = kazu::CheckAnswer(in, *working, *answer);
        for (const kazu::NamedMistake& m : check.mistakes) {
            const auto written = kazu::ParseChildAnswer(kazu::CarryOutMistake(m.kind, in).value());
            if (!written || kazu::CheckAnswer(in, *working, *written).mistakes.empty()) {
                std::abort();
            }
        }
        if (!check.correct && check.hint.empty()) {
            std::abort();
        }
    }
}

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// A folder of this process's own, removed when the fuzzer ends.
struct Folder {
    std::string path = (std::filesystem::temp_directory_path() /
                        ("kazu-fuzz-practice-" + std::to_string(getpid())))
                           .string();
    ~Folder() { std::filesystem::remove_all(path); }
};

void CheckRecord(const std::string& bytes) {
    static const Folder own;
    const std::string& folder = own.path;
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const std::string path = folder + "/x.progress.txt";
    std::ofstream(path, std::ios::binary) << bytes;
    const kazu::ProgressLoad load = kazu::LoadProgress(path, "x");
    if (!load.keptAside.empty()) {
        if (Read(load.keptAside) != bytes) {
            std::abort();
        }
        return;
    }
    if (!kazu::SaveProgress(path, load.progress) ||
        !(kazu::LoadProgress(path, "x").progress.attempts == load.progress.attempts)) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    CheckAnswers(bytes);
    CheckRecord(bytes);
    return 0;
}
