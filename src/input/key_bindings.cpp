#include "input/key_bindings.h"

bool isActionHeld(const KeyStateTable& keys, KeyAction action)
{
    for (const KeyBinding& binding : kKeyBindings) {
        if (binding.action == action && keys.isHeld(binding.key))
            return true;
    }
    return false;
}

uint8_t actionKeyState(const KeyStateTable& keys, KeyAction action)
{
    for (const KeyBinding& binding : kKeyBindings) {
        if (binding.action == action)
            return keys.get(binding.key);
    }
    return 0;
}

int heldBobKeys(const KeyStateTable& keys)
{
    int held = 0;
    for (const KeyBinding& binding : kKeyBindings) {
        if (binding.bobs && keys.isHeld(binding.key))
            ++held;
    }
    return held;
}

bool pressedKeyAction(int key, bool repeat, KeyAction& action)
{
    for (const KeyBinding& binding : kKeyBindings) {
        if (binding.key != key || binding.action < kFirstPressedAction)
            continue;
        // A held key saves one picture, and toggles once rather than flicker.
        if ((binding.action == KeyAction::SaveScreenshot || binding.action == KeyAction::TogglePlaceReadout ||
             binding.action == KeyAction::RecordWalk) &&
            repeat)
            return false;
        action = binding.action;
        return true;
    }
    return false;
}
