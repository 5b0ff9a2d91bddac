#pragma once
#include <string>
#include <string_view>

namespace tavlin {

class THtmlReader;

// Writes the token stream of the reader's source (set up, first character not yet read), one
// token a line, up to the end of the source: the source position of the token's first character, the symbol
// name, the heading level of H and /H, the attributes with their text and number, and the token's text with
// control characters escaped. An exception that stops the reader ends the dump with a line
// "! message".
void DumpTokens(THtmlReader& reader, std::string& out);

// The bytes with backslash, double quote and control characters escaped (\r, \n, \t, \xNN).
std::string EscapeForDump(std::string_view bytes);

} // namespace tavlin
