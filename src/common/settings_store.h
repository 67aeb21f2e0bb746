#pragma once

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "common/file_system.h"
#include "common/settings_lines.h"

namespace pezolva {

// The settings of one application while one edit runs: reads see the
// stored values with the edit's own changes on top.
class SettingsEdit {
  public:
    virtual ~SettingsEdit() = default;
    virtual std::string get(const std::string& section, const std::string& key,
                            const std::string& fallback) const = 0;
    virtual void set(const std::string& section, const std::string& key,
                     const std::string& value) = 0;
};

// Per-user settings addressed by application, section and key; every value
// is a text.  Applications, sections and keys compare without regard to
// case.  A missing key reads as the caller's default.
//
// Settings that exist but cannot be read (no permission, a folder in the
// file's place) are never taken for empty ones: reads and edits then throw
// FileError naming the file and the cause, and the file is left as it is.
class SettingsStore {
  public:
    virtual ~SettingsStore() = default;
    // Throws FileError when the settings exist but cannot be read.
    virtual std::string get(const std::string& application, const std::string& section,
                            const std::string& key, const std::string& fallback) = 0;
    // One read-modify-write: `change` reads and sets values of the
    // application's settings while no other program can save them, and
    // what it set is saved in one write at the end.  Throws FileError when
    // the settings cannot be read or written; nothing is saved then, nor
    // when `change` throws.
    virtual void edit(const std::string& application,
                      const std::function<void(SettingsEdit&)>& change) = 0;
    // edit() of one value.
    void save(const std::string& application, const std::string& section, const std::string& key,
              const std::string& value);
};

// Settings in INI files, one per application, `<folder>/<application>.ini`,
// UTF-8 and readable by a person:
//
//   [Projectos]
//   Nomes=brasol;obras
//
// A value is written as it is unless it holds a line break or begins or
// ends with a blank or a quote; then it is written in double quotes with
// C-style escapes.  A section or key that a line could not hold (a line
// break, "]" in a section, "=" in a key) is refused with FileError.
//
// Files are written in UTF-8, but people edit them with what they have: a
// line that is not UTF-8 is read as Windows-1252, and a line holding a NUL
// byte is not read at all; both are written back byte for byte while no
// edit changes them.  A file with no section header among lines that are
// not blank or comments (binary garbage, another format) holds nothing the
// store could read: it is renamed "<file>.<yyyymmddhhnn>.ilegivel" (never
// deleted) and the settings start empty.  Each of these is told once
// through the notice handler (standard error by default).
//
// Each edit holds an advisory lock on the folder's ".lock" from its read to
// its write, so two programs editing at once lose nothing; the file is
// rewritten atomically, only when something changed, and keeps every other
// line (comments included) as it was.  Temporary files that a save killed
// half-way left are removed by the next edit.
class IniSettingsStore : public SettingsStore {
  public:
    IniSettingsStore(std::string folder, FileSystem& files);

    // $XDG_CONFIG_HOME/pelvor, or ~/.config/pelvor.
    static std::string default_folder();

    std::string get(const std::string& application, const std::string& section,
                    const std::string& key, const std::string& fallback) override;
    void edit(const std::string& application,
              const std::function<void(SettingsEdit&)>& change) override;

    // The file that holds an application's settings (it may not exist yet).
    std::string file_of(const std::string& application);

    // Receives what the store tells about the files it read: `important`
    // when settings were set aside (a person should see it), else a note
    // for the message log.
    using NoticeHandler = std::function<void(const std::string& text, bool important)>;
    void on_notice(NoticeHandler handler) { on_notice_ = std::move(handler); }

  private:
    struct Notice {
        std::string text;
        bool important;
    };
    using Notices = std::vector<Notice>;

    // The file's bytes less a byte-order mark, nullopt when there is no
    // file; throws FileError when it cannot be read.
    std::optional<std::string> read_text(const std::string& path);
    // The lines of `content`, read from `path`; nullopt when they hold no
    // settings and the file was set aside (the lock held).  Throws
    // FileError when it cannot be set aside.
    std::optional<std::vector<SettingsLine>> lines_of(const std::string& path,
                                                      const std::string& content, Notices& notices);
    // Renames `path` to a dated name beside it, which it returns.
    std::string set_aside(const std::string& path);
    void tell(const Notices& notices);
    // Removes what saves of `path` killed half-way left beside it
    // (is_atomic_write_leftover); for the holder of the folder's lock.
    void remove_leftovers(const std::string& path);

    std::string folder_;
    FileSystem& files_;
    NoticeHandler on_notice_;
    // Files whose conversion was already told.
    std::set<std::string> noted_;
    // An edit holds the folder's lock: a read made inside it must not wait
    // for it.
    bool editing_ = false;
};

}  // namespace pezolva
