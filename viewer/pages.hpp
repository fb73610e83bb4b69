// The pages and the page view the frame loop draws from.
#pragma once

namespace korveld::viewer {

struct Program;

// Filled in by the text work: the compact store of all twenty pages.
struct PageStore {};

// Filled in by the text work: the cell grid of the current page.
struct PageView {};

void FillPageStore(PageStore& store);
void LoadPage(Program& p, int page);

}  // namespace korveld::viewer
