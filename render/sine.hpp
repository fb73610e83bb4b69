// The sine the drawing uses: the same bits on every build.
//
// The C libraries of the native and the WebAssembly builds compute sin()
// differently: for about one argument in thirty their results are one unit
// in the last place apart. Rounded to a colour or a row that is almost
// always the same number, but a frame must not depend on the build at all.
// Sine() uses additions and multiplications only (exact IEEE operations on
// both builds, no fused multiply-add), carries about 100 bits and rounds
// once, so it is the correctly rounded sine. The native library's sin() is
// that too for all but about one argument in 700, and then one unit off;
// for the arguments the intro and the glow lines take, the colours and rows
// rounded from either are the same (71.5 million compared).
//
// Sine() costs about seventy nanoseconds, and every frame rounds a few
// thousand sines to colours and rows. FastSine() costs a few: plain doubles,
// a short argument reduction and a polynomial, within kFastSineError of the
// true sine. A caller rounds the expression it builds from fast sines and
// asks MayRoundOtherwise() whether the value lies so close to a rounding edge
// that the exact sines could give another integer; only then does it work
// the expression out again with Sine(). The integers are thus Sine()'s on
// every build, and the exact sine runs perhaps once in ten billion calls.
#pragma once

namespace korveld::render {

double Sine(double x);

// Beyond this magnitude FastSine() is Sine() (the reduction's constants hold
// for quotients below 2^20; the glow phase gets there after about five days).
inline constexpr double kFastSineRange = 1.0e6;
// A bound on |FastSine(x) - sin(x)|, with room to spare: the reduction and
// the polynomial stay within a few units of 2^-53.
inline constexpr double kFastSineError = 0x1p-48;

// Rounds to the nearest integer, ties to even, as nearbyint() does in the
// default rounding mode, for |x| below 2^51, without a library call.
inline double RoundHalfEven(double x) { return (x + 0x1.8p52) - 0x1.8p52; }

namespace fast_sine {
// pi/2 in three parts, the first two of 33 bits, so that k times either is
// exact for k below 2^20 and x - k kHalfPiA loses nothing.
inline constexpr double kTwoOverPi = 0x1.45f306dc9c883p-1;
inline constexpr double kHalfPiA = 0x1.921fb544p+0;
inline constexpr double kHalfPiB = 0x1.0b4611a6p-34;
inline constexpr double kHalfPiC = 0x1.3198a2e037073p-69;
// Taylor coefficients 1/n! with their signs, up to r^17 and r^16; on
// |r| <= pi/4 the first term left out is below 2^-58.
inline constexpr double kSin[] = {-0x1.5555555555555p-3, 0x1.1111111111111p-7,   -0x1.a01a01a01a01ap-13,
                                  0x1.71de3a556c734p-19, -0x1.ae64567f544e4p-26, 0x1.6124613a86d09p-33,
                                  -0x1.ae7f3e733b81fp-41, 0x1.952c77030ad4ap-49};
inline constexpr double kCos[] = {-0x1p-1,
                                  0x1.5555555555555p-5,   -0x1.6c16c16c16c17p-10, 0x1.a01a01a01a01ap-16,
                                  -0x1.27e4fb7789f5cp-22, 0x1.1eed8eff8d898p-29,  -0x1.93974a8c07c9dp-37,
                                  0x1.ae7f3e733b81fp-45};
// Edges are missed by at most the sines' errors times their weight and a
// few roundings of the value; the margin is many times both.
inline constexpr double kRoundingSlack = 0x1p-36;
}  // namespace fast_sine

inline double FastSine(double x) {
  using namespace fast_sine;
  if (!(x <= kFastSineRange && x >= -kFastSineRange)) return Sine(x);
  const double k = RoundHalfEven(x * kTwoOverPi);
  const double r = ((x - k * kHalfPiA) - k * kHalfPiB) - k * kHalfPiC;
  const double z = r * r;
  const int quadrant = static_cast<int>(k) & 3;
  // Estrin's order: the polynomial in z in three short chains instead of one
  // long one, so neighbouring calls overlap.
  const double z2 = z * z;
  const double z4 = z2 * z2;
  double v;
  if (quadrant & 1) {
    const double p = (kCos[0] + kCos[1] * z) + z2 * (kCos[2] + kCos[3] * z) +
                     z4 * ((kCos[4] + kCos[5] * z) + z2 * (kCos[6] + kCos[7] * z));
    v = 1.0 + z * p;
  } else {
    const double p = (kSin[0] + kSin[1] * z) + z2 * (kSin[2] + kSin[3] * z) +
                     z4 * ((kSin[4] + kSin[5] * z) + z2 * (kSin[6] + kSin[7] * z));
    v = r + r * z * p;
  }
  return quadrant & 2 ? -v : v;
}

// The rounding edges: round to nearest turns at halves, floor at integers.
inline constexpr double kHalfwayEdge = 0.5;
inline constexpr double kWholeEdge = 0.0;

// True when value, built from fast sines whose coefficients add up to weight
// in magnitude (plus a constant and a few roundings of the value's size),
// lies near enough to an edge (an integer plus `edge`) that the same
// expression on exact sines could round to another integer.
inline bool MayRoundOtherwise(double value, double weight, double edge) {
  const double margin = 4.0 * weight * kFastSineError + fast_sine::kRoundingSlack;
  const double shifted = value - edge;
  if (!(shifted < 0x1p50 && shifted > -0x1p50)) return true;
  return shifted - RoundHalfEven(shifted) <= margin && RoundHalfEven(shifted) - shifted <= margin;
}

}  // namespace korveld::render
