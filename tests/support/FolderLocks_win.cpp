#include <QFile>
#include <stdexcept>

#include "tests/support/FolderLocks.h"

// Qt sets the read-only attribute, which Windows ignores on folders: a test that needs a folder
// it cannot write in is skipped on Windows by name (tests/win/wine-skips.txt).
UnwritableFolder::UnwritableFolder(QString path) : m_path(std::move(path)) {
    QFile::setPermissions(m_path, QFile::ReadOwner | QFile::ExeOwner);
}

UnwritableFolder::~UnwritableFolder() {
    QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void InPrivateRoot(const QString&, const std::function<void()>&) {
    throw std::runtime_error("a private file-system root is Linux's (chroot)");
}
