#pragma once

#include <cstdint>

namespace pirumoa {

// 0xRRGGBB. The named colours every window uses.
using Rgb = std::uint32_t;

constexpr Rgb rgb(int r, int g, int b) { return (Rgb(r) << 16) | (Rgb(g) << 8) | Rgb(b); }

namespace colour {
constexpr Rgb LightYellow = rgb(255, 255, 200);
constexpr Rgb LightCyan = rgb(222, 254, 253);
constexpr Rgb PaleAqua = rgb(200, 255, 255);
constexpr Rgb Aqua = rgb(128, 255, 255);
constexpr Rgb LightGreen = rgb(200, 255, 200);
constexpr Rgb LightViolet = rgb(255, 200, 255);
constexpr Rgb Lavender = rgb(200, 200, 255);
constexpr Rgb LightPink = rgb(255, 200, 200);
constexpr Rgb LightGrey = rgb(225, 225, 225);
constexpr Rgb LightBlue = rgb(136, 196, 255);  // cell lines
constexpr Rgb MidBlue = rgb(62, 158, 255);
constexpr Rgb Red = rgb(255, 0, 0);
constexpr Rgb Blue = rgb(0, 0, 255);
constexpr Rgb White = rgb(255, 255, 255);
constexpr Rgb Black = rgb(0, 0, 0);
}  // namespace colour

}  // namespace pirumoa
