#pragma once
#include <cstdint>

// The dimmer outputs a map can name: sixteen devices of four outputs. A channel entry
// 0..63 is an output offset: output (offset mod 4) + 1 of the (offset div 4)-th device
// after the map's device address.
namespace modCVDMXMap {

constexpr int kDevices = 16;
constexpr int kOutputsPerDevice = 4;
constexpr int kOutputs = kDevices * kOutputsPerDevice;
constexpr int16_t kLastOutput = kOutputs - 1; // 63: output 4 of device 16

} // namespace modCVDMXMap
