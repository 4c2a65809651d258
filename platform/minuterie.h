// A periodic timer: a thread of its own calls back once a period while
// the rest of the program (the search) is busy.
#pragma once

#include <cstdint>

using rappel_minuterie = void (*)(uint32_t id);

// Starts a periodic timer calling `rappel` with the timer's identifier
// every `periode_ms` milliseconds. Returns the identifier, 0 on failure.
uint32_t demarre_minuterie(uint32_t periode_ms, rappel_minuterie rappel);

// Stops the timer and waits until its thread has ended: no call back runs
// after it returns. Unknown identifiers are ignored.
void arrete_minuterie(uint32_t id);
