// Build-time converter: turns the skin pictures into the embedded skin
// images, each a 768-byte palette followed by 800 x 600 index bytes, written
// back to back in the order given.
//
//   korveld-skinpack OUTPUT.bin SKIN1.png SKIN2.png ...
//
// Refuses (exit status 1, one line on stderr) a picture that is not exactly
// 800 x 600 or that has more than 256 colours.
#include <cstdio>
#include <string>
#include <vector>

#include "tools/skinpack/indexed_png.hpp"

namespace {

constexpr int kSkinWidth = 800;
constexpr int kSkinHeight = 600;

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: korveld-skinpack OUTPUT.bin SKIN.png...\n");
    return 2;
  }
  std::vector<std::uint8_t> out;
  for (int i = 2; i < argc; ++i) {
    korveld::tools::IndexedPicture picture;
    std::string error;
    if (!korveld::tools::ReadSkinPicture(argv[i], picture, error)) {
      std::fprintf(stderr, "korveld-skinpack: %s\n", error.c_str());
      return 1;
    }
    if (picture.width != kSkinWidth || picture.height != kSkinHeight) {
      std::fprintf(stderr, "korveld-skinpack: %s is %d x %d pixels; a skin must be exactly %d x %d\n", argv[i],
                   picture.width, picture.height, kSkinWidth, kSkinHeight);
      return 1;
    }
    out.insert(out.end(), picture.palette.begin(), picture.palette.end());
    out.insert(out.end(), picture.indices.begin(), picture.indices.end());
  }
  std::FILE* file = std::fopen(argv[1], "wb");
  if (file == nullptr) {
    std::fprintf(stderr, "korveld-skinpack: cannot create %s\n", argv[1]);
    return 1;
  }
  const bool ok = std::fwrite(out.data(), 1, out.size(), file) == out.size();
  if (std::fclose(file) != 0 || !ok) {
    std::fprintf(stderr, "korveld-skinpack: cannot write %s\n", argv[1]);
    std::remove(argv[1]);
    return 1;
  }
  return 0;
}
