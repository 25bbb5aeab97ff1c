#pragma once
// A key-state table with the given keys pressed once and still held.

#include "app/messages.h"

#include <vector>

inline KeyStateTable holding(const std::vector<int>& keys)
{
    KeyStateTable table;
    for (int key : keys) {
        Message down{};
        down.kind = MessageKind::KeyDown;
        down.key = key;
        table.apply(down);
    }
    return table;
}
