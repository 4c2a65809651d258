#include "platform/minuterie.h"

#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

namespace {

struct Minuterie {
  std::thread fil;
  std::mutex m;
  std::condition_variable cv;
  bool arret = false;
};

std::mutex verrou_minuteries;                              // guards the two below
std::map<uint32_t, std::unique_ptr<Minuterie>> minuteries;  // running timers by identifier
uint32_t prochain_id = 1;

void boucle(Minuterie* t, uint32_t id, uint32_t periode_ms, rappel_minuterie rappel) {
  using horloge = std::chrono::steady_clock;
  auto echeance = horloge::now() + std::chrono::milliseconds(periode_ms);
  std::unique_lock<std::mutex> l(t->m);
  for (;;) {
    if (t->cv.wait_until(l, echeance, [t] { return t->arret; })) return;
    l.unlock();
    rappel(id);
    l.lock();
    echeance += std::chrono::milliseconds(periode_ms);
  }
}

}  // namespace

uint32_t demarre_minuterie(uint32_t periode_ms, rappel_minuterie rappel) {
  if (periode_ms == 0 || !rappel) return 0;
  std::lock_guard<std::mutex> g(verrou_minuteries);
  const uint32_t id = prochain_id++;
  if (prochain_id == 0) prochain_id = 1;
  auto t = std::make_unique<Minuterie>();
  try {
    t->fil = std::thread(boucle, t.get(), id, periode_ms, rappel);
  } catch (...) {
    return 0;
  }
  minuteries[id] = std::move(t);
  return id;
}

void arrete_minuterie(uint32_t id) {
  std::unique_ptr<Minuterie> t;
  {
    std::lock_guard<std::mutex> g(verrou_minuteries);
    auto i = minuteries.find(id);
    if (i == minuteries.end()) return;
    t = std::move(i->second);
    minuteries.erase(i);
  }
  {
    std::lock_guard<std::mutex> g(t->m);
    t->arret = true;
  }
  t->cv.notify_all();
  if (t->fil.joinable()) t->fil.join();
}
