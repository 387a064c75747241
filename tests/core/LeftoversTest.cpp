// What killed runs leave behind goes at the next start; what running ones use stays.
#include "core/Leftovers.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace kazu {
namespace {

namespace fs = std::filesystem;

// The id of a process that has ended.
pid_t EndedProcess() {
    const pid_t child = fork();
    if (child == 0) {
        _exit(0);
    }
    waitpid(child, nullptr, 0);
    return child;
}

TEST(LeftoversTest, OnlyEntriesOfEndedRunsGo) {
    const fs::path folder =
        fs::path(testing::TempDir()) / ("kazu_leftovers_" + std::to_string(getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    const std::string ended = std::to_string(EndedProcess());
    const std::string mine = std::to_string(getpid());
    const std::string gone[] = {"kazuchan-" + ended, "kazuchan-" + ended + "-Ab12Cd"};
    // Running processes (this one, init), and names that are not ours.
    const std::string kept[] = {"kazuchan-" + mine + "-Xy34Zw",
                                "kazuchan-1-Ab12Cd",
                                "kazuchan-Ab12Cd",
                                "kazuchan-" + ended + "x",
                                "kazuchan-0",
                                "kazuchanx-" + ended,
                                "other-" + ended};
    for (const std::string& name : gone) {
        fs::create_directories(folder / name / "inner");
        std::ofstream(folder / name / "inner" / "calc.dfa") << "grammar";
    }
    for (const std::string& name : kept) {
        fs::create_directories(folder / name);
    }
    std::ofstream(folder / ("kazuchan-" + ended + "-file")) << "a file, too";

    RemoveLeftovers(folder.string(), kWorkFolderPrefix);
    for (const std::string& name : gone) {
        EXPECT_FALSE(fs::exists(folder / name)) << name;
    }
    EXPECT_FALSE(fs::exists(folder / ("kazuchan-" + ended + "-file")));
    for (const std::string& name : kept) {
        EXPECT_TRUE(fs::exists(folder / name)) << name;
    }
    EXPECT_EQ(OwnName(kWorkFolderPrefix), "kazuchan-" + mine);
    fs::remove_all(folder);
}

}  // namespace
}  // namespace kazu
