#pragma once
#include <QString>
#include <cstdint>

// The text shown for entry value v under device address index a: "D:" + two hex
// digits of the device number + "." + output 1..4, or "- - -" for no output, for a
// value outside 0..63 and for an output beyond the sixteenth device.
QString OutputLabel(int16_t v, int a);
