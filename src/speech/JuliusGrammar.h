// Grammars for Julius: the command grammar file (XML) read into phrases, and any grammar source
// compiled with Julius's own tools (yomi2voca.pl, mkdfa.pl) into PREFIX.dfa and PREFIX.dict.
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

#include "speech/listen/SpokenGrammar.h"

namespace kazu {

struct CommandGrammarFile {
    std::vector<listen::CommandPhrase> phrases;
    std::vector<QString> texts;  // the written phrase of each entry of `phrases`
};

// The XML command grammar: <GRAMMAR> with <RULE>s, each carrying
// <PROPERTY NAME="chosencommand"><PROPERTY NAME="commandvalue" VAL="N"/></PROPERTY> and its
// phrases <P READING="よみ;よみ" WEIGHT="w">text</P>. A phrase without a reading is read from its
// kana; WEIGHT (default 1) makes it w times as likely as others.
// Any fault refuses the whole file; the error names it (and the phrase, when one is unreadable).
std::optional<QString> ReadCommandGrammar(const QByteArray& xml, CommandGrammarFile& grammar);

// Julius's tools and acoustic models: those installed with the program, or for a program run
// from its build folder those scripts/setup-julius built.
QString JuliusFolder();

struct JuliusTools {
    QString binDir;        // mkdfa.pl, mkfa, dfa_minimize, yomi2voca.pl
    double fillerPenalty;  // log10 weight of each filler syllable: keeps it for non-words only
    static JuliusTools Installed();
};

// Writes PREFIX.grammar, PREFIX.voca, PREFIX.dfa and PREFIX.dict; an error text on failure.
std::optional<QString> CompileGrammar(const listen::GrammarSource& source, const QString& prefix,
                                      const JuliusTools& tools);

}  // namespace kazu
