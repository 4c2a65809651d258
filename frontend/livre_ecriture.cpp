#include "frontend/livre_ecriture.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// A record the reader may look at for a position, with the check value it expects there.
struct ENDROIT {
  uint32_t numero;
  uint16_t controle;
};

void ecrit_mot(unsigned char* p, uint16_t v) {
  p[0] = uint8_t(v & 0xff);
  p[1] = uint8_t(v >> 8);
}

uint16_t lit_mot(const unsigned char* p) { return uint16_t(p[0] | (p[1] << 8)); }

std::string raison(const char* quoi) { return std::string(quoi) + ": " + std::strerror(errno); }

}  // namespace

std::vector<unsigned char> image_livre(const std::vector<POSITION_LIVRE>& positions,
                                       BILAN_PLACEMENT& bilan) {
  bilan = BILAN_PLACEMENT{};
  std::vector<unsigned char> image(TAILLE_FICHIER_LIVRE, 0);
  std::vector<bool> pris(NB_ENREGISTREMENTS_PRIMAIRES + NB_ENREGISTREMENTS_SECONDAIRES, false);

  for (const POSITION_LIVRE& p : positions) {
    if (p.coups[0] == 0) continue;
    // The records in the reader's order
    EMPILAGE e{};
    e.cle_hash = p.cle_hash;
    e.verrou_hash = p.verrou_hash;
    const ENDROIT endroits[4] = {
        {enregistrement_primaire(&e, 0), uint16_t(p.verrou_hash)},
        {enregistrement_secondaire(&e, 0), uint16_t(p.cle_hash)},
        {enregistrement_primaire(&e, 2), uint16_t(p.verrou_hash)},
        {enregistrement_secondaire(&e, 2), uint16_t(p.cle_hash)},
    };

    // The first free one, unless the reader stops before it
    const ENDROIT* choisi = nullptr;
    bool masquee = false;
    for (const ENDROIT& d : endroits) {
      if (!pris[d.numero]) {
        choisi = &d;
        break;
      }
      if (lit_mot(&image[size_t(d.numero) * TAILLE_ENREGISTREMENT_LIVRE]) == d.controle) {
        masquee = true;
        break;
      }
    }
    if (!choisi) {
      ++(masquee ? bilan.masquees : bilan.sans_place);
      continue;
    }

    // The record: check value, then the moves
    pris[choisi->numero] = true;
    unsigned char* r = &image[size_t(choisi->numero) * TAILLE_ENREGISTREMENT_LIVRE];
    ecrit_mot(r, choisi->controle);
    for (int i = 0; i < 4 && p.coups[i]; ++i) {
      ecrit_mot(r + 2 + 2 * i, p.coups[i]);
      ++bilan.coups;
    }
    ++bilan.placees;
  }
  return image;
}

bool ecrit_fichier_livre(const std::string& chemin, const std::vector<unsigned char>& image,
                         std::string& erreur) {
  // The temporary file, beside the target so that renaming stays on one file system
  std::string temporaire = chemin + ".XXXXXX";
  const int fd = mkstemp(temporaire.data());
  if (fd < 0) {
    erreur = raison(("cannot create a temporary file beside " + chemin).c_str());
    return false;
  }
  // mkstemp makes the file private: give it the usual permissions of a new file
  const mode_t masque = umask(0);
  umask(masque);
  fchmod(fd, 0666 & ~masque);

  // Write it all and make sure it reached the disk
  bool ok = true;
  size_t fait = 0;
  while (ok && fait < image.size()) {
    const ssize_t n = write(fd, image.data() + fait, image.size() - fait);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      erreur = raison(("cannot write " + temporaire).c_str());
      ok = false;
    } else {
      fait += size_t(n);
    }
  }
  if (ok && fsync(fd) != 0) {
    erreur = raison(("cannot write " + temporaire).c_str());
    ok = false;
  }
  if (close(fd) != 0 && ok) {
    erreur = raison(("cannot write " + temporaire).c_str());
    ok = false;
  }

  // Put it in place of the target
  if (ok && std::rename(temporaire.c_str(), chemin.c_str()) != 0) {
    erreur = raison(("cannot rename " + temporaire + " to " + chemin).c_str());
    ok = false;
  }
  if (!ok) unlink(temporaire.c_str());
  return ok;
}
