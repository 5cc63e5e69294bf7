#pragma once

// File-system situations for save tests, one backend per OS (FolderLocks_linux.cpp, _win.cpp).

#include <QString>
#include <functional>

// For the guard's lifetime this process cannot create files in the folder: as root on Linux the
// effective user changes (root writes anywhere), otherwise the owner's write permission goes.
class UnwritableFolder {
  public:
    explicit UnwritableFolder(QString path);
    ~UnwritableFolder();
    UnwritableFolder(const UnwritableFolder&) = delete;
    UnwritableFolder& operator=(const UnwritableFolder&) = delete;

  private:
    QString m_path;
};

// Runs fn with dir as this thread's file-system root and current directory, then gives both back
// (Linux, as root; throws std::runtime_error where that cannot be done).
void InPrivateRoot(const QString& dir, const std::function<void()>& fn);
