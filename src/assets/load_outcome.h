#pragma once
// What a texture maker tells its caller: go on with start-up, or end the
// process at once (the reader's box, if any, has been shown). Ending is the
// application's decision; the makers only report it.

#include <cstdint>

enum class LoadOutcome : uint8_t { Continue, EndProcess };
