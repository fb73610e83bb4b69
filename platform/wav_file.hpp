// 16-bit PCM WAV files, the one writer every sound-rendering tool uses. A
// file is written as it is rendered: the header first (the length is known
// up front), then the samples block by block.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>

namespace korveld::platform {

struct WavFile {
  struct Closer {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };
  // The stream's buffer: declared before the stream, so it outlives it.
  std::unique_ptr<char[]> buffer;
  std::unique_ptr<std::FILE, Closer> file;
  std::string path;
  bool ok = false;  // every write so far succeeded
};

// Creates the file and writes the header; false (with the reason in *error)
// when the file cannot be created or the length does not fit the format.
bool OpenWav(WavFile& wav, const std::string& path, std::uint64_t frames, int channels, int rate, std::string* error);
// Appends samples (all channels interleaved), little-endian.
void AppendWav(WavFile& wav, std::span<const std::int16_t> samples);
// Closes the file; false (with the reason) when any write failed.
bool CloseWav(WavFile& wav, std::string* error);

// A whole buffer of interleaved samples as one file.
bool WriteWav(const std::string& path, std::span<const std::int16_t> samples, int channels, int rate,
              std::string* error);

}  // namespace korveld::platform
