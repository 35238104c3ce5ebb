// Small 8-bit text helpers shared by the trace data code.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace fl {

// printf into a std::string; the formats are the instrument's and the reports' own.
std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

std::string ToUpperAscii(std::string_view s);
std::string ToLowerAscii(std::string_view s);
void ReplaceAll(std::string& s, char from, char to);
bool EndsWithNoCase(std::string_view s, std::string_view suffix);

// Leading number of a text the way the C library reads it: blanks skipped, then an optional sign and
// digits; 0 when there is none. Integers saturate instead of overflowing.
int LeadingInt(std::string_view s);
double LeadingReal(std::string_view s);
// A value field whose number is none: "inf", "nan" (any case, signed) or a number beyond a double.
// Readers that keep value texts as they stand give such a field the field's default instead.
bool IsNoNumberText(std::string_view s);

// A real as an int without undefined behaviour: NaN gives 0, values beyond the range saturate.
int ClampToInt(double v);

// Hexadecimal digits read as far as they go ("7d0" is 2000, "7g0" is 7); at most the whole text.
int HexPrefixValue(std::string_view s);

// Windows-1252 bytes to UTF-8, for output that leaves the program as Unicode.
std::string Cp1252ToUtf8(std::string_view s);
// Upper case of Windows-1252 text, its accented letters too (ä -> Ä, é -> É, š -> Š), as the home platform
// has it.
std::string ToUpperCp1252(std::string_view s);
// One character to its Windows-1252 byte; nothing when the code page lacks it.
std::optional<char> UnicodeToCp1252(char32_t codePoint);
// UTF-8 to Windows-1252; nothing for a text that is not UTF-8 or holds a character the code page lacks.
std::optional<std::string> Utf8ToCp1252(std::string_view s);
// A PC file name (UTF-8) as instrument text: what the code page lacks becomes "?"; bytes that are no
// UTF-8 are kept as they are.
std::string PathTextToCp1252(std::string_view s);
// A UTF-8 file name upper-cased by the instrument's rule (ä -> Ä); other characters stay as they are.
std::string UpperCaseUtf8Name(std::string_view s);

}  // namespace fl
