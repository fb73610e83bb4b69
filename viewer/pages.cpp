#include "viewer/program.hpp"

namespace korveld::viewer {

void FillPageStore(PageStore&) {}
void LoadPage(Program& p, int) {
  p.view.LineCount = 1;
  p.view.TopLine = 0;
  p.view.ScrollOffset = 0;
}

}  // namespace korveld::viewer
