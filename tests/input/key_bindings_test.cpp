#include "input/key_bindings.h"

#include <gtest/gtest.h>

namespace {

// A key bound twice would act only for the first of its bindings.
TEST(KeyBindings, EveryKeyHasOneAction)
{
    for (int i = 0; i < kKeyBindingCount; ++i) {
        EXPECT_GT(kKeyBindings[i].key, 0) << "binding " << i;
        EXPECT_LT(kKeyBindings[i].key, platform::kKeyCount) << "binding " << i;
        for (int j = i + 1; j < kKeyBindingCount; ++j)
            EXPECT_NE(kKeyBindings[i].key, kKeyBindings[j].key) << "bindings " << i << " and " << j;
    }
}

} // namespace
