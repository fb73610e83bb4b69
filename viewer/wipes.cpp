#include "viewer/wipes.hpp"

#include "viewer/scroll.hpp"

namespace korveld::viewer {
namespace {

// The wipes blank rows 192 .. TextBottom of the text area, columns 20..767.
constexpr int kWipeTop = kTextTop - 1;
constexpr int kWipeLeft = 20;
constexpr int kWipeRight = 767;
constexpr int kWipeStride = 10;
constexpr int kOpenFirstReach = 747;  // the whole width: 20 + 747 = 767

}  // namespace

int WipeCloseReach(int step) { return kWipeStride * step; }
int WipeOpenReach(int step) { return kOpenFirstReach - kWipeStride * step; }

void BlankWipeColumns(render::ScreenBuffer& frame, int skin, int reach) {
  const int bottom = TextBottom(skin);
  for (int y = kWipeTop; y <= bottom; ++y) {
    std::uint32_t* row = frame.row(y);
    for (int k = 0; k <= reach && kWipeLeft + k <= kWipeRight; k += 2) {
      row[kWipeLeft + k] = 0;
      row[kWipeRight - k] = 0;
    }
  }
}

void MarkWipeRows(render::RowMarks& marks, int skin) { marks.mark(kWipeTop, TextBottom(skin)); }

}  // namespace korveld::viewer
