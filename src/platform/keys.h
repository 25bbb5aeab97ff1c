#pragma once
// Virtual key codes, as the window procedure and the key-state table see them.
// Letters and digits are their upper-case ASCII codes ('W', 'C', '0').

namespace platform {

constexpr int kKeyCount = 256; // codes 0..255; 0 means a key we do not name

constexpr int kKeyReturn = 0x0D;
constexpr int kKeyEscape = 0x1B;
constexpr int kKeySpace = 0x20;
constexpr int kKeyLeft = 0x25;
constexpr int kKeyUp = 0x26;
constexpr int kKeyRight = 0x27;
constexpr int kKeyDown = 0x28;
constexpr int kKeyF3 = 0x72;
constexpr int kKeyF9 = 0x78;
constexpr int kKeyF12 = 0x7B;

} // namespace platform
