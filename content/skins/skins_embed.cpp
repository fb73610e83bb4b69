#include "content/skins/skins.hpp"

// The converted pictures go into read-only data as they are; the assembler
// reads the file the build made, so nothing is loaded at run time.
// WebAssembly objects declare data sections and symbol sizes their own way.
#ifdef __EMSCRIPTEN__
__asm__(
    ".section .rodata.korveld_skin_images,\"\",@\n"
    ".p2align 6\n"
    ".hidden korveld_skin_images_begin\n"
    ".hidden korveld_skin_images_end\n"
    "korveld_skin_images_begin:\n"
    ".incbin \"" KORVELD_SKIN_BLOB "\"\n"
    "korveld_skin_images_end:\n"
    ".size korveld_skin_images_begin, korveld_skin_images_end - korveld_skin_images_begin\n"
    ".size korveld_skin_images_end, 0\n");
#else
__asm__(
    ".section .rodata.korveld_skin_images,\"a\",@progbits\n"
    ".balign 64\n"
    ".hidden korveld_skin_images_begin\n"
    ".hidden korveld_skin_images_end\n"
    "korveld_skin_images_begin:\n"
    ".incbin \"" KORVELD_SKIN_BLOB "\"\n"
    "korveld_skin_images_end:\n"
    ".previous\n");
#endif

extern "C" const std::uint8_t korveld_skin_images_begin[];
extern "C" const std::uint8_t korveld_skin_images_end[];

namespace korveld::content {

std::span<const std::uint8_t> SkinImages() {
  return {korveld_skin_images_begin, static_cast<std::size_t>(korveld_skin_images_end - korveld_skin_images_begin)};
}

}  // namespace korveld::content
