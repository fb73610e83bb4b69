#include "platform/wav_file.hpp"

#include <array>
#include <bit>
#include <cerrno>
#include <cstring>
#include <vector>

namespace korveld::platform {
namespace {

// The RIFF size field counts everything after itself: 36 header bytes and the data.
constexpr std::uint64_t kMaxDataBytes = 0xFFFFFFFFull - 36;
constexpr std::size_t kHeaderBytes = 44;
constexpr std::size_t kBufferBytes = std::size_t{1} << 18;

void PutLe(std::uint8_t* out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// The data must fit the format's 32-bit size fields.
bool WavFits(std::uint64_t frames, int channels) {
  return channels > 0 && frames <= kMaxDataBytes / (2 * static_cast<std::uint64_t>(channels));
}

// The header of a file of `frames` frames of `channels` 16-bit samples.
std::array<std::uint8_t, kHeaderBytes> WavHeader(std::uint64_t frames, int channels, int rate) {
  std::array<std::uint8_t, kHeaderBytes> h{};
  const auto dataBytes = static_cast<std::uint32_t>(frames * 2 * static_cast<std::uint64_t>(channels));
  std::memcpy(&h[0], "RIFF", 4);
  PutLe(&h[4], 36 + dataBytes, 4);
  std::memcpy(&h[8], "WAVEfmt ", 8);
  PutLe(&h[16], 16, 4);  // format chunk size
  PutLe(&h[20], 1, 2);   // PCM
  PutLe(&h[22], static_cast<std::uint32_t>(channels), 2);
  PutLe(&h[24], static_cast<std::uint32_t>(rate), 4);
  PutLe(&h[28], static_cast<std::uint32_t>(rate * channels * 2), 4);  // bytes per second
  PutLe(&h[32], static_cast<std::uint32_t>(channels * 2), 2);         // bytes per frame
  PutLe(&h[34], 16, 2);                                                // bits per sample
  std::memcpy(&h[36], "data", 4);
  PutLe(&h[40], dataBytes, 4);
  return h;
}

}  // namespace

bool OpenWav(WavFile& wav, const std::string& path, std::uint64_t frames, int channels, int rate, std::string* error) {
  wav.file.reset();  // an open stream goes before the buffer it writes from
  wav = WavFile{};
  wav.path = path;
  if (!WavFits(frames, channels)) {
    if (error) *error = path + ": too long for a WAV file";
    return false;
  }
  wav.file.reset(std::fopen(path.c_str(), "wb"));
  if (!wav.file) {
    if (error) *error = path + ": " + std::strerror(errno);
    return false;
  }
  // Whole blocks of samples go out in few large writes instead of 4 KiB ones.
  // The buffer is given: without one the C library may keep its own size.
  wav.buffer.reset(new char[kBufferBytes]);
  std::setvbuf(wav.file.get(), wav.buffer.get(), _IOFBF, kBufferBytes);
  const auto header = WavHeader(frames, channels, rate);
  wav.ok = std::fwrite(header.data(), 1, header.size(), wav.file.get()) == header.size();
  return true;
}

void AppendWav(WavFile& wav, std::span<const std::int16_t> samples) {
  if (!wav.file || !wav.ok) return;
  if constexpr (std::endian::native == std::endian::little) {
    // The samples in memory are already the file's bytes.
    wav.ok = std::fwrite(samples.data(), 2, samples.size(), wav.file.get()) == samples.size();
    return;
  }
  std::vector<std::uint8_t> bytes(samples.size() * 2);
  for (std::size_t i = 0; i < samples.size(); ++i) {
    const auto v = static_cast<std::uint16_t>(samples[i]);
    bytes[2 * i] = static_cast<std::uint8_t>(v);
    bytes[2 * i + 1] = static_cast<std::uint8_t>(v >> 8);
  }
  wav.ok = std::fwrite(bytes.data(), 1, bytes.size(), wav.file.get()) == bytes.size();
}

bool CloseWav(WavFile& wav, std::string* error) {
  bool ok = wav.ok;
  if (wav.file) ok = std::fclose(wav.file.release()) == 0 && ok;
  if (!ok && error) *error = wav.path + ": write failed";
  wav.ok = false;
  return ok;
}

bool WriteWav(const std::string& path, std::span<const std::int16_t> samples, int channels, int rate,
              std::string* error) {
  WavFile wav;
  if (!OpenWav(wav, path, samples.size() / static_cast<std::size_t>(channels > 0 ? channels : 1), channels, rate,
               error)) {
    return false;
  }
  AppendWav(wav, samples);
  return CloseWav(wav, error);
}

}  // namespace korveld::platform
