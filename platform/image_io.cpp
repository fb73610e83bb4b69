#include "platform/image_io.hpp"

#ifndef KORVELD_NO_PNG
#include <png.h>
#endif

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace korveld::platform {
namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace

#ifdef KORVELD_NO_PNG
bool WritePng(const std::string& path, const std::uint32_t*, int, int, std::string* error) {
  if (error) *error = path + ": this build writes no PNG files";
  return false;
}
#else
bool WritePng(const std::string& path, const std::uint32_t* pixels, int width, int height, std::string* error) {
  File file(std::fopen(path.c_str(), "wb"));
  if (!file) {
    if (error) *error = path + ": " + std::strerror(errno);
    return false;
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!png || !info) {
    png_destroy_write_struct(&png, nullptr);
    if (error) *error = path + ": out of memory";
    return false;
  }
  std::vector<std::uint8_t> row(static_cast<std::size_t>(width) * 3);
  // libpng reports failures by longjmp; nothing with a destructor lives
  // between here and the end of the writes.
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    if (error) *error = path + ": write failed";
    return false;
  }
  png_init_io(png, file.get());
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < height; ++y) {
    const std::uint32_t* src = pixels + static_cast<std::size_t>(y) * width;
    for (int x = 0; x < width; ++x) {
      row[3 * x] = static_cast<std::uint8_t>(src[x] >> 16);
      row[3 * x + 1] = static_cast<std::uint8_t>(src[x] >> 8);
      row[3 * x + 2] = static_cast<std::uint8_t>(src[x]);
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}
#endif

std::uint64_t FrameHash(const std::uint32_t* pixels, int count) {
  // One multiply per pixel keeps hashing every frame of a long headless run cheap.
  std::uint64_t h = 0xCBF29CE484222325ull;
  for (int i = 0; i < count; ++i) {
    h ^= pixels[i] & 0xFFFFFF;
    h *= 0x100000001B3ull;
  }
  return h;
}

std::uint64_t BytesHash(const void* data, std::size_t size) {
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  std::uint64_t h = 0xCBF29CE484222325ull;
  for (std::size_t i = 0; i < size; ++i) {
    h ^= bytes[i];
    h *= 0x100000001B3ull;
  }
  return h;
}

}  // namespace korveld::platform
