// Paints the two skin pictures and writes them as 8-bit indexed PNGs.
//
//   korveld-skingen FONTDIR OUTDIR
//
// FONTDIR holds the DejaVu fonts the captions are rasterised from; OUTDIR
// receives grunge.png (skin 1) and carbon.png (skin 2). The build target
// `skins-regenerate` runs it into content/skins/.
#include <cstdio>
#include <string>

#include "tools/skingen/lettering.hpp"
#include "tools/skingen/quantise.hpp"
#include "tools/skingen/skins.hpp"

int main(int argc, char** argv) {
  using namespace korveld;
  if (argc != 3) {
    std::fprintf(stderr, "usage: korveld-skingen FONTDIR OUTDIR\n");
    return 2;
  }
  const std::string fonts = argv[1];
  const std::string out = argv[2];
  skingen::Lettering lettering;
  std::string error;
  if (!lettering.load("stencil", fonts + "/DejaVuSansCondensed-Bold.ttf", error) ||
      !lettering.load("title", fonts + "/DejaVuSans-Bold.ttf", error)) {
    std::fprintf(stderr, "korveld-skingen: %s\n", error.c_str());
    return 1;
  }
  struct Job {
    const char* file;
    skingen::Canvas (*paint)(const skingen::Lettering&);
  };
  for (const Job& job : {Job{"grunge.png", skingen::PaintGrunge}, Job{"carbon.png", skingen::PaintCarbon}}) {
    const tools::IndexedPicture picture = skingen::Quantise(job.paint(lettering), 256);
    if (!tools::WriteIndexedPng(out + "/" + job.file, picture, error)) {
      std::fprintf(stderr, "korveld-skingen: %s\n", error.c_str());
      return 1;
    }
    std::printf("wrote %s/%s\n", out.c_str(), job.file);
  }
  return 0;
}
