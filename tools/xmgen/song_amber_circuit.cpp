// Tune 1, "Amber Circuit": bright chip-pop in A minor. Four channels (drums,
// bass, arpeggio chords, lead), 8-bit samples, the Amiga frequency table,
// speed 6 at 125 BPM. The intro plays once; the last pattern jumps back to
// the first verse.
#include <cmath>

#include "content/xm/xm_modules.hpp"
#include "tools/xmgen/songs.hpp"

namespace korveld::xmgen {
namespace {

enum : int { kKick = 1, kSnare, kHat, kOpenHat, kBass, kArp, kLead, kBell, kPluck };

Wave Kick() {
  Wave w(static_cast<std::size_t>(0.35 * kSynthRate));
  double phase = 0.0;
  Noise noise{7};
  for (std::size_t i = 0; i < w.size(); ++i) {
    const double t = static_cast<double>(i) / kSynthRate;
    const double f = 44.0 + 120.0 * std::exp(-t * 28.0);
    phase += 2.0 * kPi * f / kSynthRate;
    w[i] = std::sin(phase) * std::exp(-t * 8.0) + (t < 0.004 ? 0.5 * noise.next() : 0.0);
  }
  Normalize(w, 0.95);
  return w;
}

Wave Snare(double decay) {
  Wave tone(static_cast<std::size_t>(0.3 * kSynthRate));
  Wave noise(tone.size());
  Noise n{99};
  for (std::size_t i = 0; i < tone.size(); ++i) {
    const double t = static_cast<double>(i) / kSynthRate;
    tone[i] = 0.6 * std::sin(2.0 * kPi * 185.0 * t) * std::exp(-t * 22.0);
    noise[i] = n.next();
  }
  Highpass(noise, 900.0);
  DecayEnvelope(noise, 0.0, decay);
  for (std::size_t i = 0; i < tone.size(); ++i) tone[i] += noise[i];
  Normalize(tone, 0.9);
  return tone;
}

// Rendered at twice the synthesis rate and played an octave up (relative
// note 24), so the noise reaches 16 kHz instead of stopping at 8: the
// highpass and the decay are halved to sound at their stated values.
Sample Hat(double seconds, double decay, std::uint32_t seed) {
  Wave w(static_cast<std::size_t>(2 * seconds * kSynthRate));
  Noise n{seed};
  for (double& v : w) v = n.next();
  Highpass(w, 2100.0);
  Highpass(w, 2100.0);
  DecayEnvelope(w, 0.0, decay / 2);
  Normalize(w, 0.8);
  Sample s = MakeSample(w, false);
  s.relativeNote = 24;
  return s;
}

}  // namespace

Module ComposeAmberCircuit() {
  Module m;
  m.name = std::string(content::kXmCredits[1].title);
  m.channels = 4;
  m.linear = false;
  m.speed = 6;
  m.bpm = 125;

  // --- instruments (8-bit) -----------------------------------------------
  m.instruments.push_back(Make("kick", MakeSample(Kick(), false), 64, 128));
  m.instruments.push_back(Make("snare", MakeSample(Snare(14.0), false), 60, 140));
  m.instruments.push_back(Make("hat", Hat(0.07, 45.0, 3), 40, 170));
  m.instruments.push_back(Make("open hat", Hat(0.4, 7.0, 5), 40, 170));
  {
    Wave bass = Saw(64, 1, 14);
    Wave sub = Additive({1.0}, 64, 1);
    for (std::size_t i = 0; i < bass.size(); ++i) bass[i] = 0.6 * bass[i] + 0.5 * sub[i];
    Normalize(bass, 0.95);
    m.instruments.push_back(Make("bass", MakeSample(bass, false, Loop::Forward, 0, 64), 52, 128));
  }
  {
    Wave sq = Square(64, 1, 15, 0.5);
    Normalize(sq, 0.9);
    m.instruments.push_back(Make("chip arp", MakeSample(sq, false, Loop::Forward, 0, 64), 34, 96));
  }
  {
    std::vector<double> pulse;
    for (int k = 1; k <= 14; ++k) pulse.push_back(std::fabs(std::sin(kPi * k * 0.25)) / k);
    Wave lead = Detuned(pulse, 64, 64, 1);
    Normalize(lead, 0.9);
    m.instruments.push_back(Make("lead", MakeSample(lead, false, Loop::Forward, 0, 4096), 44, 160));
  }
  {
    Wave bell = Fm(kC4 * 2, 3.5, 3.0, 3.0, 1.3);
    DecayEnvelope(bell, 0.002, 2.6);
    Normalize(bell, 0.9);
    Sample s = MakeSample(bell, false);
    s.relativeNote = 0;  // rendered an octave up: plays at the written pitch
    m.instruments.push_back(Make("bell", s, 40, 110));
  }
  {
    Wave pluck = Pluck(kC4, 1.0, 0.996, 17);
    Normalize(pluck, 0.9);
    m.instruments.push_back(Make("pluck", MakeSample(pluck, false), 46, 150));
  }

  // --- parts ----------------------------------------------------------------
  DrumKit kit;
  kit.kick = kKick;
  kit.snare = kSnare;
  kit.hat = kHat;
  kit.openHat = kOpenHat;
  kit.hatVolume = 36;  // the hats carry the top of the mix
  const std::string beat = "k.h.s.h.k.h.s.hh";
  const std::string beat2 = "k.h.s.hkk.h.s.ho";
  const std::string fill = "k.h.s.h.k.s.rrss";
  auto drums = [&](const std::string& a, const std::string& b, const std::string& c, const std::string& d) {
    return DrumLine(a + b + c + d, kit);
  };
  const auto progA = Chords("Am F C G");
  const auto progB = Chords("F G Em Am");
  const auto progC = Chords("Dm Em F G");
  const auto progD = Chords("Dm Am Bb E");
  const std::string bassRhythm = "x..xo.x.x..xo.f.";
  const std::string bassRhythm2 = "x.x.o.x.x.x.o.xf";

  const std::string m1a = "E-5:4 A-5:4 G-5:2 E-5:2 C-5:4 | C-5:2 D-5:2 F-5:4 E-5:2 D-5:2 C-5:4 | "
                          "E-5:6,+401 D-5:2 C-5:2 D-5:2 E-5:4 |";
  const std::string m1End = "D-5:8,+402 B-4:4 G-4:4";
  const std::string m1bEnd = "D-5:2 E-5:2 G-5:4,+401 B-5:4,+320 .:4,+201";
  const std::string m2 = "A-5:4 G-5:2 F-5:2 E-5:4 C-5:4 | D-5:2 E-5:2 D-5:2 B-4:2 G-4:8,+401 | "
                         "B-4:2 C-5:2 B-4:2 G-4:2 E-5:8,+402 |";
  const std::string m2End = "A-4:8,+403 .:4,+A04 r:4";
  const std::string m2bEnd = "A-4:2 C-5:2 E-5:2 A-5:10,+404";
  const std::string bells = "F-5:4 A-5:4 D-6:8 | E-5:4 G-5:4 B-5:8 | A-5:4 C-6:4 F-5:8 | G-5:4 B-5:4 D-6:4 G-5:4";

  auto pattern = [&](std::vector<Track> tracks) { m.patterns.push_back(MakePattern(tracks, m.channels)); };

  // 0: intro. The global volume rises from 16 while the arpeggio fades in.
  {
    Track d = drums("k.......h.......", "k.......h.......", "k.......h...h...", "k.......h.h.hhhh");
    SetEffect(d, 0, 16, 0x10);  // G10
    SetEffect(d, 1, 17, 0x20);  // H20: the global volume slides up
    for (int r = 16; r < 64; r += 16) SetEffect(d, r, 17, 0x20);
    Track bass = BassLine(progA, "x...............", kBass, 2, 40);
    Track arp = ArpLine(progA, "x---------------", kArp, 4, 16);
    for (int r = 0; r < 64; ++r) {
      if (r % 16 == 0) SetVolumeColumn(arp, r, 0x10 + 16 + 5 * (r / 16));
      if (r % 4 == 2) SetVolumeColumn(arp, r, 0x91);  // small steps up in between
    }
    Track lead(kLead);
    lead << "r:48 E-4:4,C14 A-4:12,+302";  // a slow glide into the verse
    SetVolumeColumn(lead, 52, 0x10 + 36);
    pattern({d, bass, arp, lead});
  }
  // 1, 2: verse.
  for (int v = 0; v < 2; ++v) {
    Track d = drums(beat, beat, beat, v == 0 ? beat2 : fill);
    Track bass = BassLine(progA, bassRhythm, kBass, 2);
    if (v == 0) {
      SetEffect(d, 0, 15, 6);  // the speed and global volume a verse starts with
      SetEffect(bass, 0, 16, 0x40);
    }
    Track arp = ArpLine(progA, "x---------------", kArp, 4);
    Track lead(kLead);
    lead << m1a << (v == 0 ? m1End : m1bEnd);
    pattern({d, bass, arp, lead});
  }
  // 3, 4: chorus.
  for (int v = 0; v < 2; ++v) {
    Track d = drums(beat2, beat, beat2, v == 0 ? beat : fill);
    Track bass = BassLine(progB, bassRhythm2, kBass, 2);
    Track arp = ArpLine(progB, "x-----=.x-----=.", kArp, 4);
    Track lead(kLead);
    lead << m2 << (v == 0 ? m2End : m2bEnd);
    pattern({d, bass, arp, lead});
  }
  // 5, 6: bridge with bells, then plucks answering them.
  for (int v = 0; v < 2; ++v) {
    Track d = drums("k...h...s...h...", "k...h...s...h.h.", "k...h...s...h...", v == 0 ? "k...h...s.h.h.hh" : fill);
    Track bass = BassLine(v == 0 ? progC : progD, "x.......x...o...", kBass, 2);
    Track chords(kPluck);
    if (v == 0) {
      chords = ArpLine(progC, "x-------x-------", kArp, 3, 24);
    } else {
      chords << "D-4:4 F-4:4 A-4:8 | A-3:4 C-4:4 E-4:8 | A#3:4 D-4:4 F-4:8 | G#3:4 B-3:4 E-4:4,E93 .:4,+A02";
    }
    Track bell(kBell);
    bell << (v == 0 ? bells : "F-5:4 A-5:4 D-6:8 | E-5:4 A-5:4 C-6:8 | D-5:4 F-5:4 A#5:8 | E-5:4 G#5:4 B-5:8");
    if (v == 1) SetEffect(bell, 62, 0xE, 0x8C);  // E8C: pan right for the last note
    pattern({d, bass, chords, bell});
  }
  // 7: break, cut short by a pattern break after three bars.
  {
    Track d = drums("k.......k.......", "k...s...k...s...", "k.s.k.s.rrrrrrrr", "");
    Track bass(kBass);
    bass << "A-2:4 .:4,+204 A-2:2 C-3:2,310 E-3:4 | F-2:8 F-3:4,E93 F-2:4 | C-3:4 .:4,+104 G-2:8,+303";
    Track arp = ArpLine(Chords("Am F C"), "x.=.x.=.x.=.x-=.", kArp, 4, 28);
    SetEffect(arp, 47, 0xD, 0x00);
    Track lead(kLead);
    lead << "r:32 E-5:2,902 E-5:2,904 E-5:2,906 E-5:2,908 G-5:8,+704";
    pattern({d, bass, arp, lead});
  }
  // 8, 9: verse an octave up.
  for (int v = 0; v < 2; ++v) {
    Track d = drums(beat, beat2, beat, v == 0 ? beat2 : fill);
    Track bass = BassLine(progA, bassRhythm2, kBass, 2);
    Track arp = ArpLine(progA, "x---------------", kArp, 3);
    Track lead(kLead, 12);
    lead << "E-4:4 A-4:4 G-4:2 E-4:2 C-4:4 | C-4:2 D-4:2 F-4:4 E-4:2 D-4:2 C-4:4 | "
            "E-4:6,+401 D-4:2 C-4:2 D-4:2 E-4:4 |"
         << (v == 0 ? "D-4:8,+402 B-3:4 G-3:4" : "D-4:2 E-4:2 G-4:4 B-3:8,+402");
    pattern({d, bass, arp, lead});
  }
  // 10: chorus again; 11: chorus with its last bar played twice.
  for (int v = 0; v < 2; ++v) {
    Track d = drums(beat2, beat, beat2, fill);
    Track bass = BassLine(progB, bassRhythm2, kBass, 2);
    Track arp = ArpLine(progB, "x-----=.x-----=.", kArp, 4);
    Track lead(kLead);
    lead << m2 << (v == 0 ? m2bEnd : "A-4:2 C-5:2 E-5:2 A-5:10,+404");
    if (v == 1) {
      SetEffect(bass, 48, 0xE, 0x60);
      SetEffect(bass, 63, 0xE, 0x61);
    }
    pattern({d, bass, arp, lead});
  }
  // 12: outro turnaround, back to the first verse.
  {
    Track d = drums(beat, beat, beat2, "k.h.s.h.k.s.rrrr");
    Track bass = BassLine(progD, bassRhythm, kBass, 2);
    Track arp = ArpLine(progD, "x---------------", kArp, 4);
    Track lead(kLead);
    lead << "D-5:4 F-5:4 A-5:8,+401 | C-5:4 E-5:4 A-5:8,+401 | A#4:4 D-5:4 F-5:8 | G#4:8,+402 B-4:4 E-5:4";
    SetEffect(bass, 63, 0xB, 0x01);
    pattern({d, bass, arp, lead});
  }
  m.orders = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  ScaleVolumes(m, 0.746);  // the level every tune and module plays at
  return m;
}

}  // namespace korveld::xmgen
