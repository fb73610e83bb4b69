// korveld-bigfontgen OUT.png [FONT_FILE]
//
// Rasterises the intro's big font: the 59 characters from space to "Z" of
// DejaVu Sans Bold (Debian package fonts-dejavu-core), each centred in a
// 32 x 32 cell, as a one-level white-on-black picture of 1888 x 32 pixels.
// The picture is the editable source of the font: touch it up by hand in any
// editor, and korveld-bigfont-embed turns it into the embedded sheet at build
// time. Rerunning this tool overwrites such edits.
//
// Capitals stand 26 pixels tall on a baseline at row 28. Every glyph is made
// a little bolder and 22 % wider, but never wider than 30 pixels (M, W, @...
// are narrowed to that), so the letters fill their cells in the scroller yet
// leave room for the one-pixel shadow and highlight the intro draws.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include <png.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kCell = 32;
constexpr int kFirst = 32;  // space
constexpr int kLast = 90;   // "Z"
constexpr int kWidth = (kLast - kFirst + 1) * kCell;  // 1888
constexpr int kCapHeight = 26;
constexpr int kBaselineRow = 28;
constexpr int kMaxGlyphWidth = 30;
constexpr long kWiden = 122;  // percent: broad letters fill the cells
constexpr FT_Pos kEmbolden = 80;  // 26.6 pixels: 1.25 px more stroke
constexpr int kThreshold = 128;  // coverage (of 255) that makes a pixel solid

constexpr const char* kDefaultFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

int Fail(const std::string& message) {
  std::fprintf(stderr, "korveld-bigfontgen: %s\n", message.c_str());
  return 1;
}

// Outline extent in 26.6 pixels.
FT_BBox OutlineBox(FT_Outline* outline) {
  FT_BBox box;
  FT_Outline_Get_CBox(outline, &box);
  return box;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) return Fail("usage: korveld-bigfontgen OUT.png [FONT_FILE]");
  const char* fontPath = argc == 3 ? argv[2] : kDefaultFont;

  FT_Library library = nullptr;
  FT_Face face = nullptr;
  if (FT_Init_FreeType(&library) != 0) return Fail("cannot start FreeType");
  if (FT_New_Face(library, fontPath, 0, &face) != 0) return Fail(std::string("cannot open ") + fontPath);

  // Find the pixel size at which "H" is kCapHeight pixels tall.
  int size = 20;
  for (int candidate = 20; candidate <= 60; ++candidate) {
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(candidate));
    if (FT_Load_Char(face, 'H', FT_LOAD_NO_HINTING) != 0) return Fail("font has no H");
    const FT_BBox box = OutlineBox(&face->glyph->outline);
    if ((box.yMax - box.yMin + kEmbolden + 32) / 64 > kCapHeight) break;
    size = candidate;
  }
  FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(size));

  std::vector<unsigned char> sheet(static_cast<std::size_t>(kWidth) * kCell, 0);
  for (int code = kFirst + 1; code <= kLast; ++code) {
    if (FT_Load_Char(face, static_cast<FT_ULong>(code), FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0) {
      return Fail("font lacks character " + std::to_string(code));
    }
    FT_Outline* outline = &face->glyph->outline;
    // A little extra weight: the face is drawn in a thin-striped rainbow and
    // reads better with broad strokes.
    FT_Outline_EmboldenXY(outline, kEmbolden, kEmbolden);
    FT_Outline_Translate(outline, 0, -kEmbolden / 2);
    FT_BBox box = OutlineBox(outline);
    // Widen by kWiden, but never past kMaxGlyphWidth.
    const long width = box.xMax - box.xMin;
    long target = width * kWiden / 100;
    if (target > kMaxGlyphWidth * 64) target = kMaxGlyphWidth * 64;
    if (width > 0 && target != width) {
      FT_Matrix scale{static_cast<FT_Fixed>(0x10000L * target / width), 0, 0, 0x10000L};
      FT_Outline_Transform(outline, &scale);
      box = OutlineBox(outline);
    }
    // Centre horizontally on whole pixels; put the baseline at kBaselineRow.
    const long inkWidth = box.xMax - box.xMin;
    const long left = ((kCell * 64 - inkWidth) / 2) & ~63L;
    FT_Outline_Translate(outline, left - box.xMin, 0);
    if (FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) != 0) return Fail("cannot render " + std::to_string(code));

    const FT_Bitmap& bitmap = face->glyph->bitmap;
    const int originX = (code - kFirst) * kCell + face->glyph->bitmap_left;
    const int originY = kBaselineRow - face->glyph->bitmap_top;
    for (unsigned row = 0; row < bitmap.rows; ++row) {
      for (unsigned col = 0; col < bitmap.width; ++col) {
        const int x = originX + static_cast<int>(col);
        const int y = originY + static_cast<int>(row);
        const int cellLeft = (code - kFirst) * kCell;
        if (x < cellLeft || x >= cellLeft + kCell || y < 0 || y >= kCell) continue;
        if (bitmap.buffer[row * bitmap.pitch + col] >= kThreshold) sheet[static_cast<std::size_t>(y) * kWidth + x] = 255;
      }
    }
  }
  FT_Done_Face(face);
  FT_Done_FreeType(library);

  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = kWidth;
  image.height = kCell;
  image.format = PNG_FORMAT_GRAY;
  if (png_image_write_to_file(&image, argv[1], 0, sheet.data(), kWidth, nullptr) == 0) {
    return Fail(std::string("cannot write ") + argv[1] + ": " + image.message);
  }
  std::printf("korveld-bigfontgen: %s at %d px, capitals %d px tall\n", argv[1], size, kCapHeight);
  return 0;
}
