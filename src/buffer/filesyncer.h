// FileSyncer: makes what was written to one open file durable on a thread of its own, so that the
// thread that writes (the editor's, between keystrokes) never waits for the disk.
//
// The caller owns the file: it opens it, writes to it and closes it. It hands the descriptor over
// with Attach and takes it back with Release, which waits for a sync that is running; only after
// Release may the descriptor be closed, so a sync never reaches a closed descriptor, nor another
// file that was given its number. The worker only syncs (the file, and once its folder, so that
// the file's name survives a power cut as well); it never writes, opens the file by name or makes
// it anew.
//
// Request asks for everything written so far to be synced and returns at once. Requests that come
// while a sync runs are served together by one more sync after it. The outcome of a failed sync is
// kept until TakeError collects it, on the caller's thread.
//
// All calls come from one thread (the owner's); the worker is started at the first request and
// stopped by the destructor.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <stop_token>
#include <string>
#include <thread>

class FileSystem;

class FileSyncer {
public:
    explicit FileSyncer(FileSystem& fs);
    FileSyncer(const FileSyncer&) = delete;
    FileSyncer& operator=(const FileSyncer&) = delete;
    // Releases the file and stops the worker.
    ~FileSyncer();

    // Syncs `fd` from now on, and `folder` (unless empty) once after the first sync of it that
    // succeeds. A file attached before is released first.
    void Attach(int fd, std::string folder);
    // Drops the requests not yet started and waits for a running sync to end; the descriptor is
    // the caller's alone again. A failure not yet collected is forgotten.
    void Release();

    // Asks for a sync of what was written so far. Without a worker (none could be started) the
    // sync is made here.
    void Request();
    // Syncs here and now, after a running sync has ended: 0 when everything written so far is
    // durable, else the error number of this sync or of a failed one not yet collected.
    int SyncNow();
    // The error number of a failed background sync, once; 0 when none failed.
    int TakeError();
    // A sync requested and not made yet, or a failure not yet collected.
    bool Busy() const;

private:
    void Run(std::stop_token stop);
    // Syncs `fd` and, when `folder` is set, the folder; 0 or the error number.
    int SyncFile(int fd, const char* folder);

    FileSystem& fs_;
    mutable std::mutex mutex_;
    std::condition_variable_any changed_;
    // All below guarded by mutex_.
    int fd_ = -1;
    std::string folder_;
    bool folderSynced_ = false;
    uint64_t requested_ = 0; // requests made since Attach
    uint64_t started_ = 0;   // the requests the running or last sync covers
    uint64_t synced_ = 0;    // the requests known durable
    bool running_ = false;   // a sync (the worker's or SyncNow's) is using fd_
    int error_ = 0;
    // Last, so that it stops before the members it uses go.
    std::jthread worker_;
};
