// Threads with a stack size of the caller's choice.
#pragma once

#include <cstddef>

struct FIL;  // a thread's handle

// Starts routine(parametre) on a new thread with the given stack size.
// Returns its handle, or null when the thread cannot be created.
FIL* cree_fil(size_t taille_pile, void (*routine)(void*), void* parametre);

// Closes the handle: waits for the thread's end, then frees the handle.
// Null is ignored.
void ferme_fil(FIL* fil);
