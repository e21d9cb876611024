// A file to save in one of the shapes a save must keep (links, owners, attributes, folders), and a
// modified buffer holding the new text; shared by the save tests.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "buffer/textbuffer.h"
#include "test_support.h"

namespace buftest {

enum class Target {
    Plain,
    SymlinkChain,
    HardLinked,
    NewFile,
    OtherOwner,        // owned by 4242:4343; the saver cannot give a file away (root only)
    WithAttributes,    // a user attribute and an access ACL
    FolderNotWritable, // no temporary file can be made beside it
    StickyFolder,      // the folder refuses to rename over it
};

inline const char* TargetName(Target t) {
    switch (t) {
    case Target::Plain:
        return "Plain";
    case Target::SymlinkChain:
        return "SymlinkChain";
    case Target::HardLinked:
        return "HardLinked";
    case Target::NewFile:
        return "NewFile";
    case Target::OtherOwner:
        return "OtherOwner";
    case Target::WithAttributes:
        return "WithAttributes";
    case Target::FolderNotWritable:
        return "FolderNotWritable";
    case Target::StickyFolder:
        return "StickyFolder";
    }
    return "?";
}

inline void PrintTo(Target t, std::ostream* os) {
    *os << TargetName(t);
}

// The targets a save can only write in place.
inline bool WrittenInPlace(Target t) {
    return t == Target::HardLinked || t == Target::OtherOwner || t == Target::FolderNotWritable ||
           t == Target::StickyFolder;
}

inline std::string OldText() {
    std::string text;
    for (int i = 0; i < 300; ++i)
        text += "old" + std::to_string(i) + ":  ld hl,0FFFFh ; the text on disk\r\n";
    return text;
}

// An access ACL in the kernel's attribute format: the owner rw, user 4242 r, the group r, mask r,
// others nothing.
inline std::string AccessAcl() {
    std::string acl;
    auto put32 = [&acl](uint32_t v) {
        for (int k = 0; k < 4; ++k)
            acl.push_back(static_cast<char>((v >> (8 * k)) & 0xFF));
    };
    auto entry = [&](uint16_t tag, uint16_t perm, uint32_t id) {
        put32(tag | (uint32_t{perm} << 16));
        put32(id);
    };
    put32(2);                   // version
    entry(0x01, 6, 0xFFFFFFFF); // owner
    entry(0x02, 4, 4242);       // a named user
    entry(0x04, 4, 0xFFFFFFFF); // owning group
    entry(0x10, 4, 0xFFFFFFFF); // mask
    entry(0x20, 0, 0xFFFFFFFF); // others
    return acl;
}

// Every extended attribute of a file with its value.
inline std::map<std::string, std::string> Attributes(const std::string& path) {
    std::map<std::string, std::string> values;
    char names[4096];
    const ssize_t n = ::listxattr(path.c_str(), names, sizeof names);
    for (ssize_t at = 0; at < n;) {
        const std::string name(names + at);
        char value[4096];
        const ssize_t size = ::getxattr(path.c_str(), name.c_str(), value, sizeof value);
        values[name] = size < 0 ? "<unreadable>" : std::string(value, static_cast<size_t>(size));
        at += static_cast<ssize_t>(name.size()) + 1;
    }
    return values;
}

class SaveScene {
public:
    explicit SaveScene(Target kind) : kind_(kind) {
        path = dir.File("t.asm");
        final = path;
        cache = dir.File("cache");
        const char* oldCache = std::getenv("XDG_CACHE_HOME");
        oldCache_ = oldCache ? std::optional<std::string>(oldCache) : std::nullopt;
        ::setenv("XDG_CACHE_HOME", cache.c_str(), 1);
        const std::string oldText = OldText();
        if (kind != Target::NewFile && kind != Target::SymlinkChain)
            WriteBytes(path, oldText);
        switch (kind) {
        case Target::SymlinkChain:
            ::mkdir(dir.File("sub").c_str(), 0755);
            final = dir.File("sub/real.asm");
            WriteBytes(final, oldText);
            (void)::symlink("sub/real.asm", dir.File("link2").c_str());
            (void)::symlink("link2", path.c_str());
            break;
        case Target::HardLinked:
            (void)::link(path.c_str(), dir.File("other.asm").c_str());
            break;
        case Target::OtherOwner:
            (void)::chown(path.c_str(), 4242, 4343);
            (void)::chmod(path.c_str(), 0664);
            baseFaults.push_back({Call::Fchown, 1, EPERM, true});
            break;
        case Target::WithAttributes: {
            const std::string acl = AccessAcl();
            attributesSupported =
                ::setxattr(path.c_str(), "user.velmora.note", "kept", 4, 0) == 0 &&
                ::setxattr(path.c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0) == 0;
            break;
        }
        case Target::FolderNotWritable:
            baseFaults.push_back({Call::MkTemp, 1, EACCES});
            break;
        case Target::StickyFolder:
            baseFaults.push_back({Call::Rename, 1, EPERM});
            break;
        default:
            break;
        }
        buffer.ResetToEmpty(LineEndDos);
        for (int i = 0; i < 40; ++i)
            newText += "new" + std::to_string(i) + ":\tdb \"text\",0\r\n";
        newText += "\tend";
        int endLine = 0;
        int endChar = 0;
        buffer.InsertRecorded(nullptr, 0, 0, newText, endLine, endChar, ActionPaste);
        Remember();
    }
    ~SaveScene() {
        if (oldCache_)
            ::setenv("XDG_CACHE_HOME", oldCache_->c_str(), 1);
        else
            ::unsetenv("XDG_CACHE_HOME");
    }
    SaveScene(const SaveScene&) = delete;
    SaveScene& operator=(const SaveScene&) = delete;

    // Takes the file's metadata as it is now as the metadata a save must keep.
    void Remember() {
        before_ = Stat(final);
        attributesBefore_ = Attributes(final);
    }
    Target Kind() const { return kind_; }
    // Why the shape cannot be made here, or empty.
    std::string Unavailable() const {
        if (kind_ == Target::OtherOwner && ::geteuid() != 0)
            return "giving a file to another owner needs root";
        if (!attributesSupported)
            return "the test folder's file system keeps no user attributes or ACLs";
        return {};
    }
    // What the file on disk holds, or "<missing>".
    std::string Content() const { return Exists(final) ? ReadBytes(final) : "<missing>"; }
    std::string OldContent() const { return kind_ == Target::NewFile ? "<missing>" : OldText(); }
    bool SameInode() const { return Stat(final).st_ino == before_.st_ino; }

    // The target is what it was: links are still links, hard links share one file, owner, group,
    // mode and attributes are kept, and no temporary file is left anywhere, unless the failed save
    // `error` names it as the kept copy of the new text (and it holds it).
    void ExpectShapeKept(const FileError& error) const {
        std::vector<std::string> kept;
        for (const std::string& folder : {dir.Path(), dir.File("sub"), cache + "/velmora"}) {
            for (const std::string& name : TempDir::Leftovers(folder))
                kept.push_back(folder + "/" + name);
        }
        if (error.keptPath.empty()) {
            EXPECT_EQ(kept, std::vector<std::string>{});
        } else {
            EXPECT_EQ(kept, std::vector<std::string>{error.keptPath});
            EXPECT_TRUE(ReadBytes(error.keptPath) == newText) << "the kept copy is not the text";
        }
        if (kind_ == Target::SymlinkChain) {
            EXPECT_EQ(ReadLink(path), "link2");
            EXPECT_EQ(ReadLink(dir.File("link2")), "sub/real.asm");
        }
        if (kind_ == Target::HardLinked) {
            EXPECT_TRUE(SameInode());
            EXPECT_EQ(Stat(dir.File("other.asm")).st_ino, before_.st_ino);
            EXPECT_EQ(Stat(final).st_nlink, 2u);
        }
        if (kind_ != Target::NewFile) {
            const struct stat now = Stat(final);
            EXPECT_EQ(now.st_uid, before_.st_uid);
            EXPECT_EQ(now.st_gid, before_.st_gid);
            EXPECT_EQ(now.st_mode, before_.st_mode);
            EXPECT_EQ(Attributes(final), attributesBefore_);
        }
    }

    static struct stat Stat(const std::string& p) {
        struct stat st {};
        ::lstat(p.c_str(), &st);
        return st;
    }
    static std::string ReadLink(const std::string& p) {
        char buf[4096];
        ssize_t n = ::readlink(p.c_str(), buf, sizeof buf);
        return n < 0 ? "<not a link>" : std::string(buf, static_cast<size_t>(n));
    }

    bool Save() { return buffer.WriteToFile(path, LineEndAuto, true); }

    TempDir dir;
    std::string path;
    std::string final;
    std::string cache; // the user's cache folder while the scene lives
    std::string newText;
    CTextBuffer buffer;
    // Faults that make the shape for a saver running as root: a folder that refuses, an owner
    // that cannot be given back.
    std::vector<FaultyFs::Fault> baseFaults;
    bool attributesSupported = true;

private:
    Target kind_;
    struct stat before_ {};
    std::map<std::string, std::string> attributesBefore_;
    std::optional<std::string> oldCache_;
};

} // namespace buftest
