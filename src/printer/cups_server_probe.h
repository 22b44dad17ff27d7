#pragma once
// Whether the CUPS server that libcups would use answers at all. Qt asks the server for its
// printers with libcups's own timeouts, which leave a program waiting for minutes on a server
// that accepts connections but never replies; asking it once first, briefly, avoids that. No
// server (nothing listening) is known at once.
#include <chrono>

// False when the server refuses or does not answer within limit; true when it answers, and also
// when libcups cannot say which server it would use (Qt then finds out for itself).
bool CupsServerAnswers(std::chrono::milliseconds limit);
