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
#pragma once

namespace korveld::render {

double Sine(double x);

}  // namespace korveld::render
