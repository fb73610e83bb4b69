// The rules a PSID or RSID file's header must keep for players to accept it:
// the fields each version has, the values RSID forbids (a header load or play
// address, speed bits, data below $07E8, an init routine in ROM), song
// numbers, flags and the relocation range. The program's own loader reads
// less than this; the build holds every embedded tune to all of it, so the
// tune files it writes are valid for other players too.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace korveld::tunecheck {

struct HeaderProblem {
  int offset = 0;       // of the field at fault in the file
  std::string field;    // the field's name in the format ("speed", ...)
  std::string message;
};

// Every rule the header of a PSID/RSID file breaks; empty when it is valid.
std::vector<HeaderProblem> CheckSidHeader(std::span<const std::uint8_t> file);

// The tune source equate that sets a header field ("SPEED" for "speed"), or
// an empty string when the field has none.
std::string EquateOfField(const std::string& field);

}  // namespace korveld::tunecheck
