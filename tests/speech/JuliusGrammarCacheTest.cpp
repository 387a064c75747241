// Compiled grammars kept between runs: a hit takes no tools, a change in what goes into a grammar
// misses, and an entry that is not whole is never used.
#include "speech/JuliusGrammarCache.h"

#include <sys/stat.h>

#include <QFile>
#include <random>

#include "SpeechTestSupport.h"

namespace kazu {
namespace {

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

TEST(GrammarEntryTest, OnlyAWholeUnchangedEntryIsRead) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> byte(0, 255);
    CompiledGrammar grammar;
    for (int i = 0; i < 300; ++i) {
        grammar.dfa.append(static_cast<char>(byte(random)));
        grammar.dict.append(static_cast<char>(byte(random)));
    }
    const QByteArray entry = GrammarEntry(grammar);
    const auto read = ReadGrammarEntry(entry);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->dfa, grammar.dfa);
    EXPECT_EQ(read->dict, grammar.dict);
    // Every cut, as a write that stopped short leaves it, and every changed byte.
    for (qsizetype size = 0; size < entry.size(); ++size) {
        EXPECT_FALSE(ReadGrammarEntry(entry.left(size))) << "cut at " << size;
    }
    for (qsizetype at = 0; at < entry.size(); ++at) {
        QByteArray changed = entry;
        changed[at] = static_cast<char>(changed[at] ^ (1 << (at % 8)));
        EXPECT_FALSE(ReadGrammarEntry(changed)) << "byte " << at << " changed";
    }
    EXPECT_FALSE(ReadGrammarEntry(entry + "x"));
    EXPECT_FALSE(ReadGrammarEntry(GrammarEntry({grammar.dfa, {}})));
}

// The tools are copies, so that a test can make them fail without changing what they are.
class GrammarCacheTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const JuliusTools installed = JuliusTools::Installed();
        tools_ = installed;
        tools_.binDir = Path("bin");
        for (const char* tool : {"yomi2voca.pl", "mkdfa.pl", "mkfa", "dfa_minimize"}) {
            const QString to = tools_.binDir + QLatin1Char('/') + QLatin1String(tool);
            folder_.Write(std::string("bin/") + tool, "");
            QFile::remove(to);
            ASSERT_TRUE(QFile::copy(installed.binDir + QLatin1Char('/') + QLatin1String(tool), to));
        }
    }
    QString Path(const char* name) const {
        return QString::fromStdString(folder_.path() + "/" + name);
    }
    // mkfa can no longer be run; its bytes, and so every key, stay the same.
    void BreakTools() const {
        ASSERT_EQ(::chmod(qPrintable(tools_.binDir + QStringLiteral("/mkfa")), 0), 0);
    }
    GrammarCache::Outcome Compile(const listen::GrammarSource& source, const char* prefix) const {
        return GrammarCache(Path("cache")).Compile(source, Path(prefix), tools_);
    }

    ScratchFolder folder_;
    JuliusTools tools_;
    const listen::GrammarSource clear_ = listen::CommandGrammar({{4, "くりあ"}});
};

TEST_F(GrammarCacheTest, SecondCompileIsTakenFromTheCacheWithoutTheTools) {
    const auto first = Compile(clear_, "first");
    ASSERT_FALSE(first.error) << first.error->toStdString();
    EXPECT_FALSE(first.fromCache);
    EXPECT_TRUE(QFile::exists(GrammarCache(Path("cache")).EntryPath(clear_, tools_)));

    BreakTools();
    const auto second = Compile(clear_, "second");
    ASSERT_FALSE(second.error) << second.error->toStdString();
    EXPECT_TRUE(second.fromCache);
    EXPECT_EQ(ReadAll(Path("second.dfa")), ReadAll(Path("first.dfa")));
    EXPECT_EQ(ReadAll(Path("second.dict")), ReadAll(Path("first.dict")));
}

TEST_F(GrammarCacheTest, ChangedGrammarOrToolsMissTheCache) {
    ASSERT_FALSE(Compile(clear_, "clear").error);
    const GrammarCache cache(Path("cache"));
    const auto other = listen::CommandGrammar({{4, "けす"}});
    const auto weighed = listen::CommandGrammar({{4, "くりあ", 1.0}});
    EXPECT_NE(cache.EntryPath(other, tools_), cache.EntryPath(clear_, tools_));
    EXPECT_NE(cache.EntryPath(weighed, tools_), cache.EntryPath(clear_, tools_));
    JuliusTools penalised = tools_;
    penalised.fillerPenalty -= 1;
    EXPECT_NE(cache.EntryPath(clear_, penalised), cache.EntryPath(clear_, tools_));
    const QString before = cache.EntryPath(clear_, tools_);
    QFile mkfa(tools_.binDir + QStringLiteral("/mkfa"));
    ASSERT_TRUE(mkfa.open(QIODevice::Append));
    mkfa.write("\n");
    mkfa.close();
    EXPECT_NE(cache.EntryPath(clear_, tools_), before);

    const auto changed = Compile(listen::CommandGrammar({{4, "けす"}}), "other");
    ASSERT_FALSE(changed.error) << changed.error->toStdString();
    EXPECT_FALSE(changed.fromCache);
    EXPECT_NE(ReadAll(Path("other.dict")), ReadAll(Path("clear.dict")));
}

TEST_F(GrammarCacheTest, DamagedEntryIsCompiledAgainNeverUsed) {
    ASSERT_FALSE(Compile(clear_, "good").error);
    const QString entry = GrammarCache(Path("cache")).EntryPath(clear_, tools_);
    const QByteArray whole = ReadAll(entry);
    WriteAll(entry, whole.left(whole.size() / 2));

    const auto again = Compile(clear_, "again");
    ASSERT_FALSE(again.error) << again.error->toStdString();
    EXPECT_FALSE(again.fromCache);
    EXPECT_EQ(ReadAll(Path("again.dict")), ReadAll(Path("good.dict")));
    EXPECT_EQ(ReadAll(entry), whole);  // stored whole once more

    // With tools that fail, a changed entry is an error, not a grammar.
    QByteArray changed = whole;
    changed[changed.size() - 2] = static_cast<char>(changed[changed.size() - 2] ^ 1);
    WriteAll(entry, changed);
    BreakTools();
    EXPECT_TRUE(Compile(clear_, "broken").error);
}

TEST_F(GrammarCacheTest, WithoutAFolderEveryGrammarIsCompiled) {
    const auto first = GrammarCache(QString()).Compile(clear_, Path("first"), tools_);
    ASSERT_FALSE(first.error);
    EXPECT_FALSE(first.fromCache);
    BreakTools();
    EXPECT_TRUE(GrammarCache(QString()).Compile(clear_, Path("second"), tools_).error);
}

}  // namespace
}  // namespace kazu
