#pragma once
// An RGB colour with 8-bit components, as the graphs draw phase states.

#include <cstdint>

namespace tessmar {

struct TColor {
  std::uint8_t r = 0, g = 0, b = 0;
  friend constexpr bool operator==(TColor, TColor) = default;
};

namespace colors {
inline constexpr TColor kDarkRed{128, 0, 0};
inline constexpr TColor kBlue{0, 0, 255};
inline constexpr TColor kGreen{0, 128, 0};
inline constexpr TColor kSilver{192, 192, 192};
inline constexpr TColor kTeal{0, 128, 128};
inline constexpr TColor kFuchsia{255, 0, 255};
inline constexpr TColor kGrey{128, 128, 128};
inline constexpr TColor kLime{0, 255, 0};
inline constexpr TColor kAqua{0, 255, 255};
inline constexpr TColor kPurple{128, 0, 128};
inline constexpr TColor kViolet{192, 128, 255};
}  // namespace colors

}  // namespace tessmar
