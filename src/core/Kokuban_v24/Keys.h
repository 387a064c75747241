// Keys by their virtual-key codes: letters by the capital letter, digits by the digit.
#pragma once

namespace kazu {

struct KeyModifiers {
    bool shift = false;
    bool ctrl = false;
    bool alt = false;
};

namespace vk {
constexpr int kBack = 0x08;
constexpr int kReturn = 0x0D;
constexpr int kEscape = 0x1B;
constexpr int kHome = 0x24;
constexpr int kLeft = 0x25;
constexpr int kUp = 0x26;
constexpr int kRight = 0x27;
constexpr int kDown = 0x28;
constexpr int kInsert = 0x2D;
constexpr int kDelete = 0x2E;
constexpr int kNumpad0 = 0x60;
constexpr int kNumpad9 = 0x69;
constexpr int kMultiply = 0x6A;
constexpr int kAdd = 0x6B;
constexpr int kSubtract = 0x6D;
constexpr int kDecimal = 0x6E;
constexpr int kDivide = 0x6F;
constexpr int kF8 = 0x77;
constexpr int kOemMinus = 0xBD;
constexpr int kOemPeriod = 0xBE;
}  // namespace vk

}  // namespace kazu
