// The cursor the loader reads a module image in memory with.
#include <algorithm>
#include <cstring>

#include "xm/xm_player.hpp"

namespace korveld::xm {

std::int32_t Read(MemoryCursor& cursor, void* out, std::int32_t count) {
  count = std::min(count, cursor.length - cursor.position);
  if (count <= 0) return 0;
  std::memcpy(out, cursor.base + cursor.position, static_cast<std::size_t>(count));
  cursor.position += count;
  return count;
}

void Seek(MemoryCursor& cursor, std::int64_t offset, SeekFrom from) {
  const std::int64_t origin = from == SeekFrom::Start ? 0 : from == SeekFrom::Current ? cursor.position : cursor.length;
  cursor.position = static_cast<std::int32_t>(std::clamp<std::int64_t>(origin + offset, 0, cursor.length));
}

}  // namespace korveld::xm
