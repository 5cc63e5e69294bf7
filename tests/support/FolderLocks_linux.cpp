#include <fcntl.h>
#include <sched.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QFile>
#include <stdexcept>

#include "tests/support/FolderLocks.h"

UnwritableFolder::UnwritableFolder(QString path) : m_path(std::move(path)) {
    if (::geteuid() == 0)
        ::syscall(SYS_setresuid, -1, 65534, -1);  // this thread only, as the raw call does
    else
        QFile::setPermissions(m_path, QFile::ReadOwner | QFile::ExeOwner);
}

UnwritableFolder::~UnwritableFolder() {
    ::syscall(SYS_setresuid, -1, 0, -1);
    QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void InPrivateRoot(const QString& dir, const std::function<void()>& fn) {
    const int realRoot = ::open("/", O_RDONLY | O_DIRECTORY);
    // Only this thread's file-system view moves.
    if (realRoot < 0 || ::unshare(CLONE_FS) != 0 || ::chroot(dir.toLocal8Bit().constData()) != 0 ||
        ::chdir("/") != 0) {
        if (realRoot >= 0) ::close(realRoot);
        throw std::runtime_error("cannot make " + dir.toStdString() + " this thread's root");
    }
    fn();
    (void)::fchdir(realRoot);
    (void)::chroot(".");
    ::close(realRoot);
}
