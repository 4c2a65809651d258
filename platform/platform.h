// The operating-system services the engine needs: a millisecond tick
// count, a critical section and 32-bit atomic flags.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

// Milliseconds from an arbitrary origin, monotonic, wrapping at 2^32.
uint32_t compte_ticks();

// Sleeps the calling thread for the given milliseconds.
void dort_ms(uint32_t ms);

// A flag shared between threads: written by atomic exchange or
// increment/decrement, read with an acquire load, so that what its writer
// did before setting it is seen by the reader that sees it set.
using drapeau_atomique = std::atomic<int32_t>;

inline int32_t echange_atomique(drapeau_atomique& d, int32_t valeur) { return d.exchange(valeur); }
inline int32_t increment_atomique(drapeau_atomique& d) { return d.fetch_add(1) + 1; }
inline int32_t decrement_atomique(drapeau_atomique& d) { return d.fetch_sub(1) - 1; }
inline int32_t lit_drapeau(const drapeau_atomique& d) { return d.load(std::memory_order_acquire); }

// A critical section.
using section_critique = std::mutex;
using verrou_section = std::lock_guard<std::mutex>;
