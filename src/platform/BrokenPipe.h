#pragma once

// A peer that closes its end while the program writes to it must cost only that connection:
// the write fails, the program goes on (SIGPIPE ignored where the system has it).
void IgnoreBrokenPipe();
