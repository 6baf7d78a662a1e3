#pragma once

#include <QByteArray>

// The other end of RunIsolatedProgram (platform/Isolated.h), in the isolated program itself.
// Libraries that print their complaints on standard output must not mix them into the answer:
// ReserveAnswerChannel keeps standard output for the answer alone and sends whatever is printed
// there afterwards nowhere. SendAnswer writes the answer's length (8 bytes, the machine's order)
// and the answer on it, whole or not at all as far as the reader can tell.
bool ReserveAnswerChannel();
bool SendAnswer(const QByteArray &answer);
