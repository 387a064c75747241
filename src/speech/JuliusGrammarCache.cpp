#include "speech/JuliusGrammarCache.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>

namespace kazu {
namespace {

// Raised whenever what the entries hold or how they are laid out changes.
constexpr char kMagic[] = "kazuchan grammar 1";
constexpr const char* kToolFiles[] = {"yomi2voca.pl", "mkdfa.pl", "mkfa", "dfa_minimize"};

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray Sha256(const QByteArray& bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

}  // namespace

// "MAGIC dfa N dict M sha256 HEX\n" and then the two files, back to back.
QByteArray GrammarEntry(const CompiledGrammar& grammar) {
    const QByteArray payload = grammar.dfa + grammar.dict;
    return QByteArray(kMagic) + " dfa " + QByteArray::number(grammar.dfa.size()) + " dict " +
           QByteArray::number(grammar.dict.size()) + " sha256 " + Sha256(payload) + '\n' + payload;
}

std::optional<CompiledGrammar> ReadGrammarEntry(const QByteArray& entry) {
    const qsizetype end = entry.indexOf('\n');
    if (end < 0) {
        return std::nullopt;
    }
    const QList<QByteArray> fields = entry.left(end).split(' ');
    const QList<QByteArray> magic = QByteArray(kMagic).split(' ');
    const qsizetype at = magic.size();
    if (fields.size() != at + 6 || fields.mid(0, at) != magic || fields[at] != "dfa" ||
        fields[at + 2] != "dict" || fields[at + 4] != "sha256") {
        return std::nullopt;
    }
    bool dfaOk = false, dictOk = false;
    const qsizetype dfaSize = fields[at + 1].toLongLong(&dfaOk);
    const qsizetype dictSize = fields[at + 3].toLongLong(&dictOk);
    const QByteArray payload = entry.mid(end + 1);
    if (!dfaOk || !dictOk || dfaSize <= 0 || dictSize <= 0 ||
        payload.size() != dfaSize + dictSize || Sha256(payload) != fields[at + 5]) {
        return std::nullopt;
    }
    return CompiledGrammar{payload.left(dfaSize), payload.mid(dfaSize)};
}

QString GrammarCache::EntryPath(const listen::GrammarSource& source,
                                const JuliusTools& tools) const {
    QCryptographicHash key(QCryptographicHash::Sha256);
    key.addData(kMagic);
    key.addData(QByteArray::fromStdString(source.GrammarText()) + '\0');
    key.addData(QByteArray::fromStdString(source.YomiText()) + '\0');
    for (const auto& word : source.words) {
        key.addData(QByteArray::fromStdString(word.name) + '=' + QByteArray::number(word.weight) +
                    '\0');
    }
    key.addData(QByteArray::number(tools.fillerPenalty) + '\0');
    for (const char* tool : kToolFiles) {
        key.addData(Sha256(ReadAll(tools.binDir + QLatin1Char('/') + QLatin1String(tool))));
    }
    return folder_ + QLatin1Char('/') + QString::fromLatin1(key.result().toHex()) +
           QStringLiteral(".grammar");
}

GrammarCache::Outcome GrammarCache::Compile(const listen::GrammarSource& source,
                                            const QString& prefix, const JuliusTools& tools) const {
    const QString dfaPath = prefix + QStringLiteral(".dfa");
    const QString dictPath = prefix + QStringLiteral(".dict");
    if (folder_.isEmpty()) {
        return {CompileGrammar(source, prefix, tools), false};
    }
    const QString path = EntryPath(source, tools);
    if (QFile::exists(path)) {
        if (const auto files = ReadGrammarEntry(ReadAll(path))) {
            if (WriteAll(dfaPath, files->dfa) && WriteAll(dictPath, files->dict)) {
                return {std::nullopt, true};
            }
            return {QStringLiteral("文法を書き出せません: %1").arg(prefix), false};
        }
        QFile::remove(path);  // damaged: made again below
    }
    if (auto error = CompileGrammar(source, prefix, tools)) {
        return {error, false};
    }
    // Storing is a saving, not a need: a cache that cannot be written only costs time.
    QSaveFile entry(path);
    if (QDir().mkpath(folder_) && entry.open(QIODevice::WriteOnly)) {
        entry.write(GrammarEntry({ReadAll(dfaPath), ReadAll(dictPath)}));
        entry.commit();
    }
    return {std::nullopt, false};
}

QString UserGrammarCacheFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/kazuchan/grammars");
}

}  // namespace kazu
