#pragma once
// A key-state table with the given keys pressed once and still held.

#include "support/key_messages.h"

#include <vector>

inline KeyStateTable holding(const std::vector<int>& keys)
{
    KeyStateTable table;
    for (int key : keys)
        table.apply(keyMessage(MessageKind::KeyDown, key));
    return table;
}
