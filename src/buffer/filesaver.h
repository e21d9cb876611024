// Saving a file so that neither its old nor its new text is ever lost.
//
// The new text always goes to a temporary file first ("CRE" and a unique suffix), written in full
// and synced. Then one of two ways finishes the save:
//  - Replace: the temporary file gets the old file's owner, group, mode and extended attributes
//    (ACLs included), is renamed over the file in one step, and the folder is synced.
//  - In place, wherever a rename would change what the file is: several hard links, an owner,
//    group, mode or attribute the copy cannot be given, a folder the user may not write, a folder
//    that refuses the rename (sticky). The file is rewritten through its own inode and synced;
//    only then is the temporary file removed. Should the rewrite fail, the old bytes are written
//    back and the temporary file is kept, named in the error; should the program die meanwhile,
//    the temporary file is still there, complete and synced.
// When no temporary file can be made in the file's folder, it is made in the user's cache folder
// and the file is rewritten in place.
//
// Symbolic links are followed and kept (a dangling link creates its target). A file the user may
// not write is not saved. A failed save is never reported as success: every write, sync and close
// is checked, and the old file stays whole on every failure before the rename (or before the
// in-place rewrite starts). A failed folder sync after the rename is reported although the new
// text is in place.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "buffer/filesystem.h"

// Writes the whole new text to `fd` and counts its bytes in `written`; false with errno set on
// failure. Called for the temporary file, and once more for an in-place rewrite: it must write the
// same bytes each time.
using TextWriter = std::function<bool(int fd, int64_t& written)>;

// Told the temporary file's path when the file is about to be rewritten in place: the temporary
// file is complete and synced, and holds the new text whatever becomes of the rewrite.
using RewriteNotice = std::function<void(const std::string& copyPath)>;

// Saves the text to `path` through `fs`. On failure returns false and describes it in `error`.
bool SaveFile(FileSystem& fs, const std::string& path, const TextWriter& write, FileError& error,
              const RewriteNotice& beforeRewrite = {});

// The folder for temporary copies that cannot be made beside their file: $XDG_CACHE_HOME/velmora,
// by default ~/.cache/velmora, created (mode 0700) when missing. Empty when there is none.
std::string UserCacheFolder(FileSystem& fs);
