#include "session.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

// A pipe whose ends are not inherited by later programs; false on failure.
bool tube(int fd[2]) { return pipe2(fd, O_CLOEXEC) == 0; }

// Status as the session reports it.
int statut_de(int s) {
  if (WIFEXITED(s)) return WEXITSTATUS(s);
  if (WIFSIGNALED(s)) return 128 + WTERMSIG(s);
  return -1;
}

void ferme(int& fd) {
  if (fd >= 0) close(fd);
  fd = -1;
}

}  // namespace

Session::Session(const std::string& programme, const std::vector<std::string>& arguments,
                 const std::string& repertoire)
    : debut_(std::chrono::steady_clock::now()) {
  // A program that stops reading must not end the test with SIGPIPE.
  signal(SIGPIPE, SIG_IGN);
  int in[2] = {-1, -1}, out[2] = {-1, -1}, err[2] = {-1, -1};
  if (!tube(in) || !tube(out) || !tube(err)) {
    for (int* t : {in, out, err}) {
      ferme(t[0]);
      ferme(t[1]);
    }
    fini_ = true;
    return;
  }
  // Everything the child needs is ready before the fork: after it, the
  // child calls only what is safe in a copy of a threaded process.
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(programme.c_str()));
  for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const char* dossier = repertoire.empty() ? nullptr : repertoire.c_str();

  pid_ = fork();
  if (pid_ == 0) {
    if (dossier && chdir(dossier) != 0) _exit(126);
    dup2(in[0], 0);
    dup2(out[1], 1);
    dup2(err[1], 2);
    signal(SIGPIPE, SIG_DFL);
    execv(argv[0], argv.data());
    _exit(127);
  }
  ferme(in[0]);
  ferme(out[1]);
  ferme(err[1]);
  entree_ = in[1];
  sortie_ = out[0];
  erreur_ = err[0];
  if (pid_ < 0) {
    ferme(entree_);
    ferme(sortie_);
    ferme(erreur_);
    fini_ = true;
  }
}

Session::~Session() {
  if (!fini_) termine(5000);
  ferme(entree_);
  ferme(sortie_);
  ferme(erreur_);
}

int Session::ms_ecoulees() const {
  return int(std::chrono::duration_cast<std::chrono::milliseconds>(
                 std::chrono::steady_clock::now() - debut_)
                 .count());
}

void Session::note(const char* marque, const std::string& texte) {
  journal_ += std::to_string(ms_ecoulees()) + " " + marque + texte + "\n";
}

bool Session::envoie(const std::string& ligne) {
  note("> ", ligne);
  if (entree_ < 0) return false;
  const std::string t = ligne + "\n";
  size_t fait = 0;
  while (fait < t.size()) {
    const ssize_t n = write(entree_, t.data() + fait, t.size() - fait);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    fait += size_t(n);
  }
  return true;
}

bool Session::lit(int ms) {
  pollfd fds[2];
  nfds_t n = 0;
  if (sortie_ >= 0) fds[n++] = {sortie_, POLLIN, 0};
  if (erreur_ >= 0) fds[n++] = {erreur_, POLLIN, 0};
  if (n == 0) return false;
  if (poll(fds, n, ms) <= 0) return true;
  for (nfds_t i = 0; i < n; ++i) {
    if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
    const bool est_sortie = fds[i].fd == sortie_;
    char b[4096];
    const ssize_t lu = read(fds[i].fd, b, sizeof b);
    if (lu < 0 && errno == EINTR) continue;
    std::string& tampon = est_sortie ? tampon_sortie_ : tampon_erreur_;
    if (lu <= 0) {
      // The end of this output: a last line without its line end still counts.
      if (est_sortie && !tampon.empty()) {
        note("< ", tampon);
        lignes_.push_back(tampon);
      } else if (!tampon.empty()) {
        note("! ", tampon);
      }
      tampon.clear();
      ferme(est_sortie ? sortie_ : erreur_);
      continue;
    }
    if (!est_sortie) erreurs_.append(b, size_t(lu));
    tampon.append(b, size_t(lu));
    size_t p;
    while ((p = tampon.find('\n')) != std::string::npos) {
      std::string l = tampon.substr(0, p);
      tampon.erase(0, p + 1);
      if (!l.empty() && l.back() == '\r') l.pop_back();
      if (est_sortie) {
        note("< ", l);
        lignes_.push_back(std::move(l));
      } else {
        note("! ", l);
      }
    }
  }
  return sortie_ >= 0 || erreur_ >= 0;
}

std::optional<std::string> Session::attend(const std::regex& r, int delai_ms) {
  const int fin = ms_ecoulees() + delai_ms;
  size_t vu = curseur_;
  for (;;) {
    for (; vu < lignes_.size(); ++vu) {
      if (std::regex_match(lignes_[vu], r)) {
        curseur_ = vu + 1;
        return lignes_[vu];
      }
    }
    const int reste = fin - ms_ecoulees();
    if (reste <= 0) return std::nullopt;
    if (!lit(reste > 50 ? 50 : reste) && vu == lignes_.size()) return std::nullopt;
  }
}

void Session::patiente(int ms) {
  const int fin = ms_ecoulees() + ms;
  for (int reste = ms; reste > 0; reste = fin - ms_ecoulees()) {
    if (!lit(reste)) {
      // Nothing more will come; the time still passes, as asked.
      const int r = fin - ms_ecoulees();
      if (r > 0) usleep(useconds_t(r) * 1000);
      return;
    }
  }
}

void Session::saute() {
  lit(0);
  curseur_ = lignes_.size();
}

int Session::termine(int delai_ms) {
  if (fini_) return statut_;
  ferme(entree_);
  const int fin = ms_ecoulees() + delai_ms;
  for (;;) {
    int s = 0;
    if (waitpid(pid_, &s, WNOHANG) == pid_) {
      statut_ = statut_de(s);
      break;
    }
    if (ms_ecoulees() >= fin) {
      kill(pid_, SIGKILL);
      waitpid(pid_, &s, 0);
      statut_ = -1;
      break;
    }
    if (!lit(20)) usleep(20000);
  }
  // Whatever the program wrote before its end, until both outputs close.
  const int fin_lecture = ms_ecoulees() + 2000;
  while (lit(50) && ms_ecoulees() < fin_lecture) {
  }
  fini_ = true;
  note("! ", "exit status " + std::to_string(statut_));
  return statut_;
}

bool Session::rapport_sanitizer() const {
  for (const char* signe : {"ThreadSanitizer", "AddressSanitizer", "LeakSanitizer", "runtime error:"})
    if (erreurs_.find(signe) != std::string::npos) return true;
  return false;
}
