#include "platform/BrokenPipe.h"

void IgnoreBrokenPipe() {
    // No broken-pipe signal here: a failed write is reported by the write.
}
