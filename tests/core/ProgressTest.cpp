// The practice record: what is saved is read back the same, also what a newer version wrote;
// a file that does not read is kept aside byte for byte, never overwritten, and a new record
// started.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "core/practice/Progress.h"

namespace kazu {
namespace {

namespace fs = std::filesystem;

class ProgressTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ =
            fs::temp_directory_path() /
            ("kazu-progress-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    static std::string Read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }
    static void Write(const fs::path& path, const std::string& bytes) {
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }
    std::vector<fs::path> Files() const {
        std::vector<fs::path> files;
        for (const auto& entry : fs::directory_iterator(folder_)) {
            files.push_back(entry.path());
        }
        return files;
    }

    fs::path folder_;
};

TEST_F(ProgressTest, WhatIsSavedIsReadBack) {
    std::mt19937 random(7);
    const std::vector<std::string> sets = {"", "g2-add", "g5-dec-div"};
    for (int round = 0; round < 20; ++round) {
        Progress progress{round % 2 ? "はなこ" : "Taro Yamada", {}};
        const int count = static_cast<int>(random() % 30);
        for (int i = 0; i < count; ++i) {
            Attempt a;
            a.date =
                "2026-" + std::to_string(10 + random() % 3) + "-1" + std::to_string(random() % 10);
            a.setId = sets[random() % sets.size()];
            a.typed = std::to_string(random() % 1000) + "+-*/"[random() % 4] + "0." +
                      std::to_string(random() % 100) + "=";
            a.rightFirstTime = random() % 2 == 0;
            for (const MistakeKind kind : AllMistakes()) {
                if (random() % 8 == 0) {
                    a.mistakes.push_back(kind);
                }
            }
            if (random() % 5 == 0) {
                a.otherMistakes.push_back("mul-newer-kind");
            }
            progress.attempts.push_back(a);
        }
        const std::string path = ProgressPath(folder_.string(), progress.child);
        ASSERT_TRUE(SaveProgress(path, progress));
        const ProgressLoad load = LoadProgress(path, progress.child);
        EXPECT_TRUE(load.keptAside.empty());
        EXPECT_EQ(load.progress.child, progress.child);
        EXPECT_EQ(load.progress.attempts, progress.attempts);
    }
    EXPECT_EQ(Files().size(), 2u);  // one file a child, no temporary files left
}

TEST_F(ProgressTest, TheFormatIsTheDocumentedOne) {
    const std::string path = (folder_ / "x.progress.txt").string();
    Write(path,
          "kazuchan-progress\t1\tはなこ\n"
          "2026-12-09\tg2-add-carry\t48+35=\t0\tadd-no-carry,div-by-guessing\n"
          "2026-12-09\t\t7/2=\t1\t\n");
    const ProgressLoad load = LoadProgress(path, "はなこ");
    ASSERT_TRUE(load.keptAside.empty());
    ASSERT_EQ(load.progress.attempts.size(), 2u);
    const Attempt& first = load.progress.attempts[0];
    EXPECT_EQ(first.mistakes, std::vector<MistakeKind>{MistakeKind::AddNoCarry});
    EXPECT_EQ(first.otherMistakes, std::vector<std::string>{"div-by-guessing"});
    EXPECT_TRUE(load.progress.attempts[1].rightFirstTime);
    EXPECT_EQ(load.progress.PerSet().at("g2-add-carry").tried, 1);
    EXPECT_EQ(load.progress.PerSet().at("").rightFirstTime, 1);
    EXPECT_EQ(load.progress.MistakeCounts().at(MistakeKind::AddNoCarry), 1);
    // Written back as it was read, the newer version's mistake id too.
    const std::string before = Read(path);
    ASSERT_TRUE(SaveProgress(path, load.progress));
    EXPECT_EQ(Read(path), before);
}

TEST_F(ProgressTest, ADamagedFileIsKeptAsideAndANewRecordStarted) {
    const std::string good = "kazuchan-progress\t1\tはなこ\n2026-12-09\tg2-add\t45+13=\t1\t\n";
    const std::vector<std::pair<const char*, std::string>> damaged = {
        {"empty", ""},
        {"no header", "2026-12-09\tg2-add\t45+13=\t1\t\n"},
        {"newer format", "kazuchan-progress\t2\tはなこ\n"},
        {"bad date", "kazuchan-progress\t1\tはなこ\n2026-1-9\tg2-add\t45+13=\t1\t\n"},
        {"missing field", "kazuchan-progress\t1\tはなこ\n2026-12-09\tg2-add\t45+13=\t1\n"},
        {"not 0 or 1", good + "2026-12-09\tg2-add\t45+13=\tyes\t\n"},
        {"bad mistake id", good + "2026-12-09\tg2-add\t45+13=\t0\tAdd No Carry\n"},
        {"not UTF-8", "kazuchan-progress\t1\t\x82\xcd\x82\xc8\x82\xb1\n"},
        {"cut off in a character", good.substr(0, good.find('\n') - 1)},
        {"binary", std::string("\0\x01\x02kazuchan", 11)},
    };
    for (const auto& [what, bytes] : damaged) {
        fs::remove_all(folder_);
        const std::string path = ProgressPath(folder_.string(), "はなこ");
        Write(path, bytes);
        const ProgressLoad load = LoadProgress(path, "はなこ");
        ASSERT_FALSE(load.keptAside.empty()) << what;
        EXPECT_TRUE(load.progress.attempts.empty()) << what;
        EXPECT_EQ(Read(load.keptAside), bytes) << what;
        EXPECT_NE(load.keptAside.find(".damaged-"), std::string::npos);
        // The new record does not touch what was kept aside.
        Progress progress = load.progress;
        progress.attempts.push_back({"2026-12-10", "g2-add", "12+34=", true, {}, {}});
        ASSERT_TRUE(SaveProgress(path, progress)) << what;
        EXPECT_EQ(Read(load.keptAside), bytes) << what;
        EXPECT_EQ(LoadProgress(path, "はなこ").progress.attempts.size(), 1u) << what;
    }
    // Twice in the same second: the second kept aside beside the first.
    fs::remove_all(folder_);
    const std::string path = ProgressPath(folder_.string(), "はなこ");
    Write(path, "one");
    const std::string first = LoadProgress(path, "はなこ").keptAside;
    Write(path, "two");
    const std::string second = LoadProgress(path, "はなこ").keptAside;
    EXPECT_NE(first, second);
    EXPECT_EQ(Read(first), "one");
    EXPECT_EQ(Read(second), "two");
}

TEST_F(ProgressTest, AnAttemptThatWouldNotReadBackIsNotSaved) {
    const std::string path = ProgressPath(folder_.string(), "taro");
    Progress progress{"taro", {{"2026-12-09", "g2-add", "45+13=", true, {}, {}}}};
    ASSERT_TRUE(SaveProgress(path, progress));
    const std::string before = Read(path);
    progress.attempts.push_back({"2026-12-09", "g2-add", "45\t13=", true, {}, {}});
    EXPECT_FALSE(SaveProgress(path, progress));
    EXPECT_EQ(Read(path), before);
}

TEST(ProgressPath, NamesStayReadableAndSafe) {
    EXPECT_EQ(ProgressPath("/p", "はなこ"), "/p/はなこ.progress.txt");
    EXPECT_EQ(ProgressPath("/p", "Taro_2"), "/p/Taro_2.progress.txt");
    EXPECT_EQ(ProgressPath("/p", "../x"), "/p/%2E%2E%2Fx.progress.txt");
    EXPECT_EQ(ProgressPath("/p", "a b-c%"), "/p/a%20b%2Dc%25.progress.txt");
    EXPECT_EQ(ProgressPath("/p", ""), "/p/-.progress.txt");
    EXPECT_EQ(ProgressPath("/p", "\x82\xcd"), "/p/%82%CD.progress.txt");  // not UTF-8
    // Different names, different files.
    EXPECT_NE(ProgressPath("/p", "-"), ProgressPath("/p", ""));
    EXPECT_NE(ProgressPath("/p", "%2D"), ProgressPath("/p", "-"));
}

}  // namespace
}  // namespace kazu
