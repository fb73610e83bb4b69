// Input event mapping shared by the real backend and its tests.
#pragma once

namespace korveld::platform {

// The notches a wheel event adds to the wheel counter (positive away from the
// user). Smooth-scrolling devices send events for part of a notch, with the
// whole notches at 0 until the motion adds up to one; those add nothing. A
// fast turn may carry several notches in one event.
inline int WheelNotches(int wholeY, bool flipped) { return flipped ? -wholeY : wholeY; }

}  // namespace korveld::platform
