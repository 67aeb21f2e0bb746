#pragma once

#include <string>

#include "common/file_system.h"

namespace pezolva {

// Per-user settings addressed by application, section and key; every value
// is a text.  Applications, sections and keys compare without regard to
// case.  A missing key reads as the caller's default.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual std::string get(const std::string& application, const std::string& section,
                            const std::string& key, const std::string& fallback) = 0;
    // Throws FileError when the settings cannot be written.
    virtual void save(const std::string& application, const std::string& section,
                      const std::string& key, const std::string& value) = 0;
};

// Settings in INI files, one per application, `<folder>/<application>.ini`,
// UTF-8 and readable by a person:
//
//   [Projectos]
//   Nomes=brasol;obras
//
// A value is written as it is unless it holds a line break or begins or
// ends with a blank or a quote; then it is written in double quotes with
// C-style escapes.  Each save rewrites the whole file atomically under an
// advisory lock, so two programs saving at once lose nothing, and keeps
// every other line (comments included) as it was.
class IniSettingsStore : public SettingsStore {
public:
    IniSettingsStore(std::string folder, FileSystem& files);

    // $XDG_CONFIG_HOME/pelvor, or ~/.config/pelvor.
    static std::string default_folder();

    std::string get(const std::string& application, const std::string& section,
                    const std::string& key, const std::string& fallback) override;
    void save(const std::string& application, const std::string& section,
              const std::string& key, const std::string& value) override;

    // The file that holds an application's settings (it may not exist yet).
    std::string file_of(const std::string& application);

private:
    std::string folder_;
    FileSystem& files_;
};

}  // namespace pezolva
