#pragma once

#include <QString>

namespace lapora {

// An advisory lock on a small file of a working folder: Lapora holds it while it runs and LPMRep while it
// renews the data files, so neither works under the other. The system drops it when its holder dies, however
// it dies. It is flock() on a file of its own, so SQLite's fcntl() locks on the data files are never touched.
class FolderLock {
public:
    static const QString kFileName;
    enum class State {
        Taken,      // this object holds the lock
        Held,       // another holder has it
        Unavailable // the lock file cannot be opened (a read-only folder); nobody can hold it there
    };

    explicit FolderLock(const QString& folder); // tries once, never waits
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    State state() const { return state_; }
    bool held() const { return state_ == State::Held; }

private:
    int fd_ = -1;
    State state_ = State::Unavailable;
};

} // namespace lapora
