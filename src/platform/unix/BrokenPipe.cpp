#include "platform/BrokenPipe.h"

#include <csignal>

void IgnoreBrokenPipe() {
    std::signal(SIGPIPE, SIG_IGN);
}
