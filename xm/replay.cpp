// The replay's clock: one tick at a time, the row on its first tick and the
// continuing effects on the others, then the count that moves the song on
// to the next row and order.
#include "xm/rows.hpp"
#include "xm/tick_effects.hpp"

namespace korveld::xm {

void UpdateTick(XmPlayer& player, XmSong& song) {
  if (song.tick == 0) {
    if (song.nextOrder >= 0) song.order = song.nextOrder;
    if (song.nextRow >= 0) song.row = song.nextRow;
    // A break or loop may name a row the pattern does not have.
    if (song.row >= song.patternAt(song.order).rows) song.row = 0;
    ProcessRow(player, song);
    if (song.nextRow == -1) {
      song.nextRow = song.row + 1;
      if (song.nextRow >= song.patternAt(song.order).rows) {
        song.nextOrder = song.order + 1;
        if (song.nextOrder >= song.songLength) song.nextOrder = song.restartPosition;
        song.nextRow = 0;
      }
    }
  } else {
    ProcessTickEffects(player, song);
  }
  song.tick += 1;
  if (song.tick >= song.speed + song.patternDelay) {
    song.patternDelay = 0;
    song.tick = 0;
  }
}

void ResetSongState(XmPlayer& player, XmSong& song) {
  for (int i = 0; i < kMixVoices; ++i) {
    player.voices[static_cast<std::size_t>(i)] = MixVoice{};
    player.voices[static_cast<std::size_t>(i)].number = i;
    player.voices[static_cast<std::size_t>(i)].stepInteger = 1;
  }
  song.globalVolume = song.defaultGlobalVolume;
  song.nextOrder = -1;
  song.nextRow = -1;
  song.speed = song.defaultSpeed;
  song.row = 0;
  song.order = 0;
  song.samplesUntilNextTick = 0;
  song.tick = 0;
  song.patternDelay = 0;
  SetBpm(song, song.defaultBpm);
  for (int c = 0; c < kChannels; ++c) {
    player.channels[static_cast<std::size_t>(c)] = XmChannel{};
    player.channels[static_cast<std::size_t>(c)].voice = c;
  }
}

}  // namespace korveld::xm
