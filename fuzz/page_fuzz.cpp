// Fuzz target: any bytes as page markup: a whole page source, a page table
// and a single markup line.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "tools/pagec/page_compiler.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace korveld::pagec;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  {
    CompiledPage page;
    Diagnostics diags;
    CompilePage("fuzz.txt", text, page, diags);
  }
  {
    PageTable table;
    Diagnostics diags;
    ParseTable("pages.txt", text, table, diags);
  }
  CompiledLine line;
  std::string error;
  CompileMarkup(text.substr(0, text.find('\n')), LineDefaults{}, line, error);
  return 0;
}
