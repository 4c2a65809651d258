#include "platform/fil.h"

#include <pthread.h>

#include <new>

struct FIL {
  pthread_t id;
  void (*routine)(void*);
  void* parametre;
};

namespace {
void* lance(void* p) {
  FIL* f = static_cast<FIL*>(p);
  f->routine(f->parametre);
  return nullptr;
}
}  // namespace

FIL* cree_fil(size_t taille_pile, void (*routine)(void*), void* parametre) {
  FIL* f = new (std::nothrow) FIL{pthread_t(), routine, parametre};
  if (!f) return nullptr;
  pthread_attr_t attr;
  if (pthread_attr_init(&attr) != 0) {
    delete f;
    return nullptr;
  }
  if (taille_pile) pthread_attr_setstacksize(&attr, taille_pile);
  const int r = pthread_create(&f->id, &attr, lance, f);
  pthread_attr_destroy(&attr);
  if (r != 0) {
    delete f;
    return nullptr;
  }
  return f;
}

void ferme_fil(FIL* fil) {
  if (!fil) return;
  pthread_join(fil->id, nullptr);
  delete fil;
}
