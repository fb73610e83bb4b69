#include "tools/skinpack/indexed_png.hpp"

#include <png.h>

#include <cstdio>
#include <memory>
#include <unordered_map>

namespace korveld::tools {
namespace {

struct FileCloser {
  void operator()(std::FILE* f) const {
    if (f != nullptr) std::fclose(f);
  }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// libpng reports errors by longjmp; this handler keeps the message so the
// caller can print it.
void OnPngError(png_structp png, png_const_charp message) {
  auto* error = static_cast<std::string*>(png_get_error_ptr(png));
  if (error != nullptr) *error = message;
  png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

}  // namespace

bool ReadSkinPicture(const std::string& path, IndexedPicture& picture, std::string& error) {
  File file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    error = "cannot open " + path;
    return false;
  }
  std::uint8_t signature[8] = {};
  if (std::fread(signature, 1, 8, file.get()) != 8 || png_sig_cmp(signature, 0, 8) != 0) {
    error = path + " is not a PNG picture";
    return false;
  }
  std::string pngError;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &pngError, OnPngError, OnPngWarning);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  if (info == nullptr) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    error = "out of memory reading " + path;
    return false;
  }
  // Everything the longjmp can skip lives outside this block's locals.
  std::vector<std::uint8_t> pixels;
  std::vector<png_bytep> rows;
  int colourType = 0;
  int channels = 0;
  png_uint_32 width = 0;
  png_uint_32 height = 0;
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    error = path + ": " + pngError;
    return false;
  }
  png_init_io(png, file.get());
  png_set_sig_bytes(png, 8);
  png_read_info(png, info);
  width = png_get_image_width(png, info);
  height = png_get_image_height(png, info);
  colourType = png_get_color_type(png, info);
  const int depth = png_get_bit_depth(png, info);
  if (colourType == PNG_COLOR_TYPE_PALETTE) {
    if (depth < 8) png_set_packing(png);
  } else {
    if (depth == 16) png_set_strip_16(png);
    if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
    if (colourType & PNG_COLOR_MASK_ALPHA) png_set_strip_alpha(png);
    if (depth < 8) png_set_expand(png);
  }
  png_read_update_info(png, info);
  channels = png_get_channels(png, info);
  if (width > 4096 || height > 4096) {
    png_destroy_read_struct(&png, &info, nullptr);
    error = path + " is " + std::to_string(width) + " x " + std::to_string(height) + " pixels, far too large";
    return false;
  }
  pixels.assign(static_cast<std::size_t>(width) * height * channels, 0);
  rows.resize(height);
  for (png_uint_32 y = 0; y < height; ++y) rows[y] = pixels.data() + static_cast<std::size_t>(y) * width * channels;
  png_read_image(png, rows.data());

  picture = IndexedPicture{};
  picture.width = static_cast<int>(width);
  picture.height = static_cast<int>(height);
  if (colourType == PNG_COLOR_TYPE_PALETTE) {
    png_colorp entries = nullptr;
    int count = 0;
    png_get_PLTE(png, info, &entries, &count);
    for (int i = 0; i < count && i < 256; ++i) {
      picture.palette[i * 3] = entries[i].red;
      picture.palette[i * 3 + 1] = entries[i].green;
      picture.palette[i * 3 + 2] = entries[i].blue;
    }
    picture.indices = std::move(pixels);
    png_destroy_read_struct(&png, &info, nullptr);
    for (std::uint8_t index : picture.indices) {
      if (index >= count) {
        error = path + " uses palette entry " + std::to_string(index) + " but its palette has only " +
                std::to_string(count) + " entries";
        return false;
      }
    }
    return true;
  }
  png_destroy_read_struct(&png, &info, nullptr);

  // True colour: index the distinct colours, refusing more than 256.
  std::unordered_map<std::uint32_t, int> seen;
  picture.indices.resize(static_cast<std::size_t>(width) * height);
  for (std::size_t k = 0; k < picture.indices.size(); ++k) {
    const std::uint8_t* p = pixels.data() + k * channels;
    const std::uint32_t rgb = static_cast<std::uint32_t>(p[0]) << 16 | p[1] << 8 | p[2];
    auto [it, added] = seen.try_emplace(rgb, static_cast<int>(seen.size()));
    if (added && it->second < 256) {
      picture.palette[it->second * 3] = p[0];
      picture.palette[it->second * 3 + 1] = p[1];
      picture.palette[it->second * 3 + 2] = p[2];
    }
    picture.indices[k] = static_cast<std::uint8_t>(it->second & 0xFF);
  }
  if (seen.size() > 256) {
    error = path + " has " + std::to_string(seen.size()) + " colours; a skin may have at most 256";
    return false;
  }
  return true;
}

bool WriteIndexedPng(const std::string& path, const IndexedPicture& picture, std::string& error) {
  if (picture.width <= 0 || picture.height <= 0 ||
      picture.indices.size() != static_cast<std::size_t>(picture.width) * picture.height) {
    error = "picture size does not match its pixels";
    return false;
  }
  File file(std::fopen(path.c_str(), "wb"));
  if (!file) {
    error = "cannot create " + path;
    return false;
  }
  std::string pngError;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &pngError, OnPngError, OnPngWarning);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  if (info == nullptr) {
    png_destroy_write_struct(&png, nullptr);
    error = "out of memory writing " + path;
    return false;
  }
  std::vector<png_color> entries(256);
  std::vector<png_const_bytep> rows(picture.height);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    error = path + ": " + pngError;
    return false;
  }
  png_init_io(png, file.get());
  png_set_IHDR(png, info, picture.width, picture.height, 8, PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  for (int i = 0; i < 256; ++i) {
    entries[i].red = picture.palette[i * 3];
    entries[i].green = picture.palette[i * 3 + 1];
    entries[i].blue = picture.palette[i * 3 + 2];
  }
  png_set_PLTE(png, info, entries.data(), 256);
  png_set_compression_level(png, 9);
  png_write_info(png, info);
  for (int y = 0; y < picture.height; ++y) rows[y] = picture.indices.data() + static_cast<std::size_t>(y) * picture.width;
  png_write_image(png, const_cast<png_bytepp>(rows.data()));
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace korveld::tools
