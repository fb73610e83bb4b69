// Tune 2, "Glass Harbour": a slow, airy piece in D major. Six channels,
// 16-bit samples, the linear frequency table, speed 6 at 100 BPM. Pads and
// strings breathe through looping volume envelopes and release with key-off
// and fadeout; the electric piano wanders across the stereo field on a
// panning envelope; the flute carries an instrument auto-vibrato.
#include <cmath>

#include "content/xm/xm_modules.hpp"
#include "tools/xmgen/songs.hpp"

namespace korveld::xmgen {
namespace {

enum : int { kKick = 1, kBrush, kShaker, kPad, kStrings, kPiano, kBass, kFlute };

EnvelopeSpec Envelope(std::vector<std::array<std::uint16_t, 2>> points, int type, int sustain = 0, int loopStart = 0,
                      int loopEnd = 0) {
  EnvelopeSpec e;
  e.points = std::move(points);
  e.type = static_cast<std::uint8_t>(type);
  e.sustain = static_cast<std::uint8_t>(sustain);
  e.loopStart = static_cast<std::uint8_t>(loopStart);
  e.loopEnd = static_cast<std::uint8_t>(loopEnd);
  return e;
}

// Broken chords for the piano: root, fifth, octave, tenth and back, two rows each.
Track BrokenChords(const std::vector<Chord>& chords, int octave) {
  Track t(kPiano);
  for (const Chord& c : chords) {
    const int tones[8] = {0, c.fifth, 12, 12 + c.third, 12 + c.fifth, 12 + c.third, 12, c.fifth};
    for (int i = 0; i < 8; ++i) {
      const int semis = c.root + tones[i];
      t << NoteName(semis % 12, octave + semis / 12) + ":2" + (i == 0 ? ",v44" : (i % 2 ? ",v30" : ",v36"));
    }
  }
  return t;
}

}  // namespace

Module ComposeGlassHarbour() {
  Module m;
  m.name = std::string(content::kXmCredits[2].title);
  m.channels = 6;
  m.linear = true;
  m.speed = 6;
  m.bpm = 100;

  // --- instruments (16-bit) --------------------------------------------------
  {
    Wave w(static_cast<std::size_t>(0.5 * kSynthRate));
    double phase = 0.0;
    for (std::size_t i = 0; i < w.size(); ++i) {
      const double t = static_cast<double>(i) / kSynthRate;
      phase += 2.0 * kPi * (48.0 + 70.0 * std::exp(-t * 20.0)) / kSynthRate;
      w[i] = std::sin(phase) * std::exp(-t * 6.0);
    }
    Normalize(w, 0.95);
    m.instruments.push_back(Make("soft kick", MakeSample(w, true), 56, 128));
  }
  {
    Wave w(static_cast<std::size_t>(0.35 * kSynthRate));
    Noise n{31};
    for (double& v : w) v = n.next();
    Lowpass(w, 3500.0);
    Highpass(w, 500.0);
    DecayEnvelope(w, 0.01, 11.0);
    Normalize(w, 0.9);
    m.instruments.push_back(Make("brush", MakeSample(w, true), 44, 150));
  }
  {
    // Rendered at twice the rate (times and the highpass halved) and played
    // an octave up: the noise reaches 16 kHz instead of stopping at 8.
    Wave w(static_cast<std::size_t>(0.18 * kSynthRate));
    Noise n{77};
    for (double& v : w) v = n.next();
    Highpass(w, 1500.0);
    DecayEnvelope(w, 0.03, 15.0);
    Normalize(w, 0.8);
    Sample shaker = MakeSample(w, true);
    shaker.relativeNote = 24;
    m.instruments.push_back(Make("shaker", shaker, 26, 90));
  }
  {
    std::vector<double> saw;
    for (int k = 1; k <= 18; ++k) saw.push_back(std::pow(0.8, k - 1) / k);
    Wave pad = Detuned(saw, 64, 128, 1);
    Normalize(pad, 0.9);
    Instrument ins = Make("pad", MakeSample(pad, true, Loop::Forward, 0, 8192), 46, 128);
    // A slow swell that keeps breathing between its second and fourth points.
    ins.volume = Envelope({{0, 0}, {24, 64}, {48, 50}, {72, 64}}, 1 | 4, 0, 1, 3);
    ins.fadeout = 500;
    m.instruments.push_back(std::move(ins));
  }
  {
    Wave strings = Detuned({1.0, 0.45, 0.3, 0.2, 0.14, 0.1, 0.07, 0.05}, 64, 64, 2);
    Lowpass(strings, 2500.0);
    Normalize(strings, 0.9);
    // A ping-pong loop over the second half.
    Instrument ins = Make("strings", MakeSample(strings, true, Loop::PingPong, 2048, 2048), 44, 170);
    ins.volume = Envelope({{0, 0}, {16, 64}, {28, 52}}, 1 | 2, 2);
    ins.fadeout = 400;
    ins.vibratoType = 0;
    ins.vibratoSweep = 40;
    ins.vibratoDepth = 3;
    ins.vibratoRate = 6;
    m.instruments.push_back(std::move(ins));
  }
  {
    Wave ep = Fm(kC4, 1.0, 1.8, 4.0, 1.6);
    Wave bell = Fm(kC4 * 4.0, 1.0, 0.6, 8.0, 1.6);
    for (std::size_t i = 0; i < ep.size(); ++i) ep[i] += 0.15 * bell[i];
    DecayEnvelope(ep, 0.003, 1.6);
    Normalize(ep, 0.9);
    Instrument ins = Make("e.piano", MakeSample(ep, true), 48, 128);
    ins.panning = Envelope({{0, 16}, {48, 48}, {96, 16}}, 1 | 4, 0, 0, 2);
    m.instruments.push_back(std::move(ins));
  }
  {
    Wave bass = Additive({1.0, 0.35, 0.12, 0.05}, 64, 1);
    Normalize(bass, 0.95);
    Instrument ins = Make("round bass", MakeSample(bass, true, Loop::Forward, 0, 64), 54, 128);
    ins.volume = Envelope({{0, 64}, {8, 56}, {40, 44}}, 1 | 2, 1);
    ins.fadeout = 2400;
    m.instruments.push_back(std::move(ins));
  }
  {
    Wave flute = Detuned({1.0, 0.2, 0.25, 0.05, 0.06}, 64, 64, 1);
    Noise n{5};
    Wave breath(flute.size());
    for (double& v : breath) v = n.next();
    Highpass(breath, 1500.0);
    for (std::size_t i = 0; i < flute.size(); ++i) flute[i] += 0.03 * breath[i];
    Normalize(flute, 0.9);
    Instrument ins = Make("flute", MakeSample(flute, true, Loop::Forward, 0, 4096), 50, 100);
    ins.volume = Envelope({{0, 0}, {5, 64}, {14, 54}}, 1 | 2, 2);
    ins.fadeout = 1200;
    ins.vibratoType = 0;
    ins.vibratoSweep = 60;
    ins.vibratoDepth = 6;
    ins.vibratoRate = 9;
    m.instruments.push_back(std::move(ins));
  }

  // --- parts ----------------------------------------------------------------
  DrumKit kit;
  kit.kick = kKick;
  kit.snare = kBrush;
  kit.hat = kShaker;
  kit.openHat = kShaker;
  kit.kickVolume = 52;
  kit.snareVolume = 44;
  kit.hatVolume = 34;  // the shaker carries the top of the mix
  kit.openVolume = 38;
  const auto progA = Chords("Dmaj7 Bm7 Gmaj7 A");
  const auto progB = Chords("Em7 A D Bm");
  const auto progC = Chords("G A F#m Bm");
  const std::string groove = "k.....h.s...h.h.";
  const std::string groove2 = "k.....h.s..kh.hh";
  auto drums = [&](const std::string& a, const std::string& b) { return DrumLine(a + b + a + b, kit); };

  auto pads = [&](const std::vector<Chord>& prog, int tone, int octave, bool release) {
    return PadLine(prog, 16, tone, kPad, octave, "", release);
  };
  const std::string leadA = "F#5:6 E-5:2 D-5:4 A-4:4 | B-4:6 C#5:2 D-5:4 F#5:4 | E-5:8 D-5:4 B-4:4 | "
                            "C#5:4 D-5:2 E-5:2 A-4:6 ==:2";
  const std::string leadA2 = "F#5:4 A-5:4 F#5:2 E-5:2 D-5:4 | B-4:4 D-5:4 F#5:4 E-5:4 | G-5:8,+402 F#5:4 D-5:4 | "
                             "E-5:12,+401 ==:4";
  const std::string leadB = "G-5:4 F#5:4 E-5:4 B-4:4 | C#5:4 E-5:4 A-5:6 ==:2 | F#5:6 E-5:2 D-5:4 A-4:4 | "
                            "B-4:8 D-5:4 F#5:4";
  const std::string leadB2 = "G-5:4 B-5:4 A-5:4 G-5:4 | A-5:6 G-5:2 E-5:4 C#5:4 | D-5:4 F#5:4,+308 A-5:8 | "
                             "B-5:12,+402 ==:4";

  auto pattern = [&](std::vector<Track> tracks) { m.patterns.push_back(MakePattern(tracks, m.channels)); };
  const Track none;

  // 0: intro. The global volume fades in over the first bars; the pads drift
  // apart in the stereo field with panning slides.
  {
    Track pad1 = pads(progA, 0, 3, false);
    Track pad2 = pads(progA, 2, 4, false);
    SetEffect(pad1, 0, 16, 0x08);
    for (int r = 1; r < 40; r += 4) SetEffect(pad1, r, 17, 0x10);
    for (int r = 2; r < 64; r += 8) SetEffect(pad2, r, 25, 0x20);  // drift left
    Track piano(kPiano);
    piano << "r:32 A-5:8,v24 F#5:8,v20 | E-5:8,v24 C#5:8,v20";
    pattern({none, none, pad1, pad2, piano});
  }
  // 1: the piano's broken chords and the bass join.
  {
    Track bass = BassLine(progA, "x.......=...x.=.", kBass, 2);
    SetEffect(bass, 0, 16, 0x40);
    Track piano = BrokenChords(progA, 4);
    Track pad1 = pads(progA, 1, 4, true);
    Track pad2 = pads(progA, 3, 4, true);
    SetEffect(pad2, 2, 25, 0x02);  // drift back right
    pattern({DrumLine("k...............k...............k...............k.......h.h.h.h.", kit), bass, pad1, pad2,
             piano});
  }
  // 2, 3: the flute's melody.
  for (int v = 0; v < 2; ++v) {
    Track bass = BassLine(progA, "x.......=...x.o.", kBass, 2);
    Track piano = BrokenChords(progA, 4);
    Track pad1 = pads(progA, 1, 4, true);
    Track flute(kFlute);
    flute << (v == 0 ? leadA : leadA2);
    pattern({drums(groove, groove2), bass, pad1, none, piano, flute});
  }
  // 4, 5: chorus with strings.
  for (int v = 0; v < 2; ++v) {
    Track bass = BassLine(progB, "x.....x.=...f.x.", kBass, 2);
    Track strings1 = PadLine(progB, 16, 0, kStrings, 4, "", true);
    Track strings2 = PadLine(progB, 16, 2, kStrings, 4, "", true);
    Track flute(kFlute);
    flute << (v == 0 ? leadB : leadB2);
    Track d = drums(groove2, groove);
    if (v == 1) SetEffect(d, 62, 0xE, 0xC2);
    pattern({d, bass, strings1, strings2, BrokenChords(progB, 4), flute});
  }
  // 6: interlude: pads with tremolo, the piano alone in the middle.
  {
    Track pad1 = pads(progC, 0, 3, true);
    Track pad2 = pads(progC, 2, 4, true);
    for (int r = 0; r < 64; r += 16) {
      SetEffect(pad1, r + 4, 7, 0x24);
      SetEffect(pad2, r + 4, 7, 0x34);
      for (int k = 5; k < 14; ++k) {
        SetEffect(pad1, r + k, 7, 0x00);
        SetEffect(pad2, r + k, 7, 0x00);
      }
    }
    Track piano(kPiano);
    piano << "D-5:4,v40 B-4:4,v30 G-4:8,v26 | E-5:4,v40 C#5:4,v30 A-4:8,v26 | "
             "C#5:4,v40 A-4:4,v30 F#4:8,v26 | D-5:4,v40 F#5:4,v34 B-5:8,v30";
    Track bass = BassLine(progC, "x...............", kBass, 2, 40);
    pattern({DrumLine("................................................k...k...k.k.kkkk", kit), bass, pad1, pad2,
             piano});
  }
  // 7, 8: the melody again, with portamento and a delayed echo.
  for (int v = 0; v < 2; ++v) {
    Track bass = BassLine(progA, "x.....x.=...x.o.", kBass, 2);
    Track pad1 = pads(progA, 1, 4, true);
    Track echo(kPiano);
    echo << "r:2 F#5:6,v20 r:8 | r:2 B-4:6,v20 r:8 | r:2 E-5:6,v20 r:8 | r:2 C#5:6,v20 r:8";
    SetEffect(echo, 2, 0xE, 0xD3);
    Track flute(kFlute);
    flute << (v == 0 ? "F#5:6 E-5:2 D-5:4 A-4:4 | B-4:6 C#5:2 D-5:4 F#5:4,+310 | E-5:4,+401 .:4,+601 D-5:4 B-4:4 | "
                       "C#5:4 D-5:2 E-5:2 A-4:6 ==:2"
                     : leadA2);
    pattern({drums(groove, groove2), bass, pad1, echo, BrokenChords(progA, 4), flute});
  }
  // 9: chorus.
  {
    Track bass = BassLine(progB, "x.....x.=...f.x.", kBass, 2);
    Track strings1 = PadLine(progB, 16, 0, kStrings, 4, "", true);
    Track strings2 = PadLine(progB, 16, 1, kStrings, 5, "", true);
    Track flute(kFlute);
    flute << leadB2;
    pattern({drums(groove2, groove2), bass, strings1, strings2, BrokenChords(progB, 4), flute});
  }
  // 10: bridge, the flute up high over the strings.
  {
    Track bass = BassLine(progC, "x.......x...o...", kBass, 2);
    Track strings1 = PadLine(progC, 16, 0, kStrings, 4, "", true);
    Track strings2 = PadLine(progC, 16, 2, kStrings, 4, "", true);
    Track flute(kFlute);
    flute << "D-6:4 C#6:4 B-5:8 | C#6:8,+402 B-5:4 A-5:4 | F#5:8 A-5:4 C#6:4 | B-5:12,+403 ==:4";
    pattern({drums(groove, groove2), bass, strings1, strings2, BrokenChords(progC, 4), flute});
  }
  // 11: outro: everything is released and the global volume sinks before
  // the song starts over.
  {
    Track pad1 = pads(progA, 0, 3, true);
    Track pad2 = pads(progA, 2, 4, true);
    for (int r = 32; r < 64; r += 4) SetEffect(pad1, r + 1, 17, 0x01);
    Track piano = BrokenChords(Chords("Dmaj7 Bm7"), 4);
    piano << "D-5:16,v30 | ==:16";
    Track flute(kFlute);
    flute << "F#5:6 E-5:2 D-5:8 | B-4:6 C#5:2 A-4:8 | D-5:14,+401 ==:2";
    Track bass = BassLine(progA, "x.......=.......", kBass, 2);
    pattern({DrumLine("k...............k...............", kit), bass, pad1, pad2, piano, flute});
  }
  m.orders = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
  ScaleVolumes(m, 0.870);  // the level every tune and module plays at
  return m;
}

}  // namespace korveld::xmgen
