#include "frontend/signalement.h"

int interface_xboard = 0;

void signale_echec(const std::string& texte, std::FILE* terminal) {
  if (interface_xboard) std::printf("tellusererror %s\n", texte.c_str());
  else std::fprintf(terminal, "%s\n", texte.c_str());
}
