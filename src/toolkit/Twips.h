#pragma once

// Positions and sizes given in twips (1/1440 inch), as the windows were designed.
namespace toolkit {

// Twips to the pixel at the design resolution of 96 pixels to the inch.
constexpr int kTwipsPerPixel = 15;

} // namespace toolkit
