#include "input/key_state.h"

uint8_t KeyStateTable::get(int key) const
{
    if (key < 0 || key >= platform::kKeyCount)
        return 0;
    return state[key];
}

void KeyStateTable::apply(const Message& message)
{
    if (message.key <= 0 || message.key >= platform::kKeyCount)
        return;
    uint8_t& s = state[message.key];
    if (message.kind == MessageKind::KeyDown) {
        if (!message.repeat)
            s ^= kToggled;
        s |= kHeld;
    } else if (message.kind == MessageKind::KeyUp) {
        s &= static_cast<uint8_t>(~kHeld);
    }
}
