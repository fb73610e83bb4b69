// korveld-fontgen: draws the 9 x 12 code page 437 font sheet. Letters, digits
// and signs are rasterised from the DejaVu Sans Mono faces with FreeType and
// quantised onto the sheet's grey palette; the shade, block and box-drawing
// pieces are built by hand so that they join seamlessly from cell to cell.
// The result is an indexed PNG, the editable picture the build embeds.
//
//   korveld-fontgen OUT.png [--bold FONT.ttf] [--light FONT.ttf] [--preview PREVIEW.png]
#include <ft2build.h>
#include FT_FREETYPE_H
#include <png.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tools/fontgen/font_layout.hpp"

namespace {

using namespace korveld::fontgen;

constexpr const char* kDefaultBold = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf";
constexpr const char* kDefaultLight = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf";

// Unicode for code page 437 codes 128..255.
constexpr std::array<std::uint32_t, 128> kUpper437 = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE,
    0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, 0x00FF, 0x00D6,
    0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA,
    0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB, 0x2591, 0x2592, 0x2593, 0x2502,
    0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, 0x2514,
    0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550,
    0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C,
    0x2588, 0x2584, 0x258C, 0x2590, 0x2580, 0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320,
    0x2321, 0x00F7, 0x2248, 0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,
};

// Box-drawing arms of codes 179..218: up, down, left, right; 0 none,
// 1 single line, 2 double line.
struct Arms {
  int up, down, left, right;
};
constexpr std::array<Arms, 40> kBoxArms = {{
    {1, 1, 0, 0}, {1, 1, 1, 0}, {1, 1, 2, 0}, {2, 2, 1, 0}, {0, 2, 1, 0}, {0, 1, 2, 0}, {2, 2, 2, 0},
    {2, 2, 0, 0}, {0, 2, 2, 0}, {2, 0, 2, 0}, {2, 0, 1, 0}, {1, 0, 2, 0}, {0, 1, 1, 0}, {1, 0, 0, 1},
    {1, 0, 1, 1}, {0, 1, 1, 1}, {1, 1, 0, 1}, {0, 0, 1, 1}, {1, 1, 1, 1}, {1, 1, 0, 2}, {2, 2, 0, 1},
    {2, 0, 0, 2}, {0, 2, 0, 2}, {2, 0, 2, 2}, {0, 2, 2, 2}, {2, 2, 0, 2}, {0, 0, 2, 2}, {2, 2, 2, 2},
    {1, 0, 2, 2}, {2, 0, 1, 1}, {0, 1, 2, 2}, {0, 2, 1, 1}, {2, 0, 0, 1}, {1, 0, 0, 2}, {0, 1, 0, 2},
    {0, 2, 0, 1}, {2, 2, 1, 1}, {1, 1, 2, 2}, {1, 0, 1, 0}, {0, 1, 0, 1},
}};

// Palette indices by brightness, for quantising anti-aliased coverage. The
// magenta (2) and the olive (7) are left out: strokes stay neutral grey.
struct Level {
  int value;
  std::uint8_t index;
};
constexpr std::array<Level, 9> kLevels = {{
    {0, 0}, {29, 8}, {67, 4}, {83, 11}, {131, 1}, {189, 5}, {195, 3}, {211, 10}, {253, 6}
}};

std::uint8_t Quantise(int coverage) {
  std::uint8_t best = 0;
  int bestDistance = 1 << 20;
  for (const Level& l : kLevels) {
    const int d = std::abs(l.value - coverage);
    if (d < bestDistance) {
      bestDistance = d;
      best = l.index;
    }
  }
  return best;
}

using Cell = std::array<std::array<std::uint8_t, kCellWidth>, kCellHeight>;

struct FaceStyle {
  const char* path;
  int pixelWidth;   // horizontal em size in pixels
  int pixelHeight;  // vertical em size in pixels
  int baseline;     // cell row the glyphs stand on
  double gamma;     // applied to coverage: below 1 thickens, above 1 thins
  std::uint8_t lineIndex;  // colour of the hand-built line pieces
};

// --- hand-built pieces ------------------------------------------------------

constexpr int kCx = 4;  // centre column of line pieces
constexpr int kCy = 5;  // centre row of line pieces

void Set(Cell& cell, int x, int y, std::uint8_t v) {
  if (x >= 0 && x < kCellWidth && y >= 0 && y < kCellHeight) cell[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] = v;
}

// Double arms are three-pixel strips with their centre line taken out; a
// strip reaches across the centre when it meets another double arm at a right
// angle, so corners and junctions close. Single arms are drawn last, reaching
// the near double line of a straight double run or the far line of a double
// corner.
Cell BoxPiece(const Arms& a, std::uint8_t v) {
  std::array<std::array<bool, kCellWidth>, kCellHeight> on{};
  auto mark = [&](int x, int y, bool value) {
    if (x >= 0 && x < kCellWidth && y >= 0 && y < kCellHeight) on[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] = value;
  };
  const bool vDouble = a.up == 2 || a.down == 2;
  const bool hDouble = a.left == 2 || a.right == 2;
  // Double strips.
  if (a.left == 2) {
    const int end = vDouble ? kCx + 1 : kCx;
    for (int x = 0; x <= end; ++x) for (int y = kCy - 1; y <= kCy + 1; ++y) mark(x, y, true);
  }
  if (a.right == 2) {
    const int start = vDouble ? kCx - 1 : kCx;
    for (int x = start; x < kCellWidth; ++x) for (int y = kCy - 1; y <= kCy + 1; ++y) mark(x, y, true);
  }
  if (a.up == 2) {
    const int end = hDouble ? kCy + 1 : kCy;
    for (int y = 0; y <= end; ++y) for (int x = kCx - 1; x <= kCx + 1; ++x) mark(x, y, true);
  }
  if (a.down == 2) {
    const int start = hDouble ? kCy - 1 : kCy;
    for (int y = start; y < kCellHeight; ++y) for (int x = kCx - 1; x <= kCx + 1; ++x) mark(x, y, true);
  }
  // Centre lines out, from each double arm's edge to the centre.
  if (a.left == 2) for (int x = 0; x <= kCx; ++x) mark(x, kCy, false);
  if (a.right == 2) for (int x = kCx; x < kCellWidth; ++x) mark(x, kCy, false);
  if (a.up == 2) for (int y = 0; y <= kCy; ++y) mark(kCx, y, false);
  if (a.down == 2) for (int y = kCy; y < kCellHeight; ++y) mark(kCx, y, false);
  // Single arms.
  const bool vStraight = a.up == 2 && a.down == 2;
  const bool hStraight = a.left == 2 && a.right == 2;
  if (a.left == 1) {
    const int end = vStraight ? kCx - 1 : (vDouble ? kCx + 1 : kCx);
    for (int x = 0; x <= end; ++x) mark(x, kCy, true);
  }
  if (a.right == 1) {
    const int start = vStraight ? kCx + 1 : (vDouble ? kCx - 1 : kCx);
    for (int x = start; x < kCellWidth; ++x) mark(x, kCy, true);
  }
  if (a.up == 1) {
    const int end = hStraight ? kCy - 1 : (hDouble ? kCy + 1 : kCy);
    for (int y = 0; y <= end; ++y) mark(kCx, y, true);
  }
  if (a.down == 1) {
    const int start = hStraight ? kCy + 1 : (hDouble ? kCy - 1 : kCy);
    for (int y = start; y < kCellHeight; ++y) mark(kCx, y, true);
  }
  Cell cell{};
  for (int y = 0; y < kCellHeight; ++y)
    for (int x = 0; x < kCellWidth; ++x)
      if (on[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)]) Set(cell, x, y, v);
  return cell;
}

// Shades: diagonal textures with a period of three, which divides both the
// cell width and height, so a run of shade cells shows no seams.
Cell Shade(int code) {
  static constexpr std::uint8_t kLight[3] = {1, 0, 0};
  static constexpr std::uint8_t kMedium[3] = {5, 4, 0};
  static constexpr std::uint8_t kDark[3] = {6, 5, 11};
  const std::uint8_t* pattern = code == 176 ? kLight : code == 177 ? kMedium : kDark;
  Cell cell{};
  for (int y = 0; y < kCellHeight; ++y)
    for (int x = 0; x < kCellWidth; ++x) Set(cell, x, y, pattern[(x + y) % 3]);
  return cell;
}

Cell Block(int x0, int y0, int x1, int y1, std::uint8_t v) {
  Cell cell{};
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) Set(cell, x, y, v);
  return cell;
}

bool HandBuilt(int code, std::uint8_t lineIndex, Cell* out) {
  constexpr int kW = kCellWidth - 1;
  constexpr int kH = kCellHeight - 1;
  if (code >= 176 && code <= 178) {
    *out = Shade(code);
  } else if (code >= 179 && code <= 218) {
    *out = BoxPiece(kBoxArms[static_cast<std::size_t>(code - 179)], lineIndex);
  } else if (code == 127 || code == 219) {
    *out = Block(0, 0, kW, kH, 6);
  } else if (code == 220) {
    *out = Block(0, kCellHeight / 2, kW, kH, 6);
  } else if (code == 221) {
    *out = Block(0, 0, kCx, kH, 6);
  } else if (code == 222) {
    *out = Block(kCx + 1, 0, kW, kH, 6);
  } else if (code == 223) {
    *out = Block(0, 0, kW, kCellHeight / 2 - 1, 6);
  } else if (code == 254) {
    *out = Block(2, 3, 6, 7, 6);
  } else if (code == 250) {
    *out = Block(kCx, kCy, kCx, kCy, 6);
    Set(*out, kCx - 1, kCy, 1);
    Set(*out, kCx + 1, kCy, 1);
  } else if (code == 249) {
    *out = Block(kCx - 1, kCy - 1, kCx + 1, kCy + 1, 6);
  } else if (code == 255) {
    *out = Cell{};
  } else {
    return false;
  }
  return true;
}

// --- rasterised glyphs --------------------------------------------------------

std::uint32_t Unicode(int code) { return code < 128 ? static_cast<std::uint32_t>(code) : kUpper437[static_cast<std::size_t>(code - 128)]; }

bool Rasterise(FT_Face face, const FaceStyle& style, int code, Cell* out) {
  *out = Cell{};
  const FT_UInt index = FT_Get_Char_Index(face, Unicode(code));
  if (index == 0) return false;
  // Accented capitals would lose their accents above the cell: they are
  // drawn a little smaller until they fit.
  for (int height = style.pixelHeight;; --height) {
    const int width = style.pixelWidth * height / style.pixelHeight;
    if (FT_Set_Pixel_Sizes(face, static_cast<FT_UInt>(width), static_cast<FT_UInt>(height)) != 0) return false;
    if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT | FT_LOAD_TARGET_LIGHT) != 0) return false;
    if (code < 128 || face->glyph->bitmap_top <= style.baseline || height <= 7) break;
  }
  if (FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) != 0) return false;
  const FT_GlyphSlot g = face->glyph;
  const FT_Bitmap& bm = g->bitmap;
  const int advance = static_cast<int>((g->advance.x + 32) >> 6);
  const int originX = (kCellWidth - advance) / 2;
  for (unsigned row = 0; row < bm.rows; ++row) {
    for (unsigned col = 0; col < bm.width; ++col) {
      const int x = originX + g->bitmap_left + static_cast<int>(col);
      const int y = style.baseline - g->bitmap_top + static_cast<int>(row);
      const int coverage = bm.buffer[row * static_cast<unsigned>(bm.pitch) + col];
      const int shaped = static_cast<int>(std::lround(255.0 * std::pow(coverage / 255.0, style.gamma)));
      if (x >= 0 && x < kCellWidth && y >= 0 && y < kCellHeight) {
        auto& p = (*out)[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
        p = std::max(p, Quantise(shaped));
      }
    }
  }
  return true;
}

bool WriteIndexedPng(const std::string& path, const std::vector<std::uint8_t>& pixels, int width, int height,
                     const std::array<std::uint32_t, kPaletteEntries>& palette) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    return false;
  }
  png_init_io(png, f);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  std::array<png_color, kPaletteEntries> pal{};
  for (int i = 0; i < kPaletteEntries; ++i) {
    pal[static_cast<std::size_t>(i)] = {static_cast<png_byte>(palette[static_cast<std::size_t>(i)] >> 16),
                                        static_cast<png_byte>(palette[static_cast<std::size_t>(i)] >> 8),
                                        static_cast<png_byte>(palette[static_cast<std::size_t>(i)])};
  }
  png_set_PLTE(png, info, pal.data(), kPaletteEntries);
  png_write_info(png, info);
  for (int y = 0; y < height; ++y) png_write_row(png, pixels.data() + static_cast<std::size_t>(y * width));
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return std::fclose(f) == 0;
}

bool WritePreview(const std::string& path, const std::vector<std::uint8_t>& sheet,
                  const std::array<std::uint32_t, kPaletteEntries>& palette) {
  // Sixteen glyphs a row, both faces, four times enlarged, on a dark grey grid.
  constexpr int kScale = 4;
  constexpr int kPerRow = 32;
  constexpr int kGlyphRows = 7;
  const int width = kPerRow * kCellWidth * kScale;
  const int height = 2 * kGlyphRows * kCellHeight * kScale;
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width * height * 3), 0);
  for (int face = 1; face <= 2; ++face) {
    for (int code = 32; code < 256; ++code) {
      const int gx = ((code - 32) % kPerRow) * kCellWidth;
      const int gy = ((face - 1) * kGlyphRows + (code - 32) / kPerRow) * kCellHeight;
      for (int y = 0; y < kCellHeight; ++y) {
        for (int x = 0; x < kCellWidth; ++x) {
          const std::uint8_t p = sheet[static_cast<std::size_t>((kFaceRow[face] + y) * kSheetWidth + GlyphColumn(code) + x)];
          std::uint32_t c = palette[p];
          if (p == 0 && ((code & 1) ^ ((code / kPerRow) & 1))) c = 0x101820;
          for (int sy = 0; sy < kScale; ++sy)
            for (int sx = 0; sx < kScale; ++sx) {
              const std::size_t o = static_cast<std::size_t>(((gy + y) * kScale + sy) * width + (gx + x) * kScale + sx) * 3;
              rgb[o] = static_cast<std::uint8_t>(c >> 16);
              rgb[o + 1] = static_cast<std::uint8_t>(c >> 8);
              rgb[o + 2] = static_cast<std::uint8_t>(c);
            }
        }
      }
    }
  }
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    return false;
  }
  png_init_io(png, f);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < height; ++y) png_write_row(png, rgb.data() + static_cast<std::size_t>(y * width * 3));
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return std::fclose(f) == 0;
}

int Fail(const std::string& why) {
  std::fprintf(stderr, "korveld-fontgen: %s\n", why.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::string out;
  std::string preview;
  FaceStyle faces[3] = {
      {},
      {kDefaultBold, 14, 11, 9, 0.85, 6},
      {kDefaultLight, 14, 11, 9, 1.0, 5},
  };
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if ((arg == "--bold" || arg == "--light" || arg == "--preview") && i + 1 < argc) {
      const char* value = argv[++i];
      if (arg == "--bold") faces[1].path = value;
      else if (arg == "--light") faces[2].path = value;
      else preview = value;
    } else if (out.empty() && arg[0] != '-') {
      out = arg;
    } else {
      return Fail("usage: korveld-fontgen OUT.png [--bold FONT.ttf] [--light FONT.ttf] [--preview PREVIEW.png]");
    }
  }
  if (out.empty()) return Fail("usage: korveld-fontgen OUT.png [--bold FONT.ttf] [--light FONT.ttf] [--preview PREVIEW.png]");

  FT_Library library = nullptr;
  if (FT_Init_FreeType(&library) != 0) return Fail("cannot start FreeType");
  std::vector<std::uint8_t> sheet(static_cast<std::size_t>(kSheetWidth * kSheetHeight), 0);
  for (int faceNumber = 1; faceNumber <= 2; ++faceNumber) {
    const FaceStyle& style = faces[faceNumber];
    FT_Face face = nullptr;
    if (FT_New_Face(library, style.path, 0, &face) != 0) return Fail(std::string("cannot open ") + style.path);
    for (int code = 33; code <= 255; ++code) {
      Cell cell{};
      if (!HandBuilt(code, style.lineIndex, &cell) && !Rasterise(face, style, code, &cell)) {
        std::fprintf(stderr, "korveld-fontgen: no glyph for code %d in %s\n", code, style.path);
      }
      for (int y = 0; y < kCellHeight; ++y)
        for (int x = 0; x < kCellWidth; ++x)
          sheet[static_cast<std::size_t>((kFaceRow[faceNumber] + y) * kSheetWidth + GlyphColumn(code) + x)] =
              cell[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
    }
    FT_Done_Face(face);
  }
  FT_Done_FreeType(library);

  std::array<std::uint32_t, kPaletteEntries> palette{};
  for (std::size_t i = 0; i < kGlyphPalette.size(); ++i) palette[i] = kGlyphPalette[i];
  // The entries no glyph uses: a dim blue ramp, so an editor shows them apart.
  for (int i = static_cast<int>(kGlyphPalette.size()); i < kPaletteEntries; ++i)
    palette[static_cast<std::size_t>(i)] = static_cast<std::uint32_t>(i / 4) << 8 | static_cast<std::uint32_t>(i);

  if (!WriteIndexedPng(out, sheet, kSheetWidth, kSheetHeight, palette)) return Fail("cannot write " + out);
  if (!preview.empty() && !WritePreview(preview, sheet, palette)) return Fail("cannot write " + preview);
  return 0;
}
