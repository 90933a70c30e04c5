#pragma once
// Another program holding the lock of a folder: a child process takes the flock and keeps it
// until this object goes. (Within the test process the lock is counted, so it cannot stand in
// for another program.)

#include <fcntl.h>
#include <filesystem>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vaskor::test {

class VerrouExterne {
public:
    explicit VerrouExterne(const std::filesystem::path& dossier)
    {
        int pret[2], fin[2];
        if (::pipe(pret) != 0 || ::pipe(fin) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            const int fd = ::open(dossier.c_str(), O_RDONLY | O_DIRECTORY);
            char c = ::flock(fd, LOCK_EX) == 0 ? 'o' : 'n';
            [[maybe_unused]] auto n = ::write(pret[1], &c, 1);
            ::close(fin[1]);
            n = ::read(fin[0], &c, 1);  // returns when the parent closes its end
            ::_exit(0);
        }
        ::close(pret[1]);
        ::close(fin[0]);
        fin_ = fin[1];
        char c = 'n';
        tenu_ = pid_ > 0 && ::read(pret[0], &c, 1) == 1 && c == 'o';
        ::close(pret[0]);
    }
    ~VerrouExterne()
    {
        if (fin_ >= 0) ::close(fin_);
        if (pid_ > 0) ::waitpid(pid_, nullptr, 0);
    }
    VerrouExterne(const VerrouExterne&) = delete;
    VerrouExterne& operator=(const VerrouExterne&) = delete;
    bool Tenu() const { return tenu_; }

private:
    pid_t pid_ = -1;
    int fin_ = -1;
    bool tenu_ = false;
};

}  // namespace vaskor::test
