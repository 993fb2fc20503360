#pragma once

#include <QSharedMemory>
#include <QString>

#include <memory>

// Makes sure only one instance runs per user session.
//
// The visible token is a 512-byte shared-memory segment keyed by the application
// name. On Unix such a segment survives a process killed by a signal, so on its
// own one crash would lock the user out until the next reboot. The real arbiter
// is therefore an advisory lock (flock) on a file in the user's runtime folder:
// the kernel drops it when the holder dies, however it dies. Whoever holds the
// lock is alone and may clear a segment a dead instance left behind before
// creating its own. The lock lives in a per-user folder, so other users on the
// same machine run their own instance.
//
// Not thread-safe; used once on the start-up path of the GUI thread.
class InstanceGuard {
public:
    // lockDirectory empty: the user's runtime folder (XDG_RUNTIME_DIR, or the
    // private per-user folder Qt falls back to).
    explicit InstanceGuard(const QString& key, const QString& lockDirectory = QString());
    ~InstanceGuard();

    InstanceGuard(const InstanceGuard&) = delete;
    InstanceGuard& operator=(const InstanceGuard&) = delete;

    // True when this process is now the only instance. False when another live
    // instance holds the guard, or the guard could not be set up (errorString()).
    bool acquire();
    bool isHeld() const;
    // Whether the shared-memory token could be made as well. It is a courtesy to
    // anything that looks for it; the lock decides.
    bool ownsSegment() const;
    QString errorString() const;

    // Gives up the guard; also done by the destructor.
    void release();

private:
    struct FdCloser {
        void operator()(int* fd) const;
    };

    QString key_;
    QString lockPath_;
    std::unique_ptr<int, FdCloser> lockFd_;
    std::unique_ptr<QSharedMemory> segment_;
    QString error_;
};
