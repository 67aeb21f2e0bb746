#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace pezolva {

// A failed file operation, with a Portuguese description of the cause that
// messages can show as it is.
class FileError : public std::runtime_error {
  public:
    FileError(int error_number, const std::string& description)
        : std::runtime_error(description), error_number_(error_number) {}
    int error_number() const { return error_number_; }
    const char* descricao() const { return what(); }

  private:
    int error_number_;
};

// Portuguese text for an errno value.
std::string describe_errno(int error_number);

// How far a copy in the kernel got: the bytes copied, and the errno that
// ended it early (0 when it reached the end asked for, or of the file).
struct KernelCopied {
    std::int64_t bytes = 0;
    int error_number = 0;
};

// Copies up to `size` bytes of descriptor `in`, from offset `from`, to the
// same offsets of `out`, in the kernel (no bytes through this process; a
// shared extent where the file system can make one), in blocks of `block`
// bytes; `after_block` (when given) hears the bytes copied so far after
// each block and may throw to stop.  It ends early at the first error
// (EXDEV or EOPNOTSUPP where the file systems cannot; ENOSPC...): the
// caller then goes on, or fails, from the bytes copied.  The descriptors'
// own positions are not moved.
KernelCopied kernel_copy(int in, int out, std::int64_t from, std::int64_t size, std::size_t block,
                         const std::function<void(std::int64_t)>& after_block = {});

// The file operations of the component, behind one seam so that tests can
// make any of them fail (a full disk, a refused rename) and check that
// nothing is lost.  Paths are "/" separated.  Operations that change
// something throw FileError on failure and leave the files as they were.
class FileSystem {
  public:
    virtual ~FileSystem() = default;

    virtual bool exists(const std::string& path) = 0;
    virtual bool is_directory(const std::string& path) = 0;
    // Names (not paths) of the regular files in `folder`, in the order the
    // file system gives them; empty when the folder cannot be read.
    virtual std::vector<std::string> list_files(const std::string& folder) = 0;
    virtual std::optional<std::uint64_t> file_size(const std::string& path) = 0;

    virtual void remove(const std::string& path) = 0;
    // Renames `from` to `to`, refusing when `to` exists: a rename never
    // replaces a file.
    virtual void rename_no_replace(const std::string& from, const std::string& to) = 0;
    // Gives the file `from` a second name `to` (a hard link), refusing when
    // `to` exists; both names are then the same file.
    virtual void link_no_replace(const std::string& from, const std::string& to) = 0;
    // Creates a new, empty file readable and writable by its owner only;
    // refused when `path` exists.
    virtual void create_file(const std::string& path) = 0;
    // Swaps the names of two existing files in one step, so that each name
    // always holds a complete file.  FileError with EINVAL where the file
    // system cannot do it (the caller may then fall back on renames).
    virtual void exchange(const std::string& a, const std::string& b) = 0;
    // Copies `from` to a new file `to` (refused when `to` exists), readable
    // and writable by its owner only, with its data on disk before
    // returning.  On failure no part of `to` remains.
    virtual void copy_file(const std::string& from, const std::string& to) = 0;
    // Creates one folder level; false when it could not (it exists already,
    // or the parent is missing, or permission is refused).
    virtual bool create_directory(const std::string& path) = 0;
    // Writes a whole file atomically: a new file beside it, synced, then
    // renamed over `path`.  Readers see the old or the new content, never a
    // part.
    virtual void write_file_atomic(const std::string& path, const std::string& content) = 0;
    // The whole file; nullopt when there is no such file.  Throws FileError
    // when it exists but cannot be read (permission, a folder, I/O).
    virtual std::optional<std::string> read_file(const std::string& path) = 0;

    // The owner's write permission is the "read-only attribute": a file
    // without it is read-only.  Throws FileError when the file is missing.
    virtual bool is_read_only(const std::string& path) = 0;
    virtual void set_read_only(const std::string& path, bool read_only) = 0;

    // The permission bits (rwx for owner, group and others) of a file or
    // folder; nullopt when it cannot be read.
    virtual std::optional<unsigned> permissions(const std::string& path) = 0;
    // Sets them; throws FileError.
    virtual void set_permissions(const std::string& path, unsigned bits) = 0;

    // A rename, link or swap is on the disk only once its folder is synced.
    // When that sync fails the new name stays (the file under it is
    // complete), but the disk did not confirm it: the next call gives the
    // message saying so (for the first such name since the last call), and
    // the operation that made it must not report success nor delete what
    // it would otherwise have replaced.  nullopt when all were confirmed.
    virtual std::optional<std::string> take_unconfirmed() { return std::nullopt; }
};

// The real file system of this machine.
class LocalFileSystem : public FileSystem {
  public:
    bool exists(const std::string& path) override;
    bool is_directory(const std::string& path) override;
    std::vector<std::string> list_files(const std::string& folder) override;
    std::optional<std::uint64_t> file_size(const std::string& path) override;
    void remove(const std::string& path) override;
    void rename_no_replace(const std::string& from, const std::string& to) override;
    void link_no_replace(const std::string& from, const std::string& to) override;
    void create_file(const std::string& path) override;
    void exchange(const std::string& a, const std::string& b) override;
    void copy_file(const std::string& from, const std::string& to) override;
    bool create_directory(const std::string& path) override;
    void write_file_atomic(const std::string& path, const std::string& content) override;
    std::optional<std::string> read_file(const std::string& path) override;
    bool is_read_only(const std::string& path) override;
    void set_read_only(const std::string& path, bool read_only) override;
    std::optional<unsigned> permissions(const std::string& path) override;
    void set_permissions(const std::string& path, unsigned bits) override;
    std::optional<std::string> take_unconfirmed() override;

  protected:
    // fsync of the folder; the errno when it failed, 0 otherwise.
    virtual int sync_folder(const std::string& folder);

  private:
    void confirm(const std::string& name);
    std::optional<std::string> unconfirmed_;
};

// Whether the file name `name` is one that LocalFileSystem::write_file_atomic
// gives its new file beside the file named `file` ("<file>.<16 hex
// digits>.tmp"): what a write killed half-way leaves.  Only a writer that
// excludes every other writer of `file` may remove such a file.
bool is_atomic_write_leftover(const std::string& name, const std::string& file);

// Creates a folder and any missing parents; true when it exists at the end.
bool create_directories(FileSystem& files, const std::string& path);

// A per-user folder as the XDG conventions place it: $`variavel`/`nome`
// when that variable holds an absolute path, else ~/`omissao`/`nome`
// ("XDG_CONFIG_HOME" and ".config", "XDG_DATA_HOME" and ".local/share").
std::string pasta_xdg(const char* variavel, const char* omissao, const std::string& nome);

// Joins a folder and a name with exactly one "/".
std::string join_path(const std::string& folder, const std::string& name);

}  // namespace pezolva
