#pragma once
// Key messages as the platform layer posts them, for tests that feed the
// key-state table or the message queue.

#include "input/key_state.h"

inline Message keyMessage(MessageKind kind, int key, bool repeat = false)
{
    Message m{};
    m.kind = kind;
    m.key = key;
    m.repeat = repeat;
    return m;
}
