#pragma once

#include <sys/stat.h>

namespace tervalo::test {

// The umask 000 for the life of the object, inherited by the programs a test starts meanwhile: every
// file and folder made without its own permissions is then open to all, so the ones that must stay
// private show it.
class PermissiveUmask {
public:
    PermissiveUmask() : m_old(::umask(0)) {}
    ~PermissiveUmask() { ::umask(m_old); }
    PermissiveUmask(const PermissiveUmask&) = delete;
    PermissiveUmask& operator=(const PermissiveUmask&) = delete;

private:
    mode_t m_old;
};

// The permission bits of the file or folder at `path`; -1 when there is none.
inline int permissionBits(const char* path) {
    struct stat info {};
    return ::stat(path, &info) == 0 ? int(info.st_mode & 07777) : -1;
}

}  // namespace tervalo::test
