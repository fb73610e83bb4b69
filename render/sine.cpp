#include "render/sine.hpp"

#include <array>
#include <cmath>
#include <cstdint>

namespace korveld::render {
namespace {

// A double-double: the unevaluated sum hi + lo with |lo| <= ulp(hi) / 2.
struct Wide {
  double hi = 0.0;
  double lo = 0.0;
};

constexpr Wide FastTwoSum(double a, double b) {  // |a| >= |b|
  const double s = a + b;
  return {s, b - (s - a)};
}

constexpr Wide TwoSum(double a, double b) {
  const double s = a + b;
  const double bb = s - a;
  return {s, (a - (s - bb)) + (b - bb)};
}

// Splits a into two halves of 26 bits each, so their products are exact.
constexpr Wide Split(double a) {
  const double t = 134217729.0 * a;  // 2^27 + 1
  const double hi = t - (t - a);
  return {hi, a - hi};
}

constexpr Wide TwoProduct(double a, double b) {
  const double p = a * b;
  const Wide x = Split(a);
  const Wide y = Split(b);
  return {p, ((x.hi * y.hi - p) + x.hi * y.lo + x.lo * y.hi) + x.lo * y.lo};
}

constexpr Wide Add(Wide a, Wide b) {
  Wide s = TwoSum(a.hi, b.hi);
  const Wide t = TwoSum(a.lo, b.lo);
  s = FastTwoSum(s.hi, s.lo + t.hi);
  return FastTwoSum(s.hi, s.lo + t.lo);
}

constexpr Wide Multiply(Wide a, Wide b) {
  const Wide p = TwoProduct(a.hi, b.hi);
  return FastTwoSum(p.hi, p.lo + (a.hi * b.lo + a.lo * b.hi));
}

constexpr Wide Divide(Wide a, double d) {
  const double q = a.hi / d;
  const Wide p = TwoProduct(q, d);
  return FastTwoSum(q, ((a.hi - p.hi) - p.lo + a.lo) / d);
}

// pi/2 to about 160 bits, as three doubles.
constexpr double kHalfPi1 = 1.5707963267948966;
constexpr double kHalfPi2 = 6.123233995736766e-17;
constexpr double kHalfPi3 = -1.4973849048591698e-33;
constexpr double kTwoOverPi = 0.6366197723675814;

// Taylor coefficients as double-doubles: (-1)^(n div 2) / n!, n = 0..kTerms-1,
// the sine's for odd n and the cosine's for even n.
constexpr int kTerms = 28;
constexpr std::array<Wide, kTerms> Coefficients() {
  std::array<Wide, kTerms> c{};
  Wide magnitude = {1.0, 0.0};
  c[0] = magnitude;
  for (int n = 1; n < kTerms; ++n) {
    magnitude = Divide(magnitude, n);
    c[n] = (n / 2) % 2 == 0 ? magnitude : Wide{-magnitude.hi, -magnitude.lo};
  }
  return c;
}
constexpr std::array<Wide, kTerms> kCoefficients = Coefficients();

// sin(r) for odd = true, cos(r) otherwise, |r| <= pi/4 and a little more.
Wide Series(Wide r, bool odd) {
  const Wide r2 = Multiply(r, r);
  const int first = odd ? 1 : 0;
  int n = kTerms - 1;
  if ((n - first) % 2 != 0) --n;
  Wide sum = kCoefficients[n];
  for (n -= 2; n >= first; n -= 2) sum = Add(kCoefficients[n], Multiply(sum, r2));
  return odd ? Multiply(sum, r) : sum;
}

// The first terms of sin(r) (odd) or cos(r) as a double-double, the small
// rest of the series in doubles, and a bound on the error of the sum.
// Terms up to r^5 (sine) or r^6 (cosine) are carried wide, so the rest is
// below 2^-13 of the result and its rounding errors below 2^-62 of it.
Wide Quick(Wide r, bool odd, double* error) {
  const double h = r.hi;
  const Wide r2 = TwoProduct(h, h);
  const double z = r2.hi;
  Wide sum;
  double rest;
  if (odd) {
    const Wide r3 = Multiply(r2, {h, 0.0});
    const Wide r5 = Multiply(r3, r2);
    sum = Add(Add({h, 0.0}, Divide(r3, -6.0)), Divide(r5, 120.0));
    const double r7 = r5.hi * z;
    rest = r7 * (-1.0 / 5040 + z * (1.0 / 362880 + z * (-1.0 / 39916800 + z * (1.0 / 6227020800 +
                 z * (-1.0 / 1307674368000 + z * (1.0 / 355687428096000 + z * (-1.0 / 121645100408832000)))))));
    rest += r.lo * (1.0 - z * (1.0 / 2 - z * (1.0 / 24 - z / 720)));  // sin(h + l) = sin(h) + l cos(h)
  } else {
    const Wide r4 = Multiply(r2, r2);
    const Wide r6 = Multiply(r4, r2);
    sum = Add(Add(Add({1.0, 0.0}, {-0.5 * r2.hi, -0.5 * r2.lo}), Divide(r4, 24.0)), Divide(r6, -720.0));
    const double r8 = r6.hi * z;
    rest = r8 * (1.0 / 40320 + z * (-1.0 / 3628800 + z * (1.0 / 479001600 + z * (-1.0 / 87178291200 +
                 z * (1.0 / 20922789888000 + z * (-1.0 / 6402373705728000 + z * (1.0 / 2432902008176640000)))))));
    rest -= r.lo * h * (1.0 - z * (1.0 / 6 - z * (1.0 / 120 - z / 5040)));  // cos(h + l) = cos(h) - l sin(h)
  }
  sum = Add(sum, {rest, 0.0});
  *error = std::fabs(sum.hi) * 0x1p-60;
  return sum;
}

}  // namespace

double Sine(double x) {
  if (!std::isfinite(x)) return x - x;  // NaN, as sin() gives
  // x = k pi/2 + r; k * kHalfPi1 and k * kHalfPi2 are exact double-doubles.
  const double q = x * kTwoOverPi;
  // Rounds q to the nearest integer (ties to even) without a library call.
  const double k = std::fabs(q) < 0x1p51 ? (q + 0x1.8p52) - 0x1.8p52 : std::nearbyint(q);
  Wide r = {x, 0.0};
  const Wide p1 = TwoProduct(k, kHalfPi1);
  const Wide p2 = TwoProduct(k, kHalfPi2);
  r = Add(r, {-p1.hi, -p1.lo});
  r = Add(r, {-p2.hi, -p2.lo});
  r = Add(r, {-k * kHalfPi3, 0.0});
  const int quadrant = std::fabs(k) < 0x1p62 ? static_cast<int>(static_cast<std::int64_t>(k) & 3)
                                               : static_cast<int>(std::fmod(k, 4.0) + 4.0) % 4;
  const bool odd = quadrant % 2 == 0;
  const double sign = quadrant >= 2 ? -1.0 : 1.0;
  // Mostly the quick sum decides the rounding; when it lies too close to a
  // halfway point between two doubles, the full series does.
  double error = 0.0;
  const Wide v = Quick(r, odd, &error);
  const double up = v.hi + (v.lo + error);
  const double down = v.hi + (v.lo - error);
  if (up == down) return sign * up;
  const Wide w = Series(r, odd);
  return sign * (w.hi + w.lo);
}

}  // namespace korveld::render
