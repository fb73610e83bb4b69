// Tune 3, "Copper Rain": a swung funk vamp in E minor. Four channels (drums,
// slap bass, chord stabs and organ, lead), 8-bit samples with ping-pong
// loops, the Amiga frequency table, speed 6 at 112 BPM. After the last
// pattern the song restarts at its second order entry.
#include <cmath>

#include "content/xm/xm_modules.hpp"
#include "tools/xmgen/songs.hpp"

namespace korveld::xmgen {
namespace {

enum : int { kKick = 1, kSnare, kHat, kClap, kBass, kStabMin7, kStabDom7, kStabMaj7, kOrgan, kLead };

Wave Drum(double seconds, double toneHz, double toneDecay, double noiseAmount, double noiseDecay, double highpass,
          std::uint32_t seed, double sweep = 0.0) {
  Wave w(static_cast<std::size_t>(seconds * kSynthRate));
  Wave n(w.size());
  Noise noise{seed};
  for (double& v : n) v = noise.next();
  if (highpass > 0) Highpass(n, highpass);
  double phase = 0.0;
  for (std::size_t i = 0; i < w.size(); ++i) {
    const double t = static_cast<double>(i) / kSynthRate;
    phase += 2.0 * kPi * toneHz * (1.0 + sweep * std::exp(-t * 30.0)) / kSynthRate;
    w[i] = std::sin(phase) * std::exp(-t * toneDecay) + noiseAmount * n[i] * std::exp(-t * noiseDecay);
  }
  Normalize(w, 0.92);
  return w;
}

// A clavinet-like chord stab: odd-heavy partials on each chord tone, a quick
// decay into a quieter sustain that a ping-pong loop holds.
Sample Stab(const std::vector<int>& intervals) {
  const std::size_t length = static_cast<std::size_t>(0.6 * kSynthRate);
  Wave w(length, 0.0);
  for (int interval : intervals) {
    const double f = kC4 * std::pow(2.0, interval / 12.0);
    for (int k = 1; k <= 7; ++k) {
      const double amp = (k % 2 ? 1.0 : 0.45) / k;
      if (f * k > kSynthRate / 2) break;
      for (std::size_t i = 0; i < length; ++i) {
        w[i] += amp * std::sin(2.0 * kPi * f * k * static_cast<double>(i) / kSynthRate + k);
      }
    }
  }
  for (std::size_t i = 0; i < length; ++i) {
    const double t = static_cast<double>(i) / kSynthRate;
    w[i] *= std::min(1.0, t / 0.002) * (0.35 + 0.65 * std::exp(-t * 14.0));
  }
  Normalize(w, 0.9);
  return MakeSample(w, false, Loop::PingPong, static_cast<std::uint32_t>(length) - 1600, 1500);
}

// Swing: hats on the second sixteenth of each beat come two ticks late.
void Swing(Track& drums) {
  for (int r = 0; r < drums.length(); ++r) {
    Cell& c = drums.rows[static_cast<std::size_t>(r)];
    if (r % 4 == 2 && c.instrument == kHat && c.effect == 0 && c.parameter == 0) {
      c.effect = 0xE;
      c.parameter = 0xD2;
    }
  }
}

Track StabLine(const std::vector<Chord>& chords, std::string_view rhythm, int octave) {
  Track t;
  bool left = true;
  for (const Chord& c : chords) {
    const int instrument = c.third == 3 ? kStabMin7 : (c.seventh == 11 ? kStabMaj7 : kStabDom7);
    for (char ch : rhythm) {
      Cell cell;
      if (ch == 'x' || ch == 'X') {
        cell.note = static_cast<std::uint8_t>(octave * 12 + c.root + 1);
        cell.instrument = static_cast<std::uint8_t>(instrument);
        if (ch == 'x') {
          cell.effect = 0xE;
          cell.parameter = 0xC3;  // cut short
        } else {
          cell.effect = 0x8;
          cell.parameter = left ? 0xB0 : 0x50;  // the long stabs alternate sides
          left = !left;
        }
      } else if (ch != '.') {
        Fail(std::string("bad stab step ") + ch);
      }
      t.rows.push_back(cell);
    }
  }
  return t;
}

}  // namespace

Module ComposeCopperRain() {
  Module m;
  m.name = std::string(content::kXmCredits[3].title);
  m.channels = 4;
  m.linear = false;
  m.speed = 6;
  m.bpm = 112;
  m.restart = 1;

  // --- instruments (8-bit) -----------------------------------------------
  m.instruments.push_back(Make("kick", MakeSample(Drum(0.3, 50.0, 9.0, 0.2, 80.0, 0.0, 3, 2.5), false), 64, 128));
  m.instruments.push_back(Make("snare", MakeSample(Drum(0.25, 210.0, 25.0, 1.0, 16.0, 1200.0, 8), false), 52, 112));
  {
    // Rendered at twice the rate, halved highpass and decay, and played an
    // octave up: the same hat with noise up to 16 kHz.
    Sample hat = MakeSample(Drum(0.12, 0.0, 0.0, 1.0, 27.5, 2500.0, 12), false);
    hat.relativeNote = 24;
    m.instruments.push_back(Make("hat", hat, 36, 150));
  }
  {
    // Three quick noise bursts: a hand clap.
    Wave w(static_cast<std::size_t>(0.25 * kSynthRate));
    Noise n{21};
    for (std::size_t i = 0; i < w.size(); ++i) {
      const double t = static_cast<double>(i) / kSynthRate;
      const double burst = t < 0.03 ? std::exp(-std::fmod(t, 0.01) * 300.0) : std::exp(-(t - 0.03) * 18.0);
      w[i] = n.next() * burst;
    }
    Highpass(w, 1000.0);
    Lowpass(w, 5000.0);
    Normalize(w, 0.9);
    m.instruments.push_back(Make("clap", MakeSample(w, false), 48, 128));
  }
  {
    Wave pluck = Pluck(kC4, 1.2, 0.994, 40);
    Wave sub = Additive({1.0}, 64, static_cast<int>(pluck.size() / 64));
    sub.resize(pluck.size());
    for (std::size_t i = 0; i < pluck.size(); ++i) {
      const double t = static_cast<double>(i) / kSynthRate;
      pluck[i] = 0.8 * pluck[i] + 0.6 * sub[i] * std::exp(-t * 2.5);
    }
    Normalize(pluck, 0.95);
    m.instruments.push_back(Make("slap bass", MakeSample(pluck, false), 60, 128));
  }
  m.instruments.push_back(Make("stab m7", Stab({0, 7, 10, 15}), 40, 128));
  m.instruments.push_back(Make("stab 7", Stab({0, 7, 10, 16}), 40, 128));
  m.instruments.push_back(Make("stab maj7", Stab({0, 7, 11, 16}), 40, 128));
  {
    Wave organ = Detuned({1.0, 0.8, 0.55, 0.3, 0.0, 0.2, 0.0, 0.25}, 64, 32, 1);
    Normalize(organ, 0.9);
    m.instruments.push_back(Make("organ", MakeSample(organ, false, Loop::PingPong, 0, 2048), 44, 90));
  }
  {
    Wave lead = Detuned({1.0, 0.5, 0.33, 0.25, 0.2, 0.16, 0.14, 0.12, 0.1, 0.09}, 64, 64, 1);
    Lowpass(lead, 4000.0);
    Normalize(lead, 0.9);
    Instrument ins = Make("lead", MakeSample(lead, false, Loop::PingPong, 0, 4096), 50, 160);
    ins.vibratoType = 1;
    ins.vibratoSweep = 80;
    ins.vibratoDepth = 3;
    ins.vibratoRate = 12;
    m.instruments.push_back(std::move(ins));
  }

  // --- parts ----------------------------------------------------------------
  DrumKit kit;
  kit.kick = kKick;
  kit.snare = kSnare;
  kit.hat = kHat;
  kit.openHat = kClap;
  kit.hatVolume = 46;
  kit.openVolume = 44;
  const std::string f1 = "k.h.s.h.h.k.s.hh";
  const std::string f2 = "k.hks.h.h.khs.hg";
  const std::string f3 = "k.h.o.h.h.k.o.hh";
  const std::string fill = "k.s.s.s.rrrrssgs";
  auto drums = [&](const std::string& a, const std::string& b, const std::string& c, const std::string& d) {
    Track t = DrumLine(a + b + c + d, kit);
    Swing(t);
    return t;
  };
  const auto vamp = Chords("Em7 A7 Em7 A7");
  const auto progB1 = Chords("Cmaj7 B7 Em7 Em7");
  const auto progB2 = Chords("Am7 D7 Gmaj7 B7");
  const std::string bassVamp = "E-2:2 ==:1 E-3:1,904 ==:2 E-2:1 G-2:1 ==:2 A-2:2 B-2:1 D-3:1 E-3:2 | "
                               "A-2:2 ==:1 A-3:1,904 ==:2 A-2:1 C#3:1 ==:2 E-3:2 G-3:1 A-3:1 G-3:2 |";
  const std::string stabs = ".....x..X.....x.";
  const std::string riff1 = "B-4:2 D-5:2 E-5:1 r:1 D-5:2 B-4:2 A-4:2 G-4:2 E-4:2 | "
                            "r:4 G-4:2 A-4:2 B-4:1 D-5:1 E-5:6,+401 |";
  const std::string riff2 = "E-5:3 D-5:1 B-4:2 D-5:2 E-5:2 G-5:2 E-5:4,+302 | "
                            "D-5:2 B-4:2 A-4:2 G-4:2 A-4:8,+402 |";

  auto pattern = [&](std::vector<Track> tracks) { m.patterns.push_back(MakePattern(tracks, m.channels)); };

  // 0: intro: drums with a stuttering hat, the bass comes in on the last bar.
  {
    Track d = drums(f1, f1, f1, fill);
    SetEffect(d, 0, 16, 0x40);
    SetEffect(d, 3, 0x1B, 0x83);  // the second hat stutters (multi retrigger)
    SetEffect(d, 19, 0x1B, 0x83);
    Track bass(kBass);
    bass << "r:48 E-2:2 ==:2 E-2:2 G-2:2 A-2:2 B-2:2 D-3:2 D#3:2,+302";
    pattern({d, bass});
  }
  // 1: the vamp with stabs.
  {
    Track bass(kBass);
    bass << bassVamp << bassVamp;
    Track d = drums(f1, f2, f1, f2);
    SetEffect(d, 0, 16, 0x40);  // full volume again after the outro's fade
    pattern({d, bass, StabLine(vamp, stabs, 4)});
  }
  // 2, 3: the lead's riffs.
  for (int v = 0; v < 2; ++v) {
    Track bass(kBass);
    bass << bassVamp << bassVamp;
    Track lead(kLead);
    lead << (v == 0 ? riff1 : riff2) << (v == 0 ? riff1 : riff2);
    pattern({drums(f1, f2, f1, v == 0 ? f2 : fill), bass, StabLine(vamp, stabs, 4), lead});
  }
  // 4, 5: the B section: organ with tremor, the lead sings.
  for (int v = 0; v < 2; ++v) {
    const auto& prog = v == 0 ? progB1 : progB2;
    Track bass = BassLine(prog, "x.=x..o=x.f=7.o=", kBass, 2);
    Track organ = PadLine(prog, 16, 1, kOrgan, 4, "+T31");
    for (int r = 0; r < 64; ++r) {
      if (r % 16 != 0) SetEffect(organ, r, 0x1D, 0x00);  // tremor continues from memory
    }
    Track lead(kLead);
    lead << (v == 0 ? "G-5:6 E-5:2 B-4:8,+401 | D#5:6 F#5:2 B-5:8,+402 | G-5:4 F#5:2 E-5:2 D-5:4 B-4:4 | "
                      "E-5:16,+401"
                    : "C-5:4 E-5:4 A-5:8 | A-5:4 F#5:4 D-5:8 | B-4:4 D-5:4 G-5:8 | F#5:4 D#5:4 B-4:8,+403");
    pattern({drums(f3, f2, f3, v == 0 ? f2 : fill), bass, organ, lead});
  }
  // 6: breakdown: the second bar is played three times, then a held hit.
  {
    Track d = DrumLine("k.......s.......k.....k.s.....g.k.......s.......k.k.s.s.s.s.rrrr", kit);
    SetEffect(d, 16, 0xE, 0x60);
    SetEffect(d, 31, 0xE, 0x62);
    Track bass(kBass);
    bass << "E-2:8 E-3:4,904 D-3:2 B-2:2 | E-2:2 ==:2 G-2:2 A-2:2 A#2:2 B-2:6,+201 | "
            "E-2:8 G-2:4 A-2:4 | B-2:4,X12 .:4,+X12 B-2:2 A-2:2 G-2:2 F#2:2";
    SetEffect(bass, 63, 0xE, 0xE3);  // the last row lasts four times as long
    Track stab = StabLine(Chords("Em7 Em7 Em7 B7"), "X...............", 4);
    pattern({d, bass, stab});
  }
  // 7: the vamp with organ stabs.
  {
    Track bass(kBass);
    bass << bassVamp << bassVamp;
    Track organ(kOrgan);
    organ << "r:4 E-5:2,EC3 r:2 G-5:4,+T11 ==:4 | r:4 E-5:2,EC3 r:2 C#5:4,+T11 ==:4 | "
             "r:4 E-5:2,EC3 r:2 G-5:4,+T11 ==:4 | r:4 A-5:2,EC3 r:2 G-5:4,+T11 D-5:4,+301";
    Track lead(kLead);
    lead << "r:48 B-4:2 D-5:2 E-5:2 G-5:2 A-5:4,+501 B-5:4,+401";
    pattern({drums(f1, f2, f1, f2), bass, organ, lead});
  }
  // 8, 9: the lead's solo.
  for (int v = 0; v < 2; ++v) {
    Track bass(kBass);
    bass << bassVamp << bassVamp;
    Track lead(kLead);
    if (v == 0) {
      lead << "E-5:1 G-5:1 A-5:1 B-5:1 D-6:4,+401 B-5:2 A-5:2 G-5:2 E-5:2 | "
              "A-5:4,+R82 G-5:2,X12 E-5:2,X21 D-5:4 B-4:4 | "
              "E-5:2 G-5:2 A-5:2 B-5:2 C#6:2 B-5:2 A-5:4,+501 | B-5:8,+601 r:4 E-5:1 D-5:1 B-4:2";
    } else {
      lead << "G-5:2 A-5:2 B-5:2 D-6:2 E-6:8,+402 | D-6:2 B-5:2 A-5:2 G-5:2 E-5:4,E12 D-5:4,E22 | "
              "E-5:4,+R42 G-5:4 A-5:4 B-5:4 | E-6:12,+403 ==:4";
    }
    pattern({drums(f2, f2, f1, v == 0 ? f2 : fill), bass, StabLine(vamp, ".....x..X.....xx", 4), lead});
  }
  // 10: outro: the vamp fades with the global volume, then the song starts
  // over from the vamp.
  {
    Track d = drums(f1, f2, f1, f2);
    for (int r = 32; r < 64; r += 4) SetEffect(d, r + 1, 17, 0x01);
    Track bass(kBass);
    bass << bassVamp << bassVamp;
    Track lead(kLead);
    lead << riff1 << "E-5:16,+401";
    pattern({d, bass, StabLine(vamp, stabs, 4), lead});
  }
  m.orders = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 4, 5, 10};
  ScaleVolumes(m, 1.330);  // the level every tune and module plays at
  return m;
}

}  // namespace korveld::xmgen
