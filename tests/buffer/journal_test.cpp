// The journal of a document's edits against a plain model: random edits, Replace All batches,
// undo and redo (the history small, so groups are dropped and records skipped), saves that start
// new journals, and after each sync a "crash": the journal file as it is on disk is found as left
// behind and replayed onto its base, which must give the text of that moment byte for byte. Cut
// and damaged tails replay up to the last whole frame and never crash. The syncs, made by a thread
// of the writer's own, never reach a journal that was closed or removed, and what is flushed
// becomes durable.
#include <gtest/gtest.h>

#include <sys/file.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "buffer/journal.h"
#include "buffer/journalreplay.h"
#include "buffer/textbuffer.h"
#include "common/test_rng.h"
#include "test_support.h"

namespace buftest {
namespace {

struct FakeClock {
    int64_t now = 1000000;
    JournalClock Clock() {
        return {[this] { return now; }, [this] { return now + 1700000000000; }};
    }
};

// The real file layer, watching the journals' descriptors from every thread. Each sync takes a
// while, as on a busy disk, and notes how much of its file it made durable. A sync of a descriptor
// that is no open journal (closed, perhaps reused), or a close of one while a sync runs on it, is
// noted as a fault.
class WatchedFs final : public FileSystem {
public:
    std::atomic<int> syncMicros{0}; // how long each sync takes, at most
    std::atomic<bool> failSyncs{false};

    std::vector<std::string> Faults() {
        const std::lock_guard lock(mutex_);
        return faults_;
    }
    // The bytes of the file at `path` that a sync made durable.
    int64_t Durable(const std::string& path) {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0)
            return -1;
        const std::lock_guard lock(mutex_);
        const auto it = durable_.find(st.st_ino);
        return it == durable_.end() ? 0 : it->second;
    }

    int MkTemp(char* pathTemplate) override {
        const int fd = Native().MkTemp(pathTemplate);
        const std::lock_guard lock(mutex_);
        if (fd >= 0)
            journals_.insert(fd);
        return fd;
    }
    int Close(int fd) override {
        {
            const std::lock_guard lock(mutex_);
            if (syncing_.count(fd) != 0)
                faults_.push_back("fd " + std::to_string(fd) + " closed while being synced");
            journals_.erase(fd);
        }
        return Native().Close(fd);
    }
    int Fdatasync(int fd) override {
        struct stat st {};
        int turn = 0;
        {
            const std::lock_guard lock(mutex_);
            if (journals_.count(fd) == 0)
                faults_.push_back("fd " + std::to_string(fd) + " synced, no open journal");
            syncing_.insert(fd);
            ::fstat(fd, &st);
            turn = ++syncs_;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(syncMicros * (turn % 4) / 3));
        const int result = failSyncs ? -1 : Native().Fdatasync(fd);
        const int error = failSyncs ? EIO : errno;
        const std::lock_guard lock(mutex_);
        syncing_.erase(syncing_.find(fd));
        if (result == 0)
            durable_[st.st_ino] = std::max<int64_t>(durable_[st.st_ino], st.st_size);
        errno = error;
        return result;
    }

    int Open(const char* p, int flags, mode_t mode) override {
        return Native().Open(p, flags, mode);
    }
    ssize_t Read(int fd, void* b, size_t n) override { return Native().Read(fd, b, n); }
    ssize_t Write(int fd, const void* b, size_t n) override { return Native().Write(fd, b, n); }
    int Fsync(int fd) override { return Native().Fsync(fd); }
    int Fstat(int fd, struct stat* st) override { return Native().Fstat(fd, st); }
    int Stat(const char* p, struct stat* st) override { return Native().Stat(p, st); }
    int Lstat(const char* p, struct stat* st) override { return Native().Lstat(p, st); }
    ssize_t Readlink(const char* p, char* b, size_t n) override {
        return Native().Readlink(p, b, n);
    }
    int Access(const char* p, int mode) override { return Native().Access(p, mode); }
    int Rename(const char* from, const char* to) override { return Native().Rename(from, to); }
    int Unlink(const char* p) override { return Native().Unlink(p); }
    int Fchmod(int fd, mode_t mode) override { return Native().Fchmod(fd, mode); }
    int Fchown(int fd, uid_t u, gid_t g) override { return Native().Fchown(fd, u, g); }
    int Ftruncate(int fd, off_t length) override { return Native().Ftruncate(fd, length); }
    mode_t Umask() override { return Native().Umask(); }

private:
    std::mutex mutex_;
    std::set<int> journals_;
    std::multiset<int> syncing_;
    std::map<ino_t, int64_t> durable_;
    std::vector<std::string> faults_;
    int syncs_ = 0;
};

// Waits (a few seconds at most) until the writer has no sync running or waiting.
bool SyncsDone(const JournalWriter& writer) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (writer.Syncing() && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return !writer.Syncing();
}

// The journal files in `folder`.
int JournalCount(const std::string& folder) {
    std::vector<std::string> names;
    FileSystem::Native().ListFolder(folder.c_str(), names);
    return static_cast<int>(std::count_if(names.begin(), names.end(), [](const std::string& n) {
        return n.starts_with("journal-");
    }));
}

std::string RandomText(testrng::Rng& rng) {
    static const char* const pieces[] = {"a", "bc", "\r\n", "\r", "\n", " ", "\t", "xyz", "\r\r\n"};
    std::string text;
    for (int n = rng.Below(4); n >= 0; --n)
        text += pieces[rng.Below(9)];
    return text;
}

TextPosition RandomPosition(testrng::Rng& rng, const CTextBuffer& b) {
    const int y = rng.Below(b.LineCount());
    return {rng.Below(b.LineLength(y) + 1), y};
}

// Replace All of a short pattern by a replacement of another length: one batch record.
void ReplaceAll(testrng::Rng& rng, CTextBuffer& b) {
    static const char* const patterns[] = {"a", "bc", "x", " "};
    static const char* const replacements[] = {"", "Q", "QQQ", "ab"};
    const std::string pattern = patterns[rng.Below(4)];
    std::vector<TextPosition> positions;
    for (int y = 0; y < b.LineCount(); ++y) {
        const std::string_view line = b.LineText(y);
        for (size_t at = line.find(pattern); at != std::string_view::npos;
             at = line.find(pattern, at + pattern.size()))
            positions.push_back({static_cast<int32_t>(at), y});
    }
    if (!positions.empty())
        b.ReplaceBatchRecorded(nullptr, positions, static_cast<int32_t>(pattern.size()),
                               replacements[rng.Below(4)], ActionReplace);
}

// One random recorded change, undo or redo.
void RandomEdit(testrng::Rng& rng, CTextBuffer& b) {
    TextPosition caret;
    switch (rng.Below(11)) {
    case 10:
        ReplaceAll(rng, b);
        return;
    case 0:
    case 1:
        b.UndoLastStep(caret);
        return;
    case 2:
        b.RedoNextStep(caret);
        return;
    case 3:
    case 4: {
        TextPosition from = RandomPosition(rng, b);
        TextPosition to = RandomPosition(rng, b);
        if (to.y < from.y || (to.y == from.y && to.x < from.x))
            std::swap(from, to);
        b.DeleteRecorded(nullptr, from.y, from.x, to.y, to.x, ActionDelete);
        return;
    }
    default: {
        // A group of one to three insertions, now and then merged with the group before.
        b.OpenEditGroup(rng.Chance(30));
        for (int n = rng.Below(3); n >= 0; --n) {
            const TextPosition at = RandomPosition(rng, b);
            int endLine = 0;
            int endChar = 0;
            b.InsertRecorded(nullptr, at.y, at.x, RandomText(rng), endLine, endChar, ActionTyping);
        }
        b.CloseEditGroup(nullptr);
        return;
    }
    }
}

std::string TextOf(const CTextBuffer& b) {
    std::string all;
    for (int i = 0; i < b.LineCount(); ++i) {
        all += b.LineText(i);
        all += '\0';
    }
    return all;
}

// The only journal in `folder`, found as one left behind (its lock taken), replayed.
struct Recovered {
    bool found = false;
    BaseState base = BaseState::Same;
    ReplayResult result;
    std::string text;
};

Recovered Recover(const std::string& folder) {
    Recovered r;
    std::vector<FoundJournal> found = FindLeftJournals(FileSystem::Native(), folder);
    if (found.size() != 1)
        return r;
    r.found = true;
    r.base = CheckJournalBase(FileSystem::Native(), found[0]);
    CTextBuffer buffer;
    r.result = ReplayJournal(FileSystem::Native(), found[0], buffer);
    r.text = TextOf(buffer);
    EXPECT_EQ(buffer.IsModified(), r.result.replayed);
    ReleaseJournal(FileSystem::Native(), found[0], false);
    return r;
}

// A crash now: the journal file as the disk holds it, copied to a folder of its own (the writer
// keeps its own lock on the original).
std::string CrashCopy(const JournalWriter& writer, const TempDir& dir, const std::string& bytes) {
    const std::string folder = dir.File("crash");
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    EXPECT_TRUE(WriteBytes(folder + "/journal-copy", bytes)) << writer.Path();
    return folder;
}

enum class Start { NewDocument, SmallFile, LargeFile };

void RunModel(Start start, uint64_t seed) {
    TempDir dir;
    testrng::Rng rng(seed);
    FakeClock clock;
    CTextBuffer buffer;
    buffer.SetUndoCapacity(6);
    const std::string file = dir.File("doc.asm");
    JournalWriter::Options options;
    options.folder = dir.File("state/velmora");
    options.clock = clock.Clock();
    options.syncIntervalMs = 1 << 30; // syncs only when told, so the test knows each one
    options.snapshotLimit = start == Start::LargeFile ? 0 : 1 << 20;
    JournalWriter writer(buffer, options);

    const auto base = [&]() {
        JournalBase b;
        if (start == Start::NewDocument && !Exists(file)) {
            b.title = "Source1";
            return b;
        }
        b.path = file;
        b.kind = JournalBaseKind::File;
        EXPECT_TRUE(ReadFileIdentity(FileSystem::Native(), file, true, b.identity));
        return b;
    };
    if (start == Start::NewDocument) {
        buffer.ResetToEmpty(LineEndDos);
    } else {
        ASSERT_TRUE(WriteBytes(file, "org 100h\r\nstart:\tld a,1\r\n\r\n\tret"));
        ASSERT_TRUE(buffer.ReadFromFile(file, LineEndAuto));
    }
    writer.SetBase(base());

    for (int step = 0; step < 150; ++step) {
        RandomEdit(rng, buffer);
        clock.now += rng.Below(700);
        if (rng.Chance(8) && start != Start::NewDocument) {
            // A save ends the journal; the next change starts one on the saved file.
            ASSERT_TRUE(buffer.WriteToFile(file, LineEndAuto, true));
            writer.SetBase(base());
            EXPECT_FALSE(writer.IsOpen());
            continue;
        }
        if (!rng.Chance(40))
            continue;
        ASSERT_TRUE(writer.Flush());
        if (!writer.IsOpen())
            continue; // nothing changed since the base
        const std::string bytes = ReadBytes(writer.Path());
        const Recovered r = Recover(CrashCopy(writer, dir, bytes));
        const auto trace = testing::Message() << "seed " << seed << " step " << step;
        ASSERT_TRUE(r.found) << trace;
        ASSERT_EQ(r.base, BaseState::Same) << trace;
        ASSERT_TRUE(r.result.replayed && r.result.complete) << trace << r.result.problem;
        ASSERT_EQ(Escaped(r.text), Escaped(TextOf(buffer))) << trace;
    }
}

TEST(Journal, ReplayGivesTheTextOfTheLastSyncForANewDocument) {
    for (uint64_t seed = 1; seed <= 12; ++seed)
        RunModel(Start::NewDocument, seed);
}

TEST(Journal, ReplayGivesTheTextOfTheLastSyncOnASnapshotOfAFile) {
    for (uint64_t seed = 100; seed <= 112; ++seed)
        RunModel(Start::SmallFile, seed);
}

TEST(Journal, ReplayGivesTheTextOfTheLastSyncOnALargeFile) {
    for (uint64_t seed = 200; seed <= 212; ++seed)
        RunModel(Start::LargeFile, seed);
}

// Tells the writer of every change, and then remembers the journal's size and the text.
class Spy final : public HistoryObserver {
public:
    Spy(CTextBuffer& buffer, JournalWriter& writer) : buffer_(buffer), writer_(writer) {
        buffer.SetHistoryObserver(this);
    }
    ~Spy() override { buffer_.SetHistoryObserver(&writer_); }
    void OnRecorded(const CTextBuffer& b, const EditRecord& r) override {
        writer_.OnRecorded(b, r);
        Note();
    }
    void OnUndone(const CTextBuffer& b, int first, int end) override {
        writer_.OnUndone(b, first, end);
        Note();
    }
    void OnRedone(const CTextBuffer& b, int first, int end) override {
        writer_.OnRedone(b, first, end);
        Note();
    }
    void OnUnrecordedChange(const CTextBuffer& b) override { writer_.OnUnrecordedChange(b); }

    std::map<int64_t, std::string> textAt; // journal size after a change -> the text then

private:
    void Note() {
        if (writer_.IsOpen())
            textAt[static_cast<int64_t>(ReadBytes(writer_.Path()).size())] = TextOf(buffer_);
    }
    CTextBuffer& buffer_;
    JournalWriter& writer_;
};

// Every change goes out at once, and the journal's size and the text are noted after each; every
// cut of the file replays to the text after the last whole change before the cut, and a damaged
// byte to the text after some change before it. Nothing crashes.
TEST(Journal, CutAndDamagedTailsReplayUpToTheLastWholeFrame) {
    for (const Start start : {Start::NewDocument, Start::SmallFile, Start::LargeFile}) {
        TempDir dir;
        testrng::Rng rng(static_cast<uint64_t>(start) + 7);
        CTextBuffer buffer;
        buffer.SetUndoCapacity(5);
        const std::string file = dir.File("doc.asm");
        JournalWriter::Options options;
        options.folder = dir.File("state");
        options.syncIntervalMs = 0;
        options.snapshotLimit = start == Start::LargeFile ? 0 : 1 << 20;
        JournalWriter writer(buffer, options);
        JournalBase base;
        if (start == Start::NewDocument) {
            buffer.ResetToEmpty(LineEndDos);
        } else {
            ASSERT_TRUE(WriteBytes(file, "a\r\nbc\r\n"));
            ASSERT_TRUE(buffer.ReadFromFile(file, LineEndAuto));
            base.path = file;
            base.kind = JournalBaseKind::File;
            ASSERT_TRUE(ReadFileIdentity(FileSystem::Native(), file, true, base.identity));
        }
        writer.SetBase(base);
        Spy spy(buffer, writer);
        for (int step = 0; step < 40; ++step)
            RandomEdit(rng, buffer);
        ASSERT_TRUE(writer.IsOpen());
        const std::string bytes = ReadBytes(writer.Path());
        const auto textBefore = [&](int64_t end) -> const std::string* {
            auto it = spy.textAt.upper_bound(end);
            return it == spy.textAt.begin() ? nullptr : &(--it)->second;
        };
        for (size_t cut = 0; cut <= bytes.size(); cut += 1 + rng.Below(9)) {
            const Recovered r = Recover(CrashCopy(writer, dir, bytes.substr(0, cut)));
            const std::string* expected = textBefore(static_cast<int64_t>(cut));
            // A snapshot holds the first change already, whole before the frame naming it.
            if (!expected && start == Start::SmallFile && r.found)
                expected = &spy.textAt.begin()->second;
            // Cut before the first change was whole: nothing to recover, and the file is gone.
            ASSERT_EQ(r.found, expected != nullptr) << "cut " << cut;
            if (!expected)
                continue;
            ASSERT_TRUE(r.result.replayed) << "cut " << cut;
            EXPECT_EQ(Escaped(r.text), Escaped(*expected)) << "cut " << cut;
        }
        for (int round = 0; round < 120; ++round) {
            std::string damaged = bytes;
            const size_t at = static_cast<size_t>(rng.Below(static_cast<int>(bytes.size())));
            damaged[at] = static_cast<char>(damaged[at] ^ (1 + rng.Below(255)));
            const Recovered r = Recover(CrashCopy(writer, dir, damaged));
            if (!r.found || !r.result.replayed)
                continue;
            bool known = start == Start::SmallFile && r.text == spy.textAt.begin()->second;
            for (const auto& [size, text] : spy.textAt)
                known = known || (size <= static_cast<int64_t>(at) && text == r.text);
            EXPECT_TRUE(known) << "damaged byte " << at;
        }
    }
}

// Frames within the sync interval wait; the first change after it goes out with them at once.
TEST(Journal, SyncsAtMostOncePerIntervalAndSaysWhenFramesWait) {
    TempDir dir;
    FakeClock clock;
    CTextBuffer buffer;
    buffer.ResetToEmpty(LineEndDos);
    int pendingCalls = 0;
    JournalWriter::Options options;
    options.folder = dir.File("state");
    options.clock = clock.Clock();
    options.onPending = [&] { ++pendingCalls; };
    JournalWriter writer(buffer, options);
    writer.SetBase({});
    int endLine = 0;
    int endChar = 0;
    const auto type = [&](const char* text) {
        buffer.InsertRecorded(nullptr, 0, 0, text, endLine, endChar, ActionTyping);
    };
    type("a"); // opens the journal and goes out at once
    const size_t first = ReadBytes(writer.Path()).size();
    EXPECT_FALSE(writer.HasPending());
    clock.now += 400;
    type("b");
    EXPECT_TRUE(writer.HasPending());
    EXPECT_EQ(pendingCalls, 1);
    clock.now += 400;
    type("c");
    EXPECT_EQ(pendingCalls, 1);
    EXPECT_EQ(ReadBytes(writer.Path()).size(), first);
    clock.now += 200; // a second after the last sync
    type("d");
    EXPECT_FALSE(writer.HasPending());
    EXPECT_GT(ReadBytes(writer.Path()).size(), first);
    // The journal is held while the writer keeps it, and removed by a new base.
    EXPECT_TRUE(FindLeftJournals(FileSystem::Native(), dir.File("state")).empty());
    const std::string path = writer.Path();
    writer.SetBase({});
    EXPECT_FALSE(Exists(path));
}

// A paste of megabytes goes to the file at once, written from the record itself, and waits only
// for its sync.
TEST(Journal, LargeChangesAreWrittenAtOnce) {
    TempDir dir;
    FakeClock clock;
    CTextBuffer buffer;
    buffer.ResetToEmpty(LineEndDos);
    JournalWriter::Options options;
    options.folder = dir.File("state");
    options.clock = clock.Clock();
    JournalWriter writer(buffer, options);
    writer.SetBase({});
    int endLine = 0;
    int endChar = 0;
    buffer.InsertRecorded(nullptr, 0, 0, "a", endLine, endChar, ActionTyping);
    clock.now += 10;
    std::string big;
    for (int i = 0; big.size() < (3u << 20); ++i)
        big += "\tld a," + std::to_string(i) + "\r\n";
    buffer.InsertRecorded(nullptr, 0, 1, big, endLine, endChar, ActionPaste);
    EXPECT_GT(ReadBytes(writer.Path()).size(), big.size());
    EXPECT_TRUE(writer.HasPending()); // the sync waits for its second
    ASSERT_TRUE(writer.Flush());
    const Recovered r = Recover(CrashCopy(writer, dir, ReadBytes(writer.Path())));
    ASSERT_TRUE(r.found && r.result.complete);
    EXPECT_EQ(r.text, TextOf(buffer));
}

// A text loaded from a file "one\r\ntwo" with a journal that leans on the file (no snapshot),
// with one character typed.
class EditedFile {
public:
    explicit EditedFile(const TempDir& dir, FileSystem* fs = nullptr,
                        FileSystem* journalFs = nullptr)
        : file(dir.File("doc.asm")) {
        EXPECT_TRUE(WriteBytes(file, "one\r\ntwo"));
        EXPECT_TRUE(buffer.ReadFromFile(file, LineEndAuto));
        buffer.SetFileSystem(fs);
        JournalWriter::Options options;
        options.fs = journalFs;
        options.folder = dir.File("state");
        options.snapshotLimit = 0;
        writer = std::make_unique<JournalWriter>(buffer, options);
        base = {file, "doc.asm", {}, JournalBaseKind::File};
        EXPECT_TRUE(ReadFileIdentity(FileSystem::Native(), file, true, base.identity));
        writer->SetBase(base);
        Type(1, 3, "!");
    }
    void Type(int line, int column, const char* text) {
        int endLine = 0;
        int endChar = 0;
        buffer.InsertRecorded(nullptr, line, column, text, endLine, endChar, ActionTyping);
    }

    const std::string file;
    CTextBuffer buffer;
    std::unique_ptr<JournalWriter> writer;
    JournalBase base;
};

// A file deleted from under a large document: the new journal holds the whole text, so it no
// longer needs the file, and the old journal is gone.
TEST(Journal, RebaseStartsFromASnapshotOfTheText) {
    TempDir dir;
    EditedFile doc(dir);
    ASSERT_TRUE(doc.writer->Flush());
    const std::string old = doc.writer->Path();
    std::filesystem::remove(doc.file);
    doc.writer->Rebase(doc.base);
    EXPECT_FALSE(Exists(old));
    doc.Type(0, 0, "?");
    ASSERT_TRUE(doc.writer->Flush());
    const Recovered r = Recover(CrashCopy(*doc.writer, dir, ReadBytes(doc.writer->Path())));
    ASSERT_TRUE(r.found && r.result.complete);
    EXPECT_EQ(r.base, BaseState::Changed);
    EXPECT_EQ(Escaped(r.text), Escaped(TextOf(doc.buffer)));
}

// A file of two hard links is saved by rewriting it in place. Before the file is opened for the
// rewrite, the journal names the complete copy of the new text, synced (while syncs are slow): an
// editor killed during the rewrite, or a power cut, when the file holds neither text, leaves a
// journal that points at the saved text.
TEST(Journal, ARewriteInPlaceNamesTheCopyOfTheTextFirst) {
    TempDir dir;
    FaultyFs fs;
    WatchedFs journalFs;
    journalFs.syncMicros = 20000;
    EditedFile doc(dir, &fs, &journalFs);
    ASSERT_EQ(::link(doc.file.c_str(), dir.File("other-link").c_str()), 0);
    // The journal and the copies as a kill at the last opening of the file would leave them.
    std::string crash;
    int64_t undurable = -1;
    std::map<std::string, std::string> copies;
    fs.before = [&](Call call, const char* path) {
        if (call != Call::Open || path != doc.file)
            return;
        const std::string journal = ReadBytes(doc.writer->Path());
        crash = CrashCopy(*doc.writer, dir, journal);
        undurable = static_cast<int64_t>(journal.size()) - journalFs.Durable(doc.writer->Path());
        for (const std::string& name : dir.TempLeftovers())
            copies[dir.File(name)] = ReadBytes(dir.File(name));
    };
    ASSERT_TRUE(doc.buffer.WriteToFile(doc.file, LineEndAuto, true));
    // Synced, not only written: a power cut then leaves the same journal.
    EXPECT_EQ(undurable, 0);
    std::vector<FoundJournal> found = FindLeftJournals(FileSystem::Native(), crash);
    ASSERT_EQ(found.size(), 1u);
    ASSERT_EQ(copies.count(found[0].savedCopy), 1u) << found[0].savedCopy;
    EXPECT_EQ(copies[found[0].savedCopy], "one\r\ntwo!");
    ReleaseJournal(FileSystem::Native(), found[0], false);
}

// Edits, flushes, saves, closes and rebases with slow syncs, as on a busy disk: no sync reaches a
// journal that was closed or removed, a save or a close leaves no journal, every flush is made
// durable once its sync is done, and a kill at a flush leaves the text of that moment.
TEST(Journal, BackgroundSyncsNeverOutliveTheJournal) {
    for (uint64_t seed = 300; seed <= 303; ++seed) {
        TempDir dir;
        testrng::Rng rng(seed);
        WatchedFs fs;
        fs.syncMicros = 3000;
        FakeClock clock;
        CTextBuffer buffer;
        buffer.SetUndoCapacity(6);
        const std::string file = dir.File("doc.asm");
        ASSERT_TRUE(WriteBytes(file, "org 100h\r\n\tret"));
        ASSERT_TRUE(buffer.ReadFromFile(file, LineEndAuto));
        const auto base = [&] {
            JournalBase b{file, "doc.asm", {}, JournalBaseKind::File};
            EXPECT_TRUE(ReadFileIdentity(FileSystem::Native(), file, true, b.identity));
            return b;
        };
        JournalWriter::Options options;
        options.fs = &fs;
        options.folder = dir.File("state");
        options.clock = clock.Clock();
        options.syncIntervalMs = 100;
        auto writer = std::make_unique<JournalWriter>(buffer, options);
        writer->SetBase(base());
        for (int step = 0; step < 160; ++step) {
            const auto trace = testing::Message() << "seed " << seed << " step " << step;
            const int action = rng.Below(16);
            if (action == 0 || action == 1) {
                // Saved or closed just after a flush, while its sync runs.
                writer->Flush();
                if (action == 0) {
                    ASSERT_TRUE(buffer.WriteToFile(file, LineEndAuto, true));
                    writer->SetBase(base());
                } else {
                    writer->Discard();
                }
                EXPECT_EQ(JournalCount(options.folder), 0) << trace;
            } else if (action == 2 && writer->IsOpen()) {
                const std::string old = writer->Path();
                writer->Rebase(base());
                // The new journal holds the text, synced, before the old one goes.
                EXPECT_FALSE(Exists(old)) << trace;
                ASSERT_TRUE(writer->IsOpen()) << trace;
                EXPECT_EQ(fs.Durable(writer->Path()),
                          static_cast<int64_t>(ReadBytes(writer->Path()).size()))
                    << trace;
            } else if (action == 3 && writer->IsOpen()) {
                ASSERT_TRUE(writer->Flush()) << trace;
                const std::string bytes = ReadBytes(writer->Path());
                const Recovered r = Recover(CrashCopy(*writer, dir, bytes));
                ASSERT_TRUE(r.found && r.result.complete) << trace << r.result.problem;
                ASSERT_EQ(Escaped(r.text), Escaped(TextOf(buffer))) << trace;
                ASSERT_TRUE(SyncsDone(*writer)) << trace;
                EXPECT_GE(fs.Durable(writer->Path()), static_cast<int64_t>(bytes.size())) << trace;
            } else {
                RandomEdit(rng, buffer);
                clock.now += rng.Below(60);
            }
            ASSERT_EQ(fs.Faults(), std::vector<std::string>{}) << trace;
            EXPECT_LE(JournalCount(options.folder), 1) << trace;
        }
        // The writer's end leaves the journal for a later start, synced whole.
        const std::string path = writer->IsOpen() ? writer->Path() : std::string();
        writer.reset();
        EXPECT_EQ(fs.Faults(), std::vector<std::string>{});
        if (!path.empty()) {
            EXPECT_EQ(fs.Durable(path), static_cast<int64_t>(ReadBytes(path).size()));
        }
    }
}

// A background sync that fails is told at the next flush, once, and ends the journal: the user
// learns that the changes are not kept safe, and no later sync touches the file.
TEST(Journal, AFailedBackgroundSyncIsToldAndEndsTheJournal) {
    TempDir dir;
    WatchedFs fs;
    fs.failSyncs = true;
    FakeClock clock;
    CTextBuffer buffer;
    buffer.ResetToEmpty(LineEndDos);
    std::vector<FileError> errors;
    JournalWriter::Options options;
    options.fs = &fs;
    options.folder = dir.File("state");
    options.clock = clock.Clock();
    options.onError = [&](const FileError& e) { errors.push_back(e); };
    JournalWriter writer(buffer, options);
    writer.SetBase({});
    int endLine = 0;
    int endChar = 0;
    buffer.InsertRecorded(nullptr, 0, 0, "a", endLine, endChar, ActionTyping);
    ASSERT_TRUE(writer.IsOpen());
    const std::string path = writer.Path();
    EXPECT_TRUE(writer.Syncing()); // until the failure is told
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (writer.Flush() && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].errorNumber, EIO);
    EXPECT_FALSE(writer.IsOpen());
    EXPECT_FALSE(writer.Syncing());
    EXPECT_FALSE(Exists(path));
    buffer.InsertRecorded(nullptr, 0, 0, "b", endLine, endChar, ActionTyping);
    EXPECT_FALSE(writer.IsOpen()); // none until the next base
    EXPECT_EQ(errors.size(), 1u);
    EXPECT_EQ(fs.Faults(), std::vector<std::string>{});
}

} // namespace
} // namespace buftest
