#include "FolderLock.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace lapora {

const QString FolderLock::kFileName = QStringLiteral("lapora.lock");

FolderLock::FolderLock(const QString& folder) {
    const QByteArray path = QFile::encodeName(QDir(folder).filePath(kFileName));
    // Close-on-exec: a child process must not keep the folder locked after its parent is gone.
    fd_ = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd_ < 0 && (errno == EACCES || errno == EROFS))
        fd_ = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) {
        state_ = State::Unavailable;
        return;
    }
    int rc;
    do
        rc = ::flock(fd_, LOCK_EX | LOCK_NB);
    while (rc != 0 && errno == EINTR);
    if (rc == 0) {
        state_ = State::Taken;
        return;
    }
    state_ = errno == EWOULDBLOCK ? State::Held : State::Unavailable;
    ::close(fd_);
    fd_ = -1;
}

FolderLock::~FolderLock() {
    if (fd_ >= 0)
        ::close(fd_); // closing the last descriptor drops the lock
}

} // namespace lapora
