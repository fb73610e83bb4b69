// One line of page markup: text, colour and face codes, fills, raw bytes and
// quoted facts, turned into the text and code strings the program embeds.
#include <algorithm>

#include "tools/pagec/page_compiler.hpp"
#include "tools/pagec/text_util.hpp"

namespace korveld::pagec {
namespace {

constexpr std::string_view kColourCodes = "123456789ABCDEFGHIJKLMNOPQRSTUV";

}  // namespace

bool IsColourCode(char c) { return c != '\0' && kColourCodes.find(c) != std::string_view::npos; }

CompiledLine EndLine() {
  CompiledLine end;
  end.text = std::string(kEndMarker);
  end.colour.assign(kCodeLength, '1');
  end.style.assign(kCodeLength, '1');
  end.glow = '0';
  return end;
}

bool CompileMarkup(std::string_view markup, LineDefaults defaults, CompiledLine& out,
                   std::string& error, const Facts* facts) {
  out.text.clear();
  out.colour.clear();
  out.style.clear();
  out.quoted.clear();
  char colour = defaults.colour;
  char face = defaults.face;
  auto put = [&](unsigned char byte) {
    out.text.push_back(static_cast<char>(byte));
    out.colour.push_back(colour);
    out.style.push_back(face);
  };
  std::size_t i = 0;
  while (i < markup.size()) {
    const std::size_t at = i;
    auto fail = [&](std::string message) {
      error = "column " + std::to_string(at + 1) + " of the source: " + message;
      return false;
    };
    if (markup[i] == '{') {
      const std::size_t close = markup.find('}', i + 1);
      if (i + 1 < markup.size() && markup[i + 1] == '{') {
        put('{');
        i += 2;
        continue;
      }
      if (close == std::string_view::npos) return fail("\"{\" without \"}\" (write \"{{\" for a brace)");
      const std::string_view code = markup.substr(i + 1, close - i - 1);
      i = close + 1;
      if (code.empty()) continue;
      if (code.size() == 1 && IsColourCode(code[0])) {
        colour = code[0];
      } else if (code == "b") {
        face = '1';
      } else if (code == "l") {
        face = '2';
      } else if (code.size() == 3 && code[0] == 'x' && HexDigit(code[1]) >= 0 && HexDigit(code[2]) >= 0) {
        const int byte = HexDigit(code[1]) * 16 + HexDigit(code[2]);
        if (byte == 0) return fail("byte {x00} cannot be stored");
        put(static_cast<unsigned char>(byte));
      } else if (code[0] == '>') {
        std::size_t digits = 1;
        while (digits < code.size() && code[digits] >= '0' && code[digits] <= '9') ++digits;
        int column = 0;
        if (!ParseInt(code.substr(1, digits - 1), column)) {
          return fail("fill code {" + std::string(code) + "} needs a column number");
        }
        std::string_view fillSpec = code.substr(digits);
        unsigned char fill = ' ';
        if (!fillSpec.empty()) {
          std::size_t k = 0;
          char32_t cp = 0;
          if (!DecodeUtf8(fillSpec, k, cp) || k != fillSpec.size()) {
            return fail("fill code {" + std::string(code) + "} takes one fill character");
          }
          std::string why;
          if (!ToCp437(cp, fill, why)) return fail(why);
        }
        // Checked before filling: a column in the millions would otherwise
        // build a line of that length before the length check refuses it.
        if (column > kMaxTextLength + 1) {
          return fail("fill to column " + std::to_string(column) + " but a line holds at most " +
                      std::to_string(kMaxTextLength) + " characters");
        }
        const int next = static_cast<int>(out.text.size()) + 1;
        if (column < next) {
          return fail("fill to column " + std::to_string(column) + " but the text already reaches column " +
                      std::to_string(next - 1));
        }
        while (static_cast<int>(out.text.size()) + 1 < column) put(fill);
      } else if (code[0] == '=' || code[0] == '?') {
        const bool silent = code[0] == '?';
        const std::string_view body = code.substr(1);
        const std::size_t eq = body.find('=');
        const std::string_view quote = body.substr(0, eq);
        const std::size_t colon = quote.find(':');
        const std::string_view key = quote.substr(0, colon);
        const auto it = facts ? facts->find(key) : Facts::const_iterator{};
        if (facts == nullptr || it == facts->end()) {
          return fail("no fact \"" + std::string(key) + "\": the sources of the issue's facts do not give it");
        }
        const Fact& fact = it->second;
        std::string value = fact.value;
        // Filters apply left to right: {=top.groups:words:upper} is "THIRTY".
        for (std::size_t at = colon; at != std::string_view::npos;) {
          const std::size_t next = quote.find(':', at + 1);
          const std::string_view filter = quote.substr(at + 1, next == std::string_view::npos ? next : next - at - 1);
          std::string why, filtered;
          if (!FilterFact(filter, value, filtered, why)) {
            return fail(std::string(key) + " = \"" + value + "\": " + why);
          }
          value = filtered;
          at = next;
        }
        if (silent && eq == std::string_view::npos) return fail("{?" + std::string(quote) + "} checks a text: {?key=text}");
        if (eq != std::string_view::npos && body.substr(eq + 1) != value) {
          return fail("\"" + std::string(body.substr(eq + 1)) + "\" disagrees with " + fact.source + ", which gives " +
                      std::string(quote) + " = \"" + value + "\"");
        }
        out.quoted.emplace_back(key);
        if (silent) continue;
        for (std::size_t k = 0; k < value.size();) {
          char32_t cp = 0;
          unsigned char byte = 0;
          std::string why;
          if (!DecodeUtf8(value, k, cp) || !ToCp437(cp, byte, why)) {
            return fail("fact " + std::string(key) + " cannot be written in code page 437");
          }
          put(byte);
        }
      } else if (code.size() == 1) {
        return fail("unknown colour or face code {" + std::string(code) +
                    "} (colours 1..9 and A..V, faces b and l)");
      } else {
        return fail("unknown code {" + std::string(code) + "}");
      }
      continue;
    }
    char32_t cp = 0;
    if (!DecodeUtf8(markup, i, cp)) return fail("invalid UTF-8");
    unsigned char byte = 0;
    std::string why;
    if (!ToCp437(cp, byte, why)) return fail(why);
    put(byte);
  }
  if (out.text.size() > static_cast<std::size_t>(kMaxTextLength)) {
    error = "text is " + std::to_string(out.text.size()) + " characters long; a line holds at most " +
            std::to_string(kMaxTextLength);
    return false;
  }
  // Codes of the 81st character are not stored; cells past the text are "1".
  out.colour.resize(std::min<std::size_t>(out.colour.size(), kCodeLength));
  out.style.resize(std::min<std::size_t>(out.style.size(), kCodeLength));
  out.colour.resize(kCodeLength, '1');
  out.style.resize(kCodeLength, '1');
  return true;
}

}  // namespace korveld::pagec
