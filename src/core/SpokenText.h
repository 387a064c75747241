// Dictated Japanese text turned into the calculator's expression alphabet, and the check of a
// spoken expression before it is fed to the calculator.
#pragma once

#include <string>

namespace kazu {

// The characters a spoken expression may keep: "0123456789=+-*/.&RT".
inline constexpr const char* kExpressionAlphabet = "0123456789=+-*/.&RT";

// Every occurrence, left to right; the replacement is not searched again.
std::string ReplaceAll(std::string text, const std::string& from, const std::string& to);
// Replaces ".." by "." until none is left.
std::string CollapsePoints(std::string text);

// One recognised text to expression characters; division comes out as "÷".
std::string NormaliseSpokenText(const std::string& text);
// Drops every "=" and everything outside the alphabet; "÷" becomes "/".
std::string KeepExpressionAlphabet(const std::string& text);
// 0 for "number operator number", a negative code for what is wrong first.
int CheckSpokenExpression(const std::string& text);
// The digits and words a collected expression may still hold, made into its symbols.
std::string SpokenDigitsToSymbols(const std::string& text);

}  // namespace kazu
