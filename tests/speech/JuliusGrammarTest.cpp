// The command grammar file read into phrases, and grammars compiled with Julius's tools.
#include "speech/JuliusGrammar.h"

#include <iconv.h>

#include <QFile>
#include <QRegularExpression>
#include <map>
#include <set>

#include "SpeechTestSupport.h"

namespace kazu {
namespace {

QByteArray Grammar(const QString& rules) {
    return (QStringLiteral(
                "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<GRAMMAR LANGID=\"411\">\n") +
            rules + QStringLiteral("\n</GRAMMAR>\n"))
        .toUtf8();
}

QString Rule(const QString& name, int command, const QString& phrases) {
    return QStringLiteral(
               "<RULE NAME=\"%1\" TOPLEVEL=\"ACTIVE\"><PROPERTY NAME=\"chosencommand\">"
               "<PROPERTY NAME=\"commandvalue\" VAL=\"%2\"/></PROPERTY>%3</RULE>")
        .arg(name)
        .arg(command)
        .arg(phrases);
}

// command, reading, text of each phrase read.
std::vector<std::tuple<int, std::string, QString>> Phrases(const CommandGrammarFile& grammar) {
    std::vector<std::tuple<int, std::string, QString>> phrases;
    EXPECT_EQ(grammar.phrases.size(), grammar.texts.size());
    for (size_t i = 0; i < grammar.phrases.size() && i < grammar.texts.size(); ++i)
        phrases.emplace_back(grammar.phrases[i].command, grammar.phrases[i].reading,
                             grammar.texts[i]);
    return phrases;
}

QByteArray ShippedGrammar() {
    QFile file(QStringLiteral(KAZU_SOURCE_RESOURCES "/KAZUGrammar.xml"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

QByteArray ReadAll(const std::string& path) {
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray Utf8ToCp932(const QByteArray& text) {
    iconv_t converter = iconv_open("CP932", "UTF-8");
    EXPECT_NE(converter, reinterpret_cast<iconv_t>(-1));
    QByteArray in = text;
    QByteArray out(in.size() * 2, '\0');
    char* inPointer = in.data();
    size_t inLeft = static_cast<size_t>(in.size());
    char* outPointer = out.data();
    size_t outLeft = static_cast<size_t>(out.size());
    EXPECT_NE(iconv(converter, &inPointer, &inLeft, &outPointer, &outLeft),
              static_cast<size_t>(-1));
    iconv_close(converter);
    out.resize(out.size() - static_cast<qsizetype>(outLeft));
    return out;
}

TEST(CommandGrammarTest, ShippedGrammarGivesEveryRuleItsCommandAndEveryReading) {
    const QByteArray xml = ShippedGrammar();
    CommandGrammarFile grammar;
    const auto error = ReadCommandGrammar(xml, grammar);
    ASSERT_FALSE(error) << error->toStdString();

    // What the file says, counted independently: each VAL, and each reading of each phrase.
    std::set<int> values;
    const QString text = QString::fromUtf8(xml);
    for (const auto& match : QRegularExpression(QStringLiteral("VAL=\"(\\d+)\"")).globalMatch(text))
        values.insert(match.captured(1).toInt());
    qsizetype readings = 0;
    for (const auto& match :
         QRegularExpression(QStringLiteral("<P(?: READING=\"([^\"]*)\")?(?: WEIGHT=\"[^\"]*\")?>"))
             .globalMatch(text))
        readings += match.hasCaptured(1) ? match.captured(1).split(u';').size() : 1;
    std::set<int> commands;
    for (const auto& phrase : grammar.phrases) commands.insert(phrase.command);
    EXPECT_EQ(commands, values);
    EXPECT_EQ(static_cast<qsizetype>(grammar.phrases.size()), readings);

    std::vector<std::tuple<int, std::string, QString>> clear;
    for (const auto& phrase : Phrases(grammar))
        if (std::get<0>(phrase) == 4)
            clear.push_back(phrase);
    const std::vector<std::tuple<int, std::string, QString>> expected = {
        {4, "くりあ", QStringLiteral("クリア")},
        {4, "くりやー", QStringLiteral("クリア")},
        {4, "しょうきょ", QStringLiteral("消去")},
        {4, "けして", QStringLiteral("消して")}};
    EXPECT_EQ(clear, expected);
}

TEST(CommandGrammarTest, PhrasesAreReadFromTheirKanaWhenNoReadingIsGiven) {
    CommandGrammarFile grammar;
    const auto error = ReadCommandGrammar(
        Grammar(Rule(QStringLiteral("Thanks"), 9,
                     QStringLiteral("<P>ありがとう</P><P> クリア </P><P>おはよう！</P>"
                                    "<P READING=\" くりあ ; くりやー ;\">クリア</P>"))),
        grammar);
    ASSERT_FALSE(error) << error->toStdString();
    const std::vector<std::tuple<int, std::string, QString>> expected = {
        {9, "ありがとう", QStringLiteral("ありがとう")},
        {9, "くりあ", QStringLiteral("クリア")},
        {9, "おはよう", QStringLiteral("おはよう！")},
        {9, "くりあ", QStringLiteral("クリア")},
        {9, "くりやー", QStringLiteral("クリア")}};
    EXPECT_EQ(Phrases(grammar), expected);
}

TEST(CommandGrammarTest, ElementAndAttributeNamesIgnoreCase) {
    CommandGrammarFile grammar;
    const auto error = ReadCommandGrammar(
        QByteArray("<grammar><rule name=\"Yes\"><property name=\"ChosenCommand\">"
                   "<property name=\"CommandValue\" val=\" 30 \"/></property>"
                   "<p reading=\"はい\">はい</p></rule></grammar>"),
        grammar);
    ASSERT_FALSE(error) << error->toStdString();
    ASSERT_EQ(grammar.phrases.size(), 1u);
    EXPECT_EQ(grammar.phrases[0].command, 30);
}

TEST(CommandGrammarTest, WeightIsTakenAsItsLogarithmForEveryReadingOfThePhrase) {
    CommandGrammarFile grammar;
    const auto error = ReadCommandGrammar(
        Grammar(Rule(QStringLiteral("Home"), 26,
                     QStringLiteral("<P READING=\"ほーむ;ほうむ\" weight=\" 1e4 \">ホーム</P>"
                                    "<P WEIGHT=\"0.01\">もどる</P><P WEIGHT=\"\">うえ</P>"
                                    "<P>した</P>"))),
        grammar);
    ASSERT_FALSE(error) << error->toStdString();
    std::vector<double> weights;
    for (const auto& phrase : grammar.phrases) weights.push_back(phrase.weight);
    ASSERT_EQ(weights.size(), 5u);
    EXPECT_DOUBLE_EQ(weights[0], 4);
    EXPECT_DOUBLE_EQ(weights[1], 4);
    EXPECT_DOUBLE_EQ(weights[2], -2);
    EXPECT_DOUBLE_EQ(weights[3], 0);
    EXPECT_DOUBLE_EQ(weights[4], 0);
}

// A file saved by a Japanese Windows editor: Shift_JIS as its declaration says. Without the
// declaration the bytes are taken for UTF-8, which they are not.
TEST(CommandGrammarTest, Cp932FileIsReadAsItsDeclarationSays) {
    const QByteArray utf8 = Grammar(Rule(QStringLiteral("Clear"), 4,
                                         QStringLiteral("<P READING=\"しょうきょ\">消去</P>"
                                                        "<P>ストップ</P>")));
    CommandGrammarFile fromUtf8;
    ASSERT_FALSE(ReadCommandGrammar(utf8, fromUtf8));

    QByteArray cp932 = Utf8ToCp932(utf8);
    cp932.replace("encoding=\"UTF-8\"", "encoding=\"Shift_JIS\"");
    CommandGrammarFile fromCp932;
    const auto error = ReadCommandGrammar(cp932, fromCp932);
    ASSERT_FALSE(error) << error->toStdString();
    EXPECT_EQ(Phrases(fromCp932), Phrases(fromUtf8));

    cp932.replace("encoding=\"Shift_JIS\"", "encoding=\"UTF-8\"");
    CommandGrammarFile misread;
    EXPECT_TRUE(ReadCommandGrammar(cp932, misread));
}

TEST(CommandGrammarTest, FaultsRefuseTheWholeFileAndSayWhat) {
    const QString clear = Rule(QStringLiteral("Clear"), 4, QStringLiteral("<P>クリア</P>"));
    struct Case {
        const char* what;
        QByteArray xml;
        QString named;  // the message names this
    };
    const std::vector<Case> cases = {
        {"nothing at all", QByteArray(), QString()},
        {"not closed", Grammar(clear).chopped(3), QStringLiteral("XML")},
        {"mismatched tags", Grammar(clear).replace("</RULE>", "</RUL>"), QStringLiteral("XML")},
        {"no rules", Grammar(QString()), QStringLiteral("規則")},
        {"rules outside a grammar", clear.toUtf8(), QStringLiteral("規則")},
        {"no command number", Grammar(QStringLiteral("<RULE NAME=\"Lonely\"><P>はい</P></RULE>")),
         QStringLiteral("Lonely")},
        {"command number outside chosencommand",
         Grammar(QStringLiteral("<RULE NAME=\"Loose\"><PROPERTY NAME=\"commandvalue\" "
                                "VAL=\"4\"/><P>はい</P></RULE>")),
         QStringLiteral("Loose")},
        {"command number not a number",
         Grammar(Rule(QStringLiteral("Wordy"), 4, QStringLiteral("<P>はい</P>"))
                     .replace(QStringLiteral("VAL=\"4\""), QStringLiteral("VAL=\"four\""))),
         QStringLiteral("Wordy")},
        {"command number zero",
         Grammar(Rule(QStringLiteral("Zero"), 0, QStringLiteral("<P>はい</P>"))),
         QStringLiteral("Zero")},
        {"command number negative",
         Grammar(Rule(QStringLiteral("Negative"), -3, QStringLiteral("<P>はい</P>"))),
         QStringLiteral("Negative")},
        {"rule without phrases", Grammar(Rule(QStringLiteral("Mute"), 5, QString())),
         QStringLiteral("Mute")},
        {"kanji without reading",
         Grammar(clear + Rule(QStringLiteral("Back"), 5, QStringLiteral("<P>戻る</P>"))),
         QStringLiteral("戻る")},
        {"latin letters", Grammar(Rule(QStringLiteral("Help"), 18, QStringLiteral("<P>help</P>"))),
         QStringLiteral("help")},
        {"digits", Grammar(Rule(QStringLiteral("Ten"), 10, QStringLiteral("<P>10</P>"))),
         QStringLiteral("10")},
        {"punctuation only", Grammar(Rule(QStringLiteral("Huh"), 14, QStringLiteral("<P>？</P>"))),
         QStringLiteral("？")},
        {"empty phrase", Grammar(Rule(QStringLiteral("Empty"), 14, QStringLiteral("<P> </P>"))),
         QStringLiteral("「」")},
        {"katakana reading",
         Grammar(
             Rule(QStringLiteral("Clear"), 4, QStringLiteral("<P READING=\"クリア\">消去</P>"))),
         QStringLiteral("消去")},
        {"latin reading",
         Grammar(Rule(QStringLiteral("Clear"), 4,
                      QStringLiteral("<P READING=\"くりあ;clear\">消去</P>"))),
         QStringLiteral("消去")},
        {"reading of separators only",
         Grammar(Rule(QStringLiteral("Clear"), 4, QStringLiteral("<P READING=\";;\">消去</P>"))),
         QStringLiteral("消去")},
        {"reading opening with a long vowel",
         Grammar(
             Rule(QStringLiteral("Home"), 26, QStringLiteral("<P READING=\"ーむ\">ホーム</P>"))),
         QStringLiteral("ホーム")},
        {"reading opening with a small tsu",
         Grammar(Rule(QStringLiteral("Sign"), 26, QStringLiteral("<P READING=\"っぷ\">符</P>"))),
         QStringLiteral("符")},
        {"reading opening with n",
         Grammar(Rule(QStringLiteral("Sound"), 26, QStringLiteral("<P READING=\"んー\">ん</P>"))),
         QStringLiteral("ん")},
        {"weight zero",
         Grammar(Rule(QStringLiteral("Home"), 26, QStringLiteral("<P WEIGHT=\"0\">ほーむ</P>"))),
         QStringLiteral("ほーむ")},
        {"weight negative",
         Grammar(Rule(QStringLiteral("Home"), 26, QStringLiteral("<P WEIGHT=\"-3\">ほーむ</P>"))),
         QStringLiteral("-3")},
        {"weight not a number",
         Grammar(Rule(QStringLiteral("Home"), 26, QStringLiteral("<P WEIGHT=\"much\">ほーむ</P>"))),
         QStringLiteral("much")},
        {"weight infinite",
         Grammar(Rule(QStringLiteral("Home"), 26, QStringLiteral("<P WEIGHT=\"inf\">ほーむ</P>"))),
         QStringLiteral("inf")},
        {"weight beyond a double",
         Grammar(
             Rule(QStringLiteral("Home"), 26, QStringLiteral("<P WEIGHT=\"1e999\">ほーむ</P>"))),
         QStringLiteral("1e999")},
        {"bad phrase after good rules",
         Grammar(clear +
                 Rule(QStringLiteral("Mixed"), 6, QStringLiteral("<P>メニュー</P><P>Menu</P>"))),
         QStringLiteral("Menu")},
    };
    for (const auto& [what, xml, named] : cases) {
        CommandGrammarFile grammar;
        const auto error = ReadCommandGrammar(xml, grammar);
        ASSERT_TRUE(error) << what;
        EXPECT_FALSE(error->isEmpty()) << what;
        EXPECT_TRUE(error->contains(named)) << what << ": " << error->toStdString();
    }
}

// CompileGrammar runs Julius's own tools; the files it leaves are what kazuchan-listen loads.
class CompileGrammarTest : public ::testing::Test {
  protected:
    ScratchFolder folder_;
    QString Prefix(const char* name) const {
        return QString::fromStdString(folder_.path() + "/" + name);
    }
};

TEST_F(CompileGrammarTest, ShippedCommandsBecomeOneDictionaryWordPerReading) {
    CommandGrammarFile grammar;
    ASSERT_FALSE(ReadCommandGrammar(ShippedGrammar(), grammar));
    const auto error = CompileGrammar(listen::CommandGrammar(grammar.phrases), Prefix("command"),
                                      JuliusTools::Installed());
    ASSERT_FALSE(error) << error->toStdString();
    EXPECT_FALSE(ReadAll(folder_.path() + "/command.dfa").isEmpty());

    // "N.I" for command N said as phrase I, each exactly once, with the phrase's weight; the
    // filler carries its own.
    std::map<std::string, int> words;
    std::map<std::string, double> weights;
    int fillers = 0;
    for (const QByteArray& line : ReadAll(folder_.path() + "/command.dict").split('\n')) {
        const QList<QByteArray> fields = line.split('\t');
        if (fields.size() < 3)
            continue;
        if (!fields[1].startsWith('@')) {
            ++words[fields[1].toStdString()];
        } else if (fields[2].toStdString() == listen::kFillerName) {
            ++fillers;
            EXPECT_EQ(fields[1], "@-15") << line.toStdString();
        } else {
            const std::string name = "[" + fields[2].toStdString() + "]";
            ++words[name];
            weights[name] = fields[1].mid(1).toDouble();
        }
    }
    EXPECT_GE(fillers, 1);
    EXPECT_FALSE(weights.empty());
    for (size_t i = 0; i < grammar.phrases.size(); ++i) {
        const std::string name =
            "[" + std::to_string(grammar.phrases[i].command) + "." + std::to_string(i) + "]";
        EXPECT_EQ(words[name], 1) << name;
        EXPECT_NEAR(weights[name], grammar.phrases[i].weight, 1e-4) << name;
    }
}

TEST_F(CompileGrammarTest, CalculationGrammarCompiles) {
    const auto error =
        CompileGrammar(listen::CalcGrammar(), Prefix("calc"), JuliusTools::Installed());
    ASSERT_FALSE(error) << error->toStdString();
    EXPECT_FALSE(ReadAll(folder_.path() + "/calc.dfa").isEmpty());
    EXPECT_FALSE(ReadAll(folder_.path() + "/calc.dict").isEmpty());
}

TEST_F(CompileGrammarTest, MissingToolsOrFolderAreReported) {
    const auto phrases = std::vector<listen::CommandPhrase>{{4, "くりあ"}};
    JuliusTools missing = JuliusTools::Installed();
    missing.binDir = QString::fromStdString(folder_.path() + "/no-tools");
    const auto noTools =
        CompileGrammar(listen::CommandGrammar(phrases), Prefix("command"), missing);
    ASSERT_TRUE(noTools);
    EXPECT_TRUE(noTools->contains(QStringLiteral("yomi2voca.pl"))) << noTools->toStdString();

    const auto noFolder = CompileGrammar(listen::CommandGrammar(phrases),
                                         Prefix("no-folder/command"), JuliusTools::Installed());
    ASSERT_TRUE(noFolder);
    EXPECT_TRUE(noFolder->contains(QStringLiteral("no-folder"))) << noFolder->toStdString();
}

}  // namespace
}  // namespace kazu
