#include "build/factors/factor_frame.h"

namespace volq {

// The three speeds of a race entry in km/h: a distance in metres over a time
// in tenths of a second, times 36, all in single precision. They read the EX
// buffer as it stands, never the file.

namespace {

// A field as a single-precision number: the whole field must be a number.
float Single(std::string_view t) {
  Integer(t);  // fails on blanks, letters and inner blanks
  return static_cast<float>(Value(t));
}

// Race time "mttt" (minutes, then tenths of a second) in tenths.
float RaceTime(std::string_view t) {
  return 600.0f * Single(t.substr(0, 1)) + Single(t.substr(1, 3));
}

// Tracks 0 to 49 are flat: the last 3 furlongs are 600 m; otherwise 200 m.
bool Flat(int32_t track) { return track >= 0 && track <= 49; }

}  // namespace

std::string FactorFrame::AgariSpeed() {
  if (Ex("last3f") == "   ") return std::string(7, ' ');
  const float t3 = Single(Ex("last3f"));
  float v = 0.0f;
  if (t3 != 0.0f) v = Quotient(Flat(Integer(TrackCode())) ? 21600.0f : 7200.0f, t3);
  return SpeedField7(v);
}

std::string FactorFrame::PaceSpeed() {
  if (Ex("last3f") == "   ") return std::string(7, ' ');
  const float t3 = Single(Ex("last3f"));
  float v = 0.0f;
  if (t3 != 0.0f) {
    const float time = RaceTime(Ex("time"));
    const float distance = Single(Distance());
    const float rest = Flat(Integer(TrackCode())) ? 600.0f : 200.0f;
    v = Quotient(distance - rest, time - t3) * 36.0f;
  }
  return SpeedField7(v);
}

std::string FactorFrame::SohaSpeed() {
  float v = 0.0f;
  if (Ex("time") != "    " && Single(Ex("time")) != 0.0f) {
    const float time = RaceTime(Ex("time"));
    v = Quotient(Single(Distance()), time) * 36.0f;
  }
  return SpeedField7(v);
}

}  // namespace volq
