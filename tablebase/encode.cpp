// Compressed table writer: distance choice, greedy matching against the 24
// distances, canonical prefix codes and the file header.
#include "tablebase/encode.h"

#include <algorithm>
#include <cstring>
#include <queue>

#include "tablebase/compress.h"

void EcrivainBits::ecrit(uint32_t valeur, int n) {
  if (n == 0) return;
  if (n < 32) valeur &= (1u << n) - 1;
  accu = accu << n | valeur;
  bits += n;
  total += n;
  while (bits >= 8) {
    bits -= 8;
    octets.push_back(uint8_t(accu >> bits));
  }
  accu &= (uint64_t(1) << bits) - 1;
}

std::vector<uint8_t> EcrivainBits::termine() {
  if (bits) octets.push_back(uint8_t(accu << (8 - bits)));
  bits = 0;
  accu = 0;
  return std::move(octets);
}

namespace {

const int TAILLE_BLOC = 8192;
const int LOG_BLOC = 13;

// Plain Huffman lengths; the depth may exceed any limit.
std::vector<uint8_t> longueurs_huffman(const std::vector<uint64_t>& f) {
  struct Noeud { uint64_t poids; int gauche, droite; };
  std::vector<Noeud> noeuds;
  using Entree = std::pair<uint64_t, int>;
  std::priority_queue<Entree, std::vector<Entree>, std::greater<Entree>> file;
  for (size_t s = 0; s < f.size(); s++) {
    noeuds.push_back({f[s], -1, -1});
    if (f[s]) file.push({f[s], int(s)});
  }
  std::vector<uint8_t> l(f.size(), 0);
  if (file.size() < 2) return l;
  while (file.size() > 1) {
    auto a = file.top(); file.pop();
    auto b = file.top(); file.pop();
    noeuds.push_back({a.first + b.first, a.second, b.second});
    file.push({a.first + b.first, int(noeuds.size() - 1)});
  }
  // Depths by walking down from the root.
  std::vector<std::pair<int, int>> pile = {{file.top().second, 0}};
  while (!pile.empty()) {
    auto [n, p] = pile.back();
    pile.pop_back();
    if (noeuds[n].gauche < 0) {
      l[n] = uint8_t(std::min(p, 255));
    } else {
      pile.push_back({noeuds[n].gauche, p + 1});
      pile.push_back({noeuds[n].droite, p + 1});
    }
  }
  return l;
}

// Canonical code values of the lengths, as the reader assigns them.
std::vector<uint32_t> codes_canoniques(const std::vector<uint8_t>& l) {
  int compte[33] = {0};
  for (uint8_t x : l) if (x) compte[x]++;
  uint32_t prochain[33], code = 0;
  for (int b = 1; b < 33; b++) {
    code = (code + compte[b - 1]) << 1;
    prochain[b] = code;
  }
  std::vector<uint32_t> c(l.size(), 0);
  for (size_t s = 0; s < l.size(); s++) if (l[s]) c[s] = prochain[l[s]]++;
  return c;
}

// One decoded unit of a block: a symbol and the extra bits after it.
struct Jeton { uint16_t symbole; uint8_t nb_extra; uint32_t extra; };

// The 24 distances that repeat 4-byte groups most often in a sample.
void choisit_distances(const uint8_t* d, size_t n, int distances[TB_NB_DISTANCES]) {
  const size_t MAX_DIST = 2048, ECHANTILLON = 8192;
  std::vector<uint64_t> score(MAX_DIST + 1, 0);
  size_t pas = std::max<size_t>(1, n / ECHANTILLON);
  for (size_t i = MAX_DIST; i + 4 <= n; i += pas)
    for (size_t k = 1; k <= MAX_DIST; k++)
      if (memcmp(d + i, d + i - k, 4) == 0) score[k]++;
  std::vector<int> ordre;
  for (size_t k = 1; k <= MAX_DIST; k++) ordre.push_back(int(k));
  std::stable_sort(ordre.begin(), ordre.end(),
                   [&](int a, int b) { return score[a] > score[b]; });
  // Short distances first, so that runs always find distance 1.
  distances[0] = 1;
  int pris = 1;
  for (int k : ordre) {
    if (pris == TB_NB_DISTANCES) break;
    if (k != 1) distances[pris++] = k;
  }
}

// Greedy parse of one block against the chosen distances.
std::vector<Jeton> decoupe_bloc(const uint8_t* b, uint32_t u,
                                const int distances[TB_NB_DISTANCES]) {
  std::vector<Jeton> jetons;
  uint32_t pos = 0;
  while (pos < u) {
    uint32_t meilleure = 0;
    int fente = 0;
    for (int s = 0; s < TB_NB_DISTANCES; s++) {
      uint32_t dist = uint32_t(distances[s]);
      if (dist > pos) continue;
      uint32_t l = 0;
      while (pos + l < u && b[pos + l] == b[pos + l - dist]) l++;
      if (l > meilleure) { meilleure = l; fente = s; }
    }
    if (meilleure < 2) {
      jetons.push_back({b[pos], 0, 0});
      pos++;
      continue;
    }
    if (meilleure <= 15) {
      jetons.push_back({uint16_t(256 + fente * 32 + meilleure - 1), 0, 0});
    } else {
      int e = 1;
      while ((meilleure - 14) >> (e + 1)) e++;
      uint32_t extra = meilleure - 14 - (1u << e);
      jetons.push_back({uint16_t(256 + fente * 32 + e + 14), uint8_t(e), extra});
    }
    pos += meilleure;
  }
  return jetons;
}

void ecrit32(std::vector<uint8_t>& v, size_t pos, uint32_t x) {
  v[pos] = uint8_t(x >> 24); v[pos + 1] = uint8_t(x >> 16);
  v[pos + 2] = uint8_t(x >> 8); v[pos + 3] = uint8_t(x);
}

}  // namespace

std::vector<uint8_t> TbCodeLengths(const std::vector<uint64_t>& frequences, int limite) {
  std::vector<uint64_t> f = frequences;
  int utilises = 0;
  for (uint64_t x : f) utilises += x != 0;
  if (utilises == 0) return std::vector<uint8_t>(f.size(), 0);
  // A one-symbol code would take no bits: give it a partner.
  if (utilises == 1) {
    for (auto& x : f) if (!x) { x = 1; break; }
  }
  for (;;) {
    std::vector<uint8_t> l = longueurs_huffman(f);
    if (*std::max_element(l.begin(), l.end()) <= limite) return l;
    for (auto& x : f) if (x) x = (x + 1) / 2;
  }
}

void TbWriteCodeLengths(EcrivainBits& w, const std::vector<uint8_t>& longueurs) {
  const int nb = int(longueurs.size());
  bool tous_nuls = std::all_of(longueurs.begin(), longueurs.end(), [](uint8_t x) { return x == 0; });
  w.ecrit(tous_nuls, 1);
  if (tous_nuls) return;
  if (nb <= 128) {
    w.ecrit(5, 5);
    for (int i = 0; i < nb;) {
      w.ecrit(longueurs[i], 5);
      if (longueurs[i++]) continue;
      int k = 0;
      while (k < 15 && i + k < nb && longueurs[i + k] == 0) k++;
      w.ecrit(k, 4);
      i += k;
    }
    return;
  }
  // Long form: runs of three or more become a repeat symbol and a count.
  struct Element { int a; int r; int nb_extra; uint32_t extra; };
  std::vector<Element> elements;
  for (int i = 0; i < nb;) {
    int run = 1;
    while (i + run < nb && longueurs[i + run] == longueurs[i]) run++;
    if (run < 3) {
      elements.push_back({longueurs[i], -1, 0, 0});
      i++;
      continue;
    }
    uint32_t c = run - 2;
    if (c <= 31) {
      elements.push_back({32 + longueurs[i], int(c), 0, 0});
    } else {
      int e = 0;
      while ((c - 31) >> (e + 1)) e++;
      elements.push_back({32 + longueurs[i], 32 + e, e, c - 31 - (1u << e)});
    }
    i += run;
  }
  std::vector<uint64_t> fa(64, 0), fb(64, 0);
  for (auto& e : elements) {
    fa[e.a]++;
    if (e.r >= 0) fb[e.r]++;
  }
  std::vector<uint8_t> la = TbCodeLengths(fa, 31), lb = TbCodeLengths(fb, 31);
  std::vector<uint8_t> petites(la);
  petites.insert(petites.end(), lb.begin(), lb.end());
  TbWriteCodeLengths(w, petites);
  std::vector<uint32_t> ca = codes_canoniques(la), cb = codes_canoniques(lb);
  for (auto& e : elements) {
    w.ecrit(ca[e.a], la[e.a]);
    if (e.r < 0) continue;
    w.ecrit(cb[e.r], lb[e.r]);
    w.ecrit(e.extra, e.nb_extra);
  }
}

std::vector<uint8_t> TbCompressTable(const uint8_t* donnees, size_t n) {
  // 1. Blocks and distances.
  uint32_t nb_blocs = uint32_t(std::max<size_t>(1, (n + TAILLE_BLOC - 1) / TAILLE_BLOC));
  uint32_t dernier = uint32_t(n - size_t(nb_blocs - 1) * TAILLE_BLOC);
  int distances[TB_NB_DISTANCES];
  choisit_distances(donnees, n, distances);

  // 2. Parse every block, count the symbols.
  std::vector<std::vector<Jeton>> blocs(nb_blocs);
  std::vector<uint64_t> frequences(TB_NB_SYMBOLES, 0);
  for (uint32_t i = 0; i < nb_blocs; i++) {
    uint32_t u = i + 1 == nb_blocs ? dernier : TAILLE_BLOC;
    blocs[i] = decoupe_bloc(donnees + size_t(i) * TAILLE_BLOC, u, distances);
    for (auto& j : blocs[i]) frequences[j.symbole]++;
  }
  std::vector<uint8_t> longueurs = TbCodeLengths(frequences, 31);
  std::vector<uint32_t> codes = codes_canoniques(longueurs);

  // 3. Encode each block; keep it raw when coding does not make it shorter.
  std::vector<std::vector<uint8_t>> stockes(nb_blocs);
  for (uint32_t i = 0; i < nb_blocs; i++) {
    uint32_t u = i + 1 == nb_blocs ? dernier : TAILLE_BLOC;
    const uint8_t* brut = donnees + size_t(i) * TAILLE_BLOC;
    EcrivainBits w;
    for (auto& j : blocs[i]) {
      w.ecrit(codes[j.symbole], longueurs[j.symbole]);
      w.ecrit(j.extra, j.nb_extra);
    }
    std::vector<uint8_t> code = w.termine();
    stockes[i] = code.size() < u ? code : std::vector<uint8_t>(brut, brut + u);
  }

  // 4. Header: fixed fields, block records, length fields, code description.
  std::vector<uint8_t> f(80, 0);
  memcpy(f.data(), TB_SIGNATURE, TB_LONGUEUR_SIGNATURE);
  f[70] = LOG_BLOC;
  f[71] = TB_NB_DISTANCES;
  ecrit32(f, 72, nb_blocs);
  ecrit32(f, 76, TB_CONSTANTE_FORMAT);
  for (uint32_t i = 0; i < nb_blocs; i++) {
    uint32_t u = i + 1 == nb_blocs ? dernier : TAILLE_BLOC;
    size_t p = f.size();
    f.resize(p + 8);
    ecrit32(f, p, TbChecksum(stockes[i].data(), stockes[i].size()));
    ecrit32(f, p + 4, TbChecksum(donnees + size_t(i) * TAILLE_BLOC, u));
  }
  EcrivainBits champs;
  for (auto& s : stockes) champs.ecrit(uint32_t(s.size()) & (TAILLE_BLOC - 1), LOG_BLOC);
  champs.ecrit(dernier & (TAILLE_BLOC - 1), LOG_BLOC);
  for (int d : distances) champs.ecrit(uint32_t(d), LOG_BLOC);
  std::vector<uint8_t> octets = champs.termine();
  f.insert(f.end(), octets.begin(), octets.end());
  EcrivainBits description;
  TbWriteCodeLengths(description, longueurs);
  octets = description.termine();
  f.insert(f.end(), octets.begin(), octets.end());
  size_t h = f.size() + 4;
  ecrit32(f, 64, uint32_t(h));
  f.resize(h);
  ecrit32(f, h - 4, TbChecksum(f.data(), h - 4));

  // 5. The blocks.
  for (auto& s : stockes) f.insert(f.end(), s.begin(), s.end());
  return f;
}
