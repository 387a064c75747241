#include "speech/JuliusGrammar.h"

#include <iconv.h>

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QXmlStreamReader>
#include <cmath>
#include <map>
#include <set>

#include "core/InstallLayout.h"

namespace kazu {

namespace {

constexpr int kToolTimeoutMs = 30000;

bool Named(const QXmlStreamReader& xml, const char* name) {
    return xml.name().compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
}

QString Attribute(const QXmlStreamReader& xml, const char* name) {
    for (const auto& attribute : xml.attributes())
        if (attribute.name().compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return attribute.value().toString();
    return {};
}

struct RuleBeingRead {
    QString name;
    int command = 0;
    std::vector<QString> properties;  // the open <PROPERTY> elements, outermost first
    struct Phrase {
        QString text;
        QString readings;
        QString weight;  // as written; empty: 1
    };
    std::vector<Phrase> phrases;
};

// WEIGHT is how much likelier a phrase is taken than one without: a positive number, so that
// a short word can hold its own against the filler that soaks up everything else.
std::optional<double> Log10Weight(const QString& text) {
    if (text.trimmed().isEmpty())
        return 0.0;
    bool ok = false;
    const double weight = text.trimmed().toDouble(&ok);
    if (!ok || !(weight > 0) || !std::isfinite(weight))
        return std::nullopt;
    return std::log10(weight);
}

std::optional<QString> FinishRule(const RuleBeingRead& rule, CommandGrammarFile& grammar) {
    if (rule.command <= 0)
        return QStringLiteral("規則「%1」に chosencommand/commandvalue の番号がありません。")
            .arg(rule.name);
    if (rule.phrases.empty())
        return QStringLiteral("規則「%1」に言葉がありません。").arg(rule.name);
    for (const auto& [text, readings, weightText] : rule.phrases) {
        const auto weight = Log10Weight(weightText);
        if (!weight)
            return QStringLiteral("言葉「%1」の重み (WEIGHT)「%2」は正の数ではありません。")
                .arg(text.trimmed(), weightText);
        std::vector<std::string> list;
        if (readings.trimmed().isEmpty()) {
            if (const auto reading = listen::ReadingOfText(text.trimmed().toStdString()))
                list.push_back(*reading);
        } else {
            for (const QString& reading : readings.split(u';', Qt::SkipEmptyParts))
                list.push_back(reading.trimmed().toStdString());
        }
        bool readable = !list.empty();
        for (const auto& reading : list) readable = readable && listen::IsReadable(reading);
        if (!readable)
            return QStringLiteral(
                       "言葉「%1」が読めません。ひらがなの読み (READING) を付けてください。")
                .arg(text.trimmed());
        for (const auto& reading : list)
            if (listen::MostPhones(reading) > listen::kMaxWordPhones)
                return QStringLiteral(
                           "言葉「%1」の読みが長すぎます。もっと短い読みにしてください。")
                    .arg(text.trimmed());
        for (const auto& reading : list) {
            grammar.phrases.push_back({rule.command, reading, *weight});
            grammar.texts.push_back(text.trimmed());
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<QString> ReadCommandGrammar(const QByteArray& bytes, CommandGrammarFile& grammar) {
    QXmlStreamReader xml(bytes);
    std::optional<RuleBeingRead> rule;
    bool sawGrammar = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            if (Named(xml, "GRAMMAR")) {
                sawGrammar = true;
            } else if (Named(xml, "RULE")) {
                rule.emplace();
                rule->name = Attribute(xml, "NAME");
            } else if (rule && Named(xml, "PROPERTY")) {
                const QString name = Attribute(xml, "NAME").toLower();
                if (name == QLatin1String("commandvalue") && !rule->properties.empty() &&
                    rule->properties.back() == QLatin1String("chosencommand"))
                    rule->command = Attribute(xml, "VAL").trimmed().toInt();
                rule->properties.push_back(name);
            } else if (rule && Named(xml, "P")) {
                const QString readings = Attribute(xml, "READING");
                const QString weight = Attribute(xml, "WEIGHT");
                const QString text = xml.readElementText(QXmlStreamReader::IncludeChildElements);
                rule->phrases.push_back({text, readings, weight});
            }
        } else if (xml.isEndElement() && rule) {
            if (Named(xml, "PROPERTY") && !rule->properties.empty()) {
                rule->properties.pop_back();
            } else if (Named(xml, "RULE")) {
                if (auto error = FinishRule(*rule, grammar))
                    return error;
                rule.reset();
            }
        }
    }
    if (xml.hasError())
        return QStringLiteral("文法ファイルの XML が正しくありません (%1 行目: %2)。")
            .arg(xml.lineNumber())
            .arg(xml.errorString());
    if (!sawGrammar || grammar.phrases.empty())
        return QStringLiteral("文法ファイルに命令の規則がありません。");
    return std::nullopt;
}

QString JuliusFolder() {
    const std::string installed = InstalledLibFolder();
    return installed.empty() ? QStringLiteral(KAZU_JULIUS_DIR)
                             : QString::fromStdString(installed) + QStringLiteral("julius");
}

JuliusTools JuliusTools::Installed() {
    return {JuliusFolder() + QStringLiteral("/bin"), -15.0};
}

namespace {

std::optional<QByteArray> Utf8ToEucJp(const std::string& text) {
    iconv_t converter = iconv_open("EUC-JP", "UTF-8");
    if (converter == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    std::string in = text;
    QByteArray out(static_cast<qsizetype>(in.size() * 2 + 16), '\0');
    char* inPointer = in.data();
    size_t inLeft = in.size();
    char* outPointer = out.data();
    size_t outLeft = static_cast<size_t>(out.size());
    const size_t done = iconv(converter, &inPointer, &inLeft, &outPointer, &outLeft);
    iconv_close(converter);
    if (done == static_cast<size_t>(-1))
        return std::nullopt;
    out.resize(out.size() - static_cast<qsizetype>(outLeft));
    return out;
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Runs a tool with an argument list; its error output on failure.
std::optional<QString> RunTool(QProcess& process, const QString& program,
                               const QStringList& arguments) {
    process.start(program, arguments);
    if (!process.waitForStarted(kToolTimeoutMs) || !process.waitForFinished(kToolTimeoutMs)) {
        process.kill();
        process.waitForFinished();
        return QStringLiteral("%1 を実行できません。")
            .arg(QFileInfo(arguments.value(0)).fileName());
    }
    const QByteArray errors = process.readAllStandardError();
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0 ||
        errors.contains("rror"))
        return QStringLiteral("%1: %2").arg(QFileInfo(arguments.value(0)).fileName(),
                                            QString::fromLocal8Bit(errors).trimmed());
    return std::nullopt;
}

// Words get their weights: "N @P NAME [NAME] phones" is Julius's per-word probability.
bool WeighWords(const QString& dictPath, const std::map<QByteArray, double>& weights) {
    QFile file(dictPath);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QByteArray out;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.isEmpty())
            continue;
        QList<QByteArray> fields = line.split('\t');
        if (fields.size() >= 3 && fields[1].startsWith('[') && fields[1].endsWith(']')) {
            const QByteArray name = fields[1].mid(1, fields[1].size() - 2);
            if (const auto found = weights.find(name); found != weights.end())
                fields.insert(1, "@" + QByteArray::number(found->second) + "\t" + name);
        }
        out += fields.join('\t') + '\n';
    }
    file.close();
    return WriteFile(dictPath, out);
}

}  // namespace

std::optional<QString> CompileGrammar(const listen::GrammarSource& source, const QString& prefix,
                                      const JuliusTools& tools) {
    const auto yomi = Utf8ToEucJp(source.YomiText());
    if (!yomi)
        return QStringLiteral("読みを EUC-JP にできません。");
    if (!WriteFile(prefix + QStringLiteral(".grammar"),
                   QByteArray::fromStdString(source.GrammarText())) ||
        !WriteFile(prefix + QStringLiteral(".yomi"), *yomi))
        return QStringLiteral("文法を書き出せません: %1").arg(prefix);
    QProcess yomi2voca;
    yomi2voca.setStandardInputFile(prefix + QStringLiteral(".yomi"));
    yomi2voca.setStandardOutputFile(prefix + QStringLiteral(".voca"));
    if (auto error = RunTool(yomi2voca, QStringLiteral("perl"),
                             {tools.binDir + QStringLiteral("/yomi2voca.pl")}))
        return error;
    // mkdfa.pl keeps its temporary files in TMP: inside the grammar's own folder.
    QProcess mkdfa;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TMP"), QFileInfo(prefix).absolutePath());
    mkdfa.setProcessEnvironment(environment);
    mkdfa.setWorkingDirectory(QFileInfo(prefix).absolutePath());
    if (auto error = RunTool(mkdfa, QStringLiteral("perl"),
                             {tools.binDir + QStringLiteral("/mkdfa.pl"), prefix}))
        return error;
    std::map<QByteArray, double> weights = {
        {QByteArray(listen::kFillerName.data(), listen::kFillerName.size()), tools.fillerPenalty}};
    for (const auto& word : source.words)
        if (word.weight != 0)
            weights[QByteArray::fromStdString(word.name)] = word.weight;
    if (!QFileInfo::exists(prefix + QStringLiteral(".dfa")) ||
        !WeighWords(prefix + QStringLiteral(".dict"), weights))
        return QStringLiteral("文法を作れません: %1").arg(prefix);
    return std::nullopt;
}

}  // namespace kazu
