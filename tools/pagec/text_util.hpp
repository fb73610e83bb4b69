// Text helpers the page compiler's files share: UTF-8 decoding, the code
// page 437 conversion of page text, and line and number parsing.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace korveld::pagec {

// Decodes one UTF-8 sequence at s[i]; advances i. Returns false on bad input
// (including overlong forms, so every character has exactly one spelling).
bool DecodeUtf8(std::string_view s, std::size_t& i, char32_t& cp);
// Converts one Unicode character of page text to its code page 437 byte; on
// failure returns false with the reason.
bool ToCp437(char32_t cp, unsigned char& out, std::string& error);
// The value of a hex digit, -1 for any other character.
int HexDigit(char c);
std::string_view TrimRight(std::string_view s);
std::string_view Trim(std::string_view s);
// The whole of s as a decimal number.
bool ParseInt(std::string_view s, int& value);
// Appends s as a C++ string literal (bytes outside printable ASCII as octal
// escapes).
void AppendCppString(std::string& out, std::string_view s);
// Lines without their "\n" or "\r\n".
std::vector<std::string_view> SplitLines(std::string_view text);

}  // namespace korveld::pagec
