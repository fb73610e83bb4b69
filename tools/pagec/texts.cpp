#include "tools/pagec/texts.hpp"

#include <algorithm>

#include "tools/pagec/text_util.hpp"

namespace korveld::pagec {
namespace {

constexpr char kPauseMarker = 'a';

// One line of the source: its first word and the text after it.
struct Item {
  int line = 0;
  std::string_view word, arg;
};

std::vector<Item> Items(std::string_view source) {
  std::vector<Item> items;
  const auto lines = SplitLines(source);
  for (std::size_t n = 0; n < lines.size(); ++n) {
    const std::string_view raw = TrimRight(lines[n]);
    if (raw.empty() || raw[0] == '%') continue;
    const std::size_t sp = raw.find(' ');
    items.push_back({static_cast<int>(n) + 1, raw.substr(0, sp),
                     sp == std::string_view::npos ? std::string_view{} : raw.substr(sp + 1)});
  }
  return items;
}

// The text of one markup item, facts filled in.
bool Markup(std::string_view file, const Item& item, std::string_view markup, const Facts& facts, std::string& out,
            Diagnostics& diags) {
  CompiledLine line;
  std::string error;
  if (!CompileMarkup(markup, {}, line, error, &facts)) {
    diags.error(file, item.line, error);
    return false;
  }
  out = line.text;
  return true;
}

// The scroller shows capitals; a lowercase "a" would pause it.
bool ScrollerText(std::string_view file, const Item& item, const std::string& text, Diagnostics& diags) {
  if (std::any_of(text.begin(), text.end(), [](char c) { return c >= 'a' && c <= 'z'; })) {
    diags.error(file, item.line, "lowercase letters in the scroller (\"a\" pauses it): write capitals, {=key:upper}");
    return false;
  }
  return true;
}

bool Paused(std::string_view file, const Item& item, const std::string& text, std::string& scroll,
            Diagnostics& diags) {
  if (text.size() > static_cast<std::size_t>(kPausedWindow)) {
    diags.error(file, item.line, "\"" + text + "\" is longer than the " + std::to_string(kPausedWindow) +
                                     " characters a pause shows");
    return false;
  }
  const std::size_t pad = kPausedWindow - text.size();
  scroll += kPauseMarker + std::string(pad / 2, ' ') + text + std::string(pad - pad / 2, ' ');
  return true;
}

// Spaces and joined text lines, the items the intro and the ticker share.
bool Running(std::string_view file, const Item& item, const Facts& facts, std::string& out, bool& afterText,
             Diagnostics& diags) {
  if (item.word == "spaces") {
    int n = 0;
    if (!ParseInt(item.arg, n) || n < 1) {
      diags.error(file, item.line, "spaces needs a count");
      return false;
    }
    out.append(static_cast<std::size_t>(n), ' ');
    afterText = false;
    return true;
  }
  std::string text;
  if (!Markup(file, item, item.arg, facts, text, diags)) return false;
  if (afterText) out += ' ';
  out += text;
  afterText = true;
  return true;
}

}  // namespace

bool CompileIntroTexts(std::string_view file, std::string_view source, const Facts& facts, IntroTexts& out,
                       Diagnostics& diags) {
  const int errorsBefore = diags.errorCount();
  out = IntroTexts{};
  bool afterText = false;
  int lastLine = 1;
  for (const Item& item : Items(source)) {
    lastLine = item.line;
    std::string text;
    if (item.word == "title") {
      if (!Markup(file, item, item.arg, facts, text, diags)) continue;
      if (static_cast<int>(out.titles.size()) == kTitleLines) {
        diags.error(file, item.line, "the intro has " + std::to_string(kTitleLines) + " title lines");
      } else if (text.size() > static_cast<std::size_t>(kTitleWidth)) {
        diags.error(file, item.line, "a title line holds " + std::to_string(kTitleWidth) + " characters");
      } else {
        out.titles.push_back(text);
      }
      continue;
    }
    if (item.word == "spaces" || item.word == "text") {
      const std::size_t before = out.scroll.size();
      if (Running(file, item, facts, out.scroll, afterText, diags)) {
        ScrollerText(file, item, out.scroll.substr(before), diags);
      }
      continue;
    }
    afterText = false;
    if (item.word == "pause") {
      if (Markup(file, item, item.arg, facts, text, diags) && ScrollerText(file, item, text, diags)) {
        Paused(file, item, text, out.scroll, diags);
      }
    } else if (item.word == "music" && item.arg.empty()) {
      std::vector<std::string> seen;
      for (int n = 1;; ++n) {
        const auto it = facts.find("tune." + std::to_string(n) + ".composer");
        if (it == facts.end()) break;
        std::string name;
        FilterFact("upper", it->second.value, name, text);
        if (std::find(seen.begin(), seen.end(), name) != seen.end()) continue;
        seen.push_back(name);
        Paused(file, item, name + " - MUSIC", out.scroll, diags);
      }
      if (seen.empty()) diags.error(file, item.line, "music: the tune sources give no composers");
    } else {
      diags.error(file, item.line, "unknown item \"" + std::string(item.word) + "\" (title, spaces, text, pause, music)");
    }
  }
  if (static_cast<int>(out.titles.size()) != kTitleLines && diags.errorCount() == errorsBefore) {
    diags.error(file, lastLine, "the intro has " + std::to_string(kTitleLines) + " title lines, not " +
                                    std::to_string(out.titles.size()));
  }
  return diags.errorCount() == errorsBefore;
}

bool CompileTickerTexts(std::string_view file, std::string_view source, const Facts& facts,
                        std::vector<std::string>& out, Diagnostics& diags) {
  const int errorsBefore = diags.errorCount();
  out.clear();
  std::string help;
  bool afterText = false;
  const Item* credit = nullptr;
  const std::vector<Item> items = Items(source);
  for (const Item& item : items) {
    if (item.word == "credit" && credit == nullptr) {
      credit = &item;
    } else if ((item.word == "spaces" || item.word == "text") && credit == nullptr) {
      Running(file, item, facts, help, afterText, diags);
    } else {
      diags.error(file, item.line, "the ticker is spaces and text lines, then one credit line");
    }
  }
  if (credit == nullptr) {
    diags.error(file, items.empty() ? 1 : items.back().line, "the ticker has no credit line");
    return false;
  }
  for (int n = 1; facts.count("module." + std::to_string(n) + ".title"); ++n) {
    std::string markup(credit->arg);
    for (std::size_t at = 0; (at = markup.find(".N.", at)) != std::string::npos;) {
      markup.replace(at, 3, "." + std::to_string(n) + ".");
    }
    std::string text;
    if (Markup(file, *credit, markup, facts, text, diags)) out.push_back(help + text);
  }
  if (out.empty() && diags.errorCount() == errorsBefore) diags.error(file, credit->line, "no module credits");
  out.push_back(help);
  return diags.errorCount() == errorsBefore;
}

std::string EmitTextsCpp(const IntroTexts& intro, const std::vector<std::string>& ticker) {
  std::string out = "// Generated by korveld-textc from content/texts: do not edit.\n";
  out += "#include \"content/texts/texts.hpp\"\n\nnamespace korveld::content {\nnamespace {\n\n";
  out += "constexpr std::string_view kScroll = ";
  AppendCppString(out, intro.scroll);
  out += ";\n\nconstexpr std::string_view kTitles[] = {\n    \"\",\n";
  for (const std::string& t : intro.titles) {
    out += "    ";
    AppendCppString(out, t);
    out += ",\n";
  }
  out += "};\n\nconstexpr std::string_view kTicker[] = {\n    \"\",\n";
  for (const std::string& t : ticker) {
    out += "    ";
    AppendCppString(out, t);
    out += ",\n";
  }
  out += "};\n\n}  // namespace\n\n";
  out += "std::string_view IntroScrollText() { return kScroll; }\n\n";
  out += "std::string_view IntroTitleLine(int n) {\n  return n >= 1 && n < static_cast<int>(std::size(kTitles)) ? "
         "kTitles[n] : std::string_view{};\n}\n\n";
  out += "int TickerTextCount() { return static_cast<int>(std::size(kTicker)) - 1; }\n\n";
  out += "std::string_view TickerText(int n) {\n  return n >= 1 && n <= TickerTextCount() ? kTicker[n] : "
         "std::string_view{};\n}\n\n";
  out += "}  // namespace korveld::content\n";
  return out;
}

}  // namespace korveld::pagec
