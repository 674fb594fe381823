// Files written whole or not at all.
//
// AtomicFile collects the bytes in a temporary file next to the target (same folder, so the
// final rename stays on one file system), checks every write, syncs the data, renames the
// temporary over the target and syncs the folder. Until commit() succeeds the target is
// untouched; an AtomicFile destroyed without a commit removes its temporary file.
//
// A target that is a symbolic link is resolved, so the link keeps pointing at the new file. A
// target that exists and is not a regular file (a terminal, a pipe, /dev/stdout, /dev/full) is
// written in place: there is nothing to replace atomically, but every error is still reported.
//
// Failures throw SystemException carrying the OS error and a context that names the target in
// the user's words.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string_view>

namespace omni::foundation {

class AtomicFile {
public:
    // Creates the temporary file. Throws when the folder cannot take one.
    explicit AtomicFile(const std::filesystem::path& target);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Writes every byte or throws.
    void write(const void* data, std::size_t size);
    void write(std::string_view bytes) { write(bytes.data(), bytes.size()); }
    // Syncs, closes and renames over the target. Throws on any failure; the target is then as
    // it was.
    void commit();

    const std::filesystem::path& target() const { return target_; }
    // Empty when the target is written in place.
    const std::filesystem::path& temporary() const { return temporary_; }

private:
    [[noreturn]] void fail(int error);
    void discard() noexcept;

    std::filesystem::path target_;
    std::filesystem::path temporary_;
    int fd_ = -1;
    bool committed_ = false;
};

// Writes `bytes` as the whole content of `target`, as AtomicFile does.
void writeFileAtomically(const std::filesystem::path& target, std::string_view bytes);

// The name prefix of every temporary file made here.
inline constexpr std::string_view kTemporaryPrefix = ".omni-tmp-";

// Removes the temporary files in `folder` that a process no longer running left behind (a crash
// between creating and renaming). Files of running processes are kept. Errors are ignored.
void removeLeftoverTemporaries(const std::filesystem::path& folder);

// Syncs a folder's entries to storage (after a rename into it). Errors are ignored: not every
// file system can sync a directory.
void syncFolder(const std::filesystem::path& folder) noexcept;

}  // namespace omni::foundation
