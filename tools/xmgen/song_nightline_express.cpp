// Tune 4, "Nightline Express": driving night-train trance in C minor. Eight
// channels (kick, clap, hats, bass, plucks, two pads, lead), 16-bit samples,
// the linear frequency table, speed 6 at 138 BPM. The pads are gated with
// tremor, a noise riser climbs with portamento before the drop, and a vocal
// sample is chopped with sample offsets.
#include <cmath>

#include "content/xm/xm_modules.hpp"
#include "tools/xmgen/songs.hpp"

namespace korveld::xmgen {
namespace {

enum : int { kKick = 1, kClap, kHat, kOpenHat, kBass, kPluck, kPad, kLead, kRiser, kVox };

EnvelopeSpec Envelope(std::vector<std::array<std::uint16_t, 2>> points, int type, int sustain = 0) {
  EnvelopeSpec e;
  e.points = std::move(points);
  e.type = static_cast<std::uint8_t>(type);
  e.sustain = static_cast<std::uint8_t>(sustain);
  return e;
}

// Sixteenth-note plucks over each chord: root, fifth, octave, tenth, ...
Track Plucks(const std::vector<Chord>& chords, int octave, int volume) {
  Track t(kPluck);
  for (const Chord& c : chords) {
    const int tones[8] = {0, c.fifth, 12, 12 + c.third, 19, 12 + c.third, 12, c.fifth};
    for (int i = 0; i < 16; ++i) {
      const int semis = c.root + tones[i % 8];
      const int v = i % 4 == 0 ? volume : volume - 12;
      // Only the first note of a chord names the instrument, so pan and
      // volume carry over between the notes of one chord.
      t << NoteName(semis % 12, octave + semis / 12) + ",v" + std::to_string(v) + (i == 0 ? "" : ",i0");
    }
  }
  return t;
}

// A gated pad: tremor on every row after the first (on 3 ticks, off 3).
Track GatedPad(const std::vector<Chord>& chords, int tone, int octave) {
  Track t = PadLine(chords, 16, tone, kPad, octave, "T22");
  for (int r = 0; r < t.length(); ++r) {
    if (r % 16 != 0) SetEffect(t, r, 0x1D, 0x00);
  }
  return t;
}

}  // namespace

Module ComposeNightlineExpress() {
  Module m;
  m.name = std::string(content::kXmCredits[4].title);
  m.channels = 8;
  m.linear = true;
  m.speed = 6;
  m.bpm = 138;

  // --- instruments (16-bit) --------------------------------------------------
  {
    Wave w(static_cast<std::size_t>(0.4 * kSynthRate));
    double phase = 0.0;
    for (std::size_t i = 0; i < w.size(); ++i) {
      const double t = static_cast<double>(i) / kSynthRate;
      phase += 2.0 * kPi * (50.0 + 160.0 * std::exp(-t * 35.0)) / kSynthRate;
      w[i] = std::tanh(1.6 * std::sin(phase)) * std::exp(-t * 7.0);
    }
    Normalize(w, 0.95);
    m.instruments.push_back(Make("kick", MakeSample(w, true), 60, 128));
  }
  {
    Wave w(static_cast<std::size_t>(0.3 * kSynthRate));
    Noise n{41};
    for (std::size_t i = 0; i < w.size(); ++i) {
      const double t = static_cast<double>(i) / kSynthRate;
      const double burst = t < 0.025 ? std::exp(-std::fmod(t, 0.008) * 350.0) : std::exp(-(t - 0.025) * 14.0);
      w[i] = n.next() * burst;
    }
    Highpass(w, 900.0);
    Lowpass(w, 6000.0);
    Normalize(w, 0.9);
    m.instruments.push_back(Make("clap", MakeSample(w, true), 46, 120));
  }
  for (int k = 0; k < 2; ++k) {
    Wave w(static_cast<std::size_t>((k == 0 ? 0.06 : 0.3) * kSynthRate));
    Noise n{static_cast<std::uint32_t>(50 + k)};
    for (double& v : w) v = n.next();
    Highpass(w, 5500.0);
    Highpass(w, 5500.0);
    DecayEnvelope(w, 0.0, k == 0 ? 60.0 : 9.0);
    Normalize(w, 0.8);
    m.instruments.push_back(Make(k == 0 ? "hat" : "open hat", MakeSample(w, true), k == 0 ? 30 : 26, 150));
  }
  {
    Wave bass = Saw(64, 1, 16);
    Lowpass(bass, 1800.0);
    Lowpass(bass, 1800.0);
    Wave sub = Additive({1.0}, 64, 1);
    for (std::size_t i = 0; i < bass.size(); ++i) bass[i] += 0.7 * sub[i];
    Normalize(bass, 0.95);
    Instrument ins = Make("bass", MakeSample(bass, true, Loop::Forward, 0, 64), 50, 128);
    ins.volume = Envelope({{0, 64}, {8, 44}, {30, 30}}, 1 | 2, 2);
    ins.fadeout = 3000;
    m.instruments.push_back(std::move(ins));
  }
  {
    Wave p = Pluck(kC4 * 2, 0.5, 0.992, 9);
    Lowpass(p, 5000.0);
    Normalize(p, 0.9);
    Sample s = MakeSample(p, true);
    s.relativeNote = 0;  // rendered an octave up
    m.instruments.push_back(Make("pluck", s, 42, 100));
  }
  {
    std::vector<double> saw;
    for (int k = 1; k <= 16; ++k) saw.push_back(1.0 / k);
    Wave pad = Detuned(saw, 64, 128, 1);
    Lowpass(pad, 3000.0);
    Normalize(pad, 0.9);
    Instrument ins = Make("supersaw", MakeSample(pad, true, Loop::Forward, 0, 8192), 34, 128);
    ins.volume = Envelope({{0, 20}, {6, 64}, {20, 56}}, 1 | 2, 2);
    ins.fadeout = 700;
    m.instruments.push_back(std::move(ins));
  }
  {
    std::vector<double> sq;
    for (int k = 1; k <= 15; ++k) sq.push_back(k % 2 ? 1.0 / k : 0.12 / k);
    Wave lead = Detuned(sq, 64, 64, 1);
    Normalize(lead, 0.9);
    Instrument ins = Make("lead", MakeSample(lead, true, Loop::Forward, 0, 4096), 46, 128);
    ins.volume = Envelope({{0, 40}, {3, 64}, {12, 54}}, 1 | 2, 2);
    ins.fadeout = 1500;
    ins.vibratoType = 0;
    ins.vibratoSweep = 50;
    ins.vibratoDepth = 5;
    ins.vibratoRate = 14;
    m.instruments.push_back(std::move(ins));
  }
  {
    Wave noise(4096);
    Noise n{66};
    for (double& v : noise) v = n.next();
    Highpass(noise, 600.0);
    Normalize(noise, 0.8);
    m.instruments.push_back(Make("riser", MakeSample(noise, true, Loop::Forward, 0, 4096), 20, 128));
  }
  {
    // A sung "ah - oh": a buzz through two moving formants.
    const std::size_t length = static_cast<std::size_t>(1.0 * kSynthRate);
    Wave w(length, 0.0);
    for (std::size_t i = 0; i < length; ++i) {
      const double t = static_cast<double>(i) / kSynthRate;
      const double f1 = 800.0 - 350.0 * t;
      const double f2 = 1200.0 - 400.0 * t;
      double v = 0.0;
      for (int k = 1; k <= 30; ++k) {
        const double f = kC4 * k;
        if (f > kSynthRate / 2) break;
        const double a = std::exp(-std::pow((f - f1) / 180.0, 2)) + 0.6 * std::exp(-std::pow((f - f2) / 220.0, 2)) +
                         0.15 / k;
        v += a * std::sin(2.0 * kPi * f * t * (1.0 + 0.004 * std::sin(2.0 * kPi * 5.0 * t)));
      }
      w[i] = v * std::min(1.0, t / 0.02);
    }
    FadeOut(w, 0.1);
    Normalize(w, 0.9);
    m.instruments.push_back(Make("vox", MakeSample(w, true), 40, 128));
  }

  // --- parts ----------------------------------------------------------------
  DrumKit kit;
  kit.kick = kKick;
  kit.snare = kClap;
  kit.hat = kHat;
  kit.openHat = kOpenHat;
  kit.hatVolume = 28;
  kit.openVolume = 30;
  const std::string four = "k...k...k...k...";
  const std::string claps = "....s.......s...";
  const std::string clapsFill = "....s.......s.ss";
  const std::string hats = "h.o.h.o.h.o.h.oh";
  const std::string hatsLight = "..o...o...o...o.";
  auto line = [&](const std::string& bar, int bars = 4) {
    std::string s;
    for (int i = 0; i < bars; ++i) s += bar;
    return DrumLine(s, kit);
  };
  const auto progA = Chords("Cm Ab Eb Bb");
  const auto progB = Chords("Ab Bb Cm Cm");
  const auto progC = Chords("Fm Ab Bb G");
  const std::string bassRoll = "..x.o.x...x.o.x.";
  const std::string leadA = "G-5:4 G-5:2 F-5:2 D#5:4 C-5:4 | C-5:2 D#5:2 F-5:4 G#5:8,+402 | "
                            "G-5:4 A#5:4 G-5:2 F-5:2 D#5:4 | D-5:8,+401 F-5:4 A#4:4";
  const std::string leadA2 = "C-6:6 A#5:2 G-5:4 D#5:4 | G#5:6 G-5:2 F-5:4 C-5:4 | D#5:4 G-5:4 A#5:4 D#6:4 | "
                             "D-6:12,+402 ==:4";
  const std::string leadB = "C-6:4 D#6:4 C-6:2 A#5:2 G#5:4 | A#5:4 D-6:4 F-6:8,+402 | G-6:8,+403 F-6:4 D#6:4 | "
                            "D#6:2 D-6:2 C-6:12,+401";
  const Track none;
  auto pattern = [&](std::vector<Track> tracks) { m.patterns.push_back(MakePattern(tracks, m.channels)); };

  // 0: intro: kick and hats under a rising global volume and a noise riser.
  {
    Track kick = line(four);
    SetEffect(kick, 0, 16, 0x14);
    for (int r = 1; r < 64; r += 8) SetEffect(kick, r, 17, 0x10);
    Track riser(kRiser);
    riser << "r:32 C-3:32,v8,+101";
    for (int r = 33; r < 64; r += 3) SetVolumeColumn(riser, r, 0x71);
    pattern({kick, none, line(hatsLight), none, none, none, riser});
  }
  // 1: bass and plucks join.
  {
    Track kick = line(four);
    SetEffect(kick, 0, 16, 0x40);
    pattern({kick, line(claps), line(hats), BassLine(progA, bassRoll, kBass, 2), Plucks(progA, 4, 30)});
  }
  // 2: gated pads.
  pattern({line(four), line(claps), line(hats), BassLine(progA, bassRoll, kBass, 2), Plucks(progA, 4, 30),
           GatedPad(progA, 1, 4), GatedPad(progA, 2, 4)});
  // 3, 4: the lead.
  for (int v = 0; v < 2; ++v) {
    Track lead(kLead);
    lead << (v == 0 ? leadA : leadA2);
    pattern({line(four), DrumLine(claps + claps + claps + clapsFill, kit), line(hats),
             BassLine(progA, bassRoll, kBass, 2), Plucks(progA, 4, 26), GatedPad(progA, 1, 4), GatedPad(progA, 2, 4),
             lead});
  }
  // 5: breakdown: no drums; long pads released by key-off, the plucks drift
  // across the stereo field, the bass enters past its attack (envelope jump).
  {
    Track pad1 = PadLine(progC, 16, 0, kPad, 4, "", true);
    Track pad2 = PadLine(progC, 16, 1, kPad, 4, "", true);
    Track plucks = Plucks(progC, 4, 22);
    for (int r = 0; r < 64; ++r) SetEffect(plucks, r, 25, (r / 16) % 2 ? 0x01 : 0x10);
    Track bass(kBass);
    bass << "F-2:16,L14 | G#2:16,L14 | A#2:16,L14 | G-2:12,L14 ==:4";
    Track lead(kLead);
    lead << "F-5:4 G#5:4 C-6:8,+401 | D#6:4 C-6:4 G#5:8,+401 | F-6:4 D-6:4 A#5:8,+401 | B-5:12,+402 .:4,K00";
    pattern({none, none, none, bass, plucks, pad1, pad2, lead});
  }
  // 6: build-up: a snare roll that speeds up, the riser climbing; cut short
  // by a pattern break.
  {
    Track roll(kClap);
    roll << "C-4:4,v20 C-4:4,v24 C-4:4,v28 C-4:4,v32 | C-4:2,v34 C-4:2 C-4:2 C-4:2 C-4:2,v38 C-4:2 C-4:2 C-4:2 | "
            "C-4,v40 C-4 C-4 C-4 C-4,v44 C-4 C-4 C-4 C-4,v48 C-4 C-4 C-4 C-4,v52 C-4 C-4 C-4 | C-4,v56,RB3 .:7,+RB3";
    Track riser(kRiser);
    riser << "C-3:56,v10,+102";
    for (int r = 1; r < 56; r += 6) SetVolumeColumn(riser, r, 0x71);
    Track kick = line(four);
    SetEffect(kick, 55, 0xD, 0x00);
    Track pad = PadLine(Chords("Ab Bb Cm G"), 16, 0, kPad, 4, "", false);
    pattern({kick, roll, line(hatsLight), BassLine(Chords("Ab Bb Cm G"), "x...............", kBass, 2), none, pad,
             riser});
  }
  // 7, 8: the drop.
  for (int v = 0; v < 2; ++v) {
    Track lead(kLead);
    lead << (v == 0 ? leadB : "C-6:4 D#6:4 C-6:2 A#5:2 G#5:4 | A#5:4 D-6:4 F-6:8,+402 | G-6:8,+403 F-6:4 D#6:4 | "
                                "C-6:16,+403");
    Track kick = line(four);
    if (v == 0) SetEffect(kick, 0, 16, 0x40);
    pattern({kick, DrumLine(claps + claps + claps + clapsFill, kit), line(hats), BassLine(progB, bassRoll, kBass, 2),
             Plucks(progB, 5, 24), GatedPad(progB, 0, 4), GatedPad(progB, 2, 4), lead});
  }
  // 9, 10: vocal chops over the A section.
  for (int v = 0; v < 2; ++v) {
    Track vox(kVox);
    vox << "C-5:4 C-5:2,904 C-5:2,908 | G#4:4,910 G#4:4,920 | D#5:2 D#5:2,908 D#5:4,918 | A#4:8,930";
    vox << (v == 0 ? "C-5:4 C-5:2,904 C-5:2,908 | G#4:4,910 G#4:4,920 | D#5:2 D#5:2,908 D#5:4,918 | A#4:8,930"
                   : "C-5:2 C-5:2,904 C-5:2,908 C-5:2,90C | G#4:8,920 | D#5:4,908 D#5:4,918 | A#4:4 A#4:4,930");
    Track lead(kLead);
    if (v == 1) lead << leadA;
    pattern({line(four), line(claps), line(hats), BassLine(progA, bassRoll, kBass, 2), Plucks(progA, 4, 26), vox,
             GatedPad(progA, 2, 4), lead});
  }
  // 11: bridge.
  {
    Track lead(kLead);
    lead << "F-5:4 G#5:4 C-6:8 | D#6:4 C-6:4 G#5:8 | F-6:4 D-6:4 A#5:8 | B-5:8,+402 D-6:4 G-6:4";
    pattern({line(four), DrumLine(claps + claps + claps + clapsFill, kit), line(hats),
             BassLine(progC, bassRoll, kBass, 2), Plucks(progC, 4, 26), GatedPad(progC, 0, 4),
             GatedPad(progC, 2, 4), lead});
  }
  // 12: the drop once more.
  {
    Track lead(kLead);
    lead << leadB;
    pattern({line(four), DrumLine(claps + claps + claps + clapsFill, kit), line(hats),
             BassLine(progB, bassRoll, kBass, 2), Plucks(progB, 5, 24), GatedPad(progB, 0, 4),
             GatedPad(progB, 2, 4), lead});
  }
  // 13: outro: the parts drop away, the pads fade out on key-off.
  {
    Track kick = DrumLine(four + four + four + "k...k...k.k.kkkk", kit);
    Track pad1 = PadLine(progA, 16, 0, kPad, 4, "", false);
    SetEffect(pad1, 56, 20, 0x00);  // K00: release into the fadeout
    Track pad2 = PadLine(progA, 16, 2, kPad, 4, "", false);
    SetEffect(pad2, 56, 20, 0x00);
    Track plucks = Plucks(Chords("Cm Ab"), 4, 24);
    Track bass = BassLine(Chords("Cm Ab Eb"), bassRoll, kBass, 2);
    pattern({kick, line(claps, 2), line(hats, 3), bass, plucks, pad1, pad2});
  }
  m.orders = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13};
  ScaleVolumes(m, 0.928);  // the level every tune and module plays at
  return m;
}

}  // namespace korveld::xmgen
