// Compiled grammars kept between runs: compiling with perl and mkfa takes seconds, looking up a
// finished one a few milliseconds. An entry is keyed by everything that goes into it (the
// grammar's text and readings, the word weights, the filler penalty and the tools themselves),
// so a changed grammar file or a new Julius never meets an old entry.
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

#include "speech/JuliusGrammar.h"

namespace kazu {

class GrammarCache {
  public:
    // `folder` holds the entries; it is made when the first one is stored. Empty: no cache,
    // every grammar is compiled.
    explicit GrammarCache(QString folder) : folder_(std::move(folder)) {}

    struct Outcome {
        std::optional<QString> error;
        bool fromCache = false;
    };
    // PREFIX.dfa and PREFIX.dict for `source`: copied from an intact entry, else compiled and
    // stored. An entry that fails its check (cut short, changed, unreadable) is compiled again.
    Outcome Compile(const listen::GrammarSource& source, const QString& prefix,
                    const JuliusTools& tools) const;

    // The file an entry for `source` lives in.
    QString EntryPath(const listen::GrammarSource& source, const JuliusTools& tools) const;

  private:
    QString folder_;
};

// An entry: a header with the sizes of the two files and a checksum of both, then the files.
struct CompiledGrammar {
    QByteArray dfa;
    QByteArray dict;
};
QByteArray GrammarEntry(const CompiledGrammar& grammar);
// Nothing unless the entry is whole and unchanged.
std::optional<CompiledGrammar> ReadGrammarEntry(const QByteArray& entry);

// The cache folder of the user: XDG_CACHE_HOME (or ~/.cache) + "/kazuchan/grammars".
QString UserGrammarCacheFolder();

}  // namespace kazu
