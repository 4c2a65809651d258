#include "platform/platform.h"

#include <chrono>
#include <thread>

uint32_t compte_ticks() {
  using namespace std::chrono;
  return uint32_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void dort_ms(uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
