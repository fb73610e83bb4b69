// The in-memory byte source: one MemoryFile over the image most recently
// given to LoadSongFromMemory.
#include <algorithm>
#include <cstring>

#include "xm/xm_player.hpp"

namespace korveld::xm {
namespace {

void* MemoryOpen(XmPlayer& player, const char*) {
  if (player.image == nullptr && player.imageSize != 0) return nullptr;
  auto* file = new MemoryFile;
  file->base = player.image;
  file->length = std::max<std::int32_t>(player.imageSize, 0);
  file->position = 0;
  return file;
}

void MemoryClose(void* handle) { delete static_cast<MemoryFile*>(handle); }

std::int32_t MemoryRead(void* buffer, std::int32_t count, void* handle) {
  auto* file = static_cast<MemoryFile*>(handle);
  if (count <= 0) return 0;
  // Copies at most up to the end of the image.
  if (std::int64_t{file->position} + count >= file->length) count = file->length - file->position;
  if (count <= 0) return 0;
  std::memcpy(buffer, file->base + file->position, static_cast<std::size_t>(count));
  file->position += count;
  return count;
}

void MemorySeek(void* handle, std::int32_t offset, int mode) {
  auto* file = static_cast<MemoryFile*>(handle);
  std::int64_t position = file->position;
  switch (mode) {
    case 0: position = offset; break;
    case 1: position = position + offset; break;
    case 2: position = std::int64_t{file->length} + offset; break;
    default: break;
  }
  if (position > file->length) position = file->length;
  if (position < 0) position = 0;  // never before the image
  file->position = static_cast<std::int32_t>(position);
}

std::int32_t MemoryTell(void* handle) { return static_cast<MemoryFile*>(handle)->position; }

}  // namespace

SourceCallbacks MemorySourceCallbacks() {
  SourceCallbacks c;
  c.open = MemoryOpen;
  c.close = MemoryClose;
  c.read = MemoryRead;
  c.seek = MemorySeek;
  c.tell = MemoryTell;
  return c;
}

void InstallSourceCallbacks(XmPlayer& player, const SourceCallbacks& callbacks) {
  player.callbacks = callbacks.complete() ? callbacks : SourceCallbacks{};
}

}  // namespace korveld::xm
