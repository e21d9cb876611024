#include "buffer/filesyncer.h"

#include <fcntl.h>
#include <pthread.h>

#include <cerrno>
#include <new>
#include <system_error>

#include "buffer/filesystem.h"

FileSyncer::FileSyncer(FileSystem& fs) : fs_(fs) {}

FileSyncer::~FileSyncer() {
    Release();
    worker_ = {}; // stops and joins before the mutex and the condition go
}

void FileSyncer::Attach(int fd, std::string folder) {
    Release();
    const std::lock_guard lock(mutex_);
    fd_ = fd;
    folder_ = std::move(folder);
    folderSynced_ = folder_.empty();
    requested_ = started_ = synced_ = 0;
    error_ = 0;
}

void FileSyncer::Release() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !running_; });
    fd_ = -1;
    requested_ = started_ = synced_ = 0;
    error_ = 0;
}

void FileSyncer::Request() {
    {
        const std::lock_guard lock(mutex_);
        if (fd_ < 0)
            return;
        ++requested_;
    }
    if (!worker_.joinable()) {
        try {
            worker_ = std::jthread([this](std::stop_token stop) { Run(stop); });
        } catch (const std::system_error&) {
            // No thread can be had (the process is at its limit): the sync is made here.
        } catch (const std::bad_alloc&) {
        }
    }
    if (worker_.joinable()) {
        changed_.notify_all();
        return;
    }
    if (const int error = SyncNow()) {
        const std::lock_guard lock(mutex_);
        error_ = error;
    }
}

int FileSyncer::SyncNow() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !running_; });
    if (fd_ < 0)
        return 0;
    const int fd = fd_;
    const uint64_t covered = requested_;
    const bool withFolder = !folderSynced_;
    running_ = true;
    started_ = covered;
    lock.unlock();
    const int error = SyncFile(fd, withFolder ? folder_.c_str() : nullptr);
    lock.lock();
    running_ = false;
    if (error == 0) {
        folderSynced_ = true;
        synced_ = covered;
    }
    const int earlier = error_;
    error_ = 0;
    lock.unlock();
    changed_.notify_all();
    return error != 0 ? error : earlier;
}

int FileSyncer::TakeError() {
    const std::lock_guard lock(mutex_);
    const int error = error_;
    error_ = 0;
    return error;
}

bool FileSyncer::Busy() const {
    const std::lock_guard lock(mutex_);
    return synced_ < requested_ || error_ != 0;
}

void FileSyncer::Run(std::stop_token stop) {
    ::pthread_setname_np(::pthread_self(), "velmora-sync");
    std::unique_lock lock(mutex_);
    for (;;) {
        if (!changed_.wait(lock, stop,
                           [this] { return fd_ >= 0 && !running_ && started_ < requested_; }))
            return; // stopped
        const int fd = fd_;
        const uint64_t covered = requested_;
        const bool withFolder = !folderSynced_;
        running_ = true;
        started_ = covered;
        // folder_ changes only in Attach, which waits for running_ to clear.
        const char* folder = withFolder ? folder_.c_str() : nullptr;
        lock.unlock();
        const int error = SyncFile(fd, folder);
        lock.lock();
        running_ = false;
        if (error == 0) {
            folderSynced_ = true;
            synced_ = covered;
        } else if (error_ == 0) {
            error_ = error;
        }
        changed_.notify_all();
    }
}

int FileSyncer::SyncFile(int fd, const char* folder) {
    // Appending changes the size too, which fdatasync makes durable with the bytes.
    if (fs_.Fdatasync(fd) != 0)
        return errno != 0 ? errno : EIO;
    if (folder != nullptr) {
        const int dir = fs_.Open(folder, O_RDONLY | O_DIRECTORY, 0);
        if (dir >= 0) {
            fs_.Fsync(dir);
            fs_.Close(dir);
        }
    }
    return 0;
}
