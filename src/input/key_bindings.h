#pragma once
// Every key the viewer answers, in one table. Held keys are polled from the
// key-state table each turn (walking, crouching, the walking bob); pressed
// keys act once per key-down message (quit, fill, outline, screenshot, the
// readout of where you stand, walk recording). The right mouse button zooms;
// it has no key.

#include "input/key_state.h"

#include <cstdint>

enum class KeyAction : uint8_t {
    // Held: polled every turn.
    WalkForward,
    WalkBack,
    StepLeft,
    StepRight,
    Crouch, // read as the key's whole state: held bit and toggle bit
    // Pressed: one key-down message each.
    Quit,
    FillPolygons,
    OutlinePolygons,
    SaveScreenshot,     // auto-repeat does not count
    TogglePlaceReadout, // auto-repeat does not count
    RecordWalk,         // starts and stops; auto-repeat does not count
};
constexpr KeyAction kFirstPressedAction = KeyAction::Quit;

struct KeyBinding {
    KeyAction action;
    int key;   // virtual key code (platform/keys.h)
    bool bobs; // held, it advances the walking bob: the letter keys, not the arrows
};

constexpr int kKeyBindingCount = 15;
constexpr KeyBinding kKeyBindings[kKeyBindingCount] = {
    {KeyAction::WalkForward, platform::kKeyUp, false},
    {KeyAction::WalkForward, 'W', true},
    {KeyAction::WalkBack, platform::kKeyDown, false},
    {KeyAction::WalkBack, 'S', true},
    {KeyAction::StepLeft, platform::kKeyLeft, false},
    {KeyAction::StepLeft, 'A', true},
    {KeyAction::StepRight, platform::kKeyRight, false},
    {KeyAction::StepRight, 'D', true},
    {KeyAction::Crouch, 'C', false},
    {KeyAction::Quit, platform::kKeyEscape, false},
    {KeyAction::FillPolygons, platform::kKeyReturn, false},
    {KeyAction::OutlinePolygons, platform::kKeySpace, false},
    {KeyAction::SaveScreenshot, platform::kKeyF12, false},
    {KeyAction::TogglePlaceReadout, platform::kKeyF3, false},
    {KeyAction::RecordWalk, platform::kKeyF9, false},
};

// True while any key bound to the action is held.
bool isActionHeld(const KeyStateTable& keys, KeyAction action);
// The state of the first key bound to the action (0 when none is).
uint8_t actionKeyState(const KeyStateTable& keys, KeyAction action);
// How many of the keys that advance the walking bob are held.
int heldBobKeys(const KeyStateTable& keys);
// The action of a pressed key; false for a key that acts on no press.
bool pressedKeyAction(int key, bool repeat, KeyAction& action);
