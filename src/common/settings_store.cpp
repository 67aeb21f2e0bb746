#include "common/settings_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string_view>
#include <vector>

#include "common/bandeira.h"
#include "common/clock.h"
#include "common/settings_lines.h"
#include "common/text.h"

namespace pezolva {
namespace {

// The section named by a header line "[name]", or nullopt.
std::optional<std::string> section_of(const std::string& line) {
    std::string name;
    if (!is_section_header(line, &name)) return std::nullopt;
    return name;
}

bool is_comment(const std::string& line) {
    const std::string t = trim(line);
    return t.empty() || t.front() == ';' || t.front() == '#';
}

// Key and raw value of an entry line "key=value", or nullopt.
std::optional<std::pair<std::string, std::string>> entry_of(const std::string& line) {
    if (is_comment(line) || section_of(line)) return std::nullopt;
    const auto eq = line.find('=');
    if (eq == std::string::npos) return std::nullopt;
    return std::make_pair(trim(line.substr(0, eq)), line.substr(eq + 1));
}

bool needs_quotes(const std::string& value) {
    if (value.empty()) return false;
    return value.find_first_of("\r\n") != std::string::npos || value.front() == ' ' ||
           value.back() == ' ' || value.front() == '"' || value.front() == '\t' ||
           value.back() == '\t';
}

std::string encode(const std::string& value) {
    if (!needs_quotes(value)) return value;
    std::string out = "\"";
    for (char c : value) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '"':
                out += "\\\"";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                out += c;
        }
    }
    return out + "\"";
}

std::string decode(const std::string& raw) {
    if (raw.size() < 2 || raw.front() != '"' || raw.back() != '"') return raw;
    std::string out;
    for (std::size_t i = 1; i + 1 < raw.size(); ++i) {
        char c = raw[i];
        if (c == '\\' && i + 2 < raw.size()) {
            c = raw[++i];
            if (c == 'n')
                c = '\n';
            else if (c == 'r')
                c = '\r';
            else if (c == 't')
                c = '\t';
        }
        out += c;
    }
    return out;
}

// The lines of one settings file, with an edit's changes made on them.
class IniLines : public SettingsEdit {
  public:
    explicit IniLines(std::vector<SettingsLine> lines) : lines_(std::move(lines)) {}

    std::string get(const std::string& section, const std::string& key,
                    const std::string& fallback) const override {
        bool in_section = false;
        for (const SettingsLine& l : lines_) {
            const std::string& line = l.text;
            if (auto name = section_of(line)) {
                in_section = iequals(*name, section);
            } else if (in_section) {
                if (auto entry = entry_of(line); entry && iequals(entry->first, key)) {
                    return decode(entry->second);
                }
            }
        }
        return fallback;
    }

    // Replaces the key where it stands, or adds it after the last entry of
    // its section, or adds the section at the end.
    void set(const std::string& section, const std::string& key,
             const std::string& value) override {
        check_name(section, key);
        check_text(section, key, value);
        bool in_section = false;
        std::optional<std::size_t> insert_at;
        for (std::size_t i = 0; i < lines_.size(); ++i) {
            if (auto name = section_of(lines_[i].text)) {
                in_section = iequals(*name, section);
                if (in_section && !insert_at) insert_at = i + 1;
                continue;
            }
            if (!in_section) continue;
            if (auto e = entry_of(lines_[i].text)) {
                if (iequals(e->first, key)) {
                    // The key keeps the spelling it was first written with.
                    lines_[i] = line_of(e->first + "=" + encode(value));
                    return;
                }
                insert_at = i + 1;
            }
        }
        const SettingsLine entry = line_of(key + "=" + encode(value));
        if (insert_at) {
            lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(*insert_at), entry);
            return;
        }
        if (!lines_.empty() && !trim(lines_.back().text).empty()) lines_.push_back(line_of(""));
        lines_.push_back(line_of("[" + section + "]"));
        lines_.push_back(entry);
    }

    // The file's new content: each line the edit did not write as it was
    // read, bytes that are not UTF-8 included.
    std::string text() const {
        std::string content;
        for (const SettingsLine& line : lines_) content += line.raw + "\n";
        return content;
    }

  private:
    static SettingsLine line_of(const std::string& text) { return {text, text, false, false}; }

    // A section or key that a line could not hold so that it reads back as
    // itself: a line break or "]" ends a header; blanks around a key are
    // trimmed on reading, "=" ends it, and "[", ";" or "#" could make its
    // line a header or a comment.
    static void check_name(const std::string& section, const std::string& key) {
        const bool bad_section = section.find_first_of("\r\n]") != std::string::npos;
        const bool bad_key = trim(key) != key || key.find_first_of("\r\n=[;#") != std::string::npos;
        if (bad_section || bad_key) {
            throw FileError(
                EINVAL, "As definições não podem guardar " +
                            (bad_section ? "a secção '" + section + "'" : "a chave '" + key + "'") +
                            ".");
        }
    }

    // The store writes UTF-8 only: bytes that are not would be read back
    // as Windows-1252, another text than the one given.
    static void check_text(const std::string& section, const std::string& key,
                           const std::string& value) {
        if (!is_utf8_text(section) || !is_utf8_text(key) || !is_utf8_text(value)) {
            throw FileError(EILSEQ, "As definições só guardam texto UTF-8.");
        }
    }

    std::vector<SettingsLine> lines_;
};

// Holds an exclusive advisory lock on the settings folder's lock file for
// the length of one read-modify-write.
class FolderLock {
  public:
    explicit FolderLock(const std::string& folder) {
        fd_ = ::open(join_path(folder, ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd_ >= 0) {
            int rc;
            while ((rc = ::flock(fd_, LOCK_EX)) != 0 && errno == EINTR) {
            }
            if (rc != 0) {
                ::close(fd_);
                fd_ = -1;
            }
        }
    }
    ~FolderLock() {
        if (fd_ >= 0) ::close(fd_);
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    bool held() const { return fd_ >= 0; }

  private:
    int fd_ = -1;
};

// A name made safe as a file name: "/" cannot stand in one.
std::string file_name_for(const std::string& application) {
    std::string name;
    for (char c : application) name += (c == '/') ? '_' : c;
    if (name.empty() || name.front() == '.') name = "_" + name;
    return name + ".ini";
}

}  // namespace

void SettingsStore::save(const std::string& application, const std::string& section,
                         const std::string& key, const std::string& value) {
    edit(application, [&](SettingsEdit& settings) { settings.set(section, key, value); });
}

IniSettingsStore::IniSettingsStore(std::string folder, FileSystem& files)
    : folder_(std::move(folder)), files_(files) {}

std::string IniSettingsStore::default_folder() {
    return pasta_xdg("XDG_CONFIG_HOME", ".config", "pelvor");
}

std::string IniSettingsStore::file_of(const std::string& application) {
    const std::string wanted = file_name_for(application);
    for (const std::string& name : files_.list_files(folder_)) {
        if (iequals(name, wanted)) return join_path(folder_, name);
    }
    return join_path(folder_, wanted);
}

std::optional<std::string> IniSettingsStore::read_text(const std::string& path) {
    std::optional<std::string> content = files_.read_file(path);
    // A byte-order mark is not part of the first line.
    if (content && content->rfind("\xEF\xBB\xBF", 0) == 0) content->erase(0, 3);
    return content;
}

std::string IniSettingsStore::set_aside(const std::string& path) {
    const std::string stamp = SystemClock().now().stamp();
    for (int n = 1;; ++n) {
        const std::string aside =
            path + "." + stamp + (n > 1 ? "-" + std::to_string(n) : "") + ".ilegivel";
        try {
            files_.rename_no_replace(path, aside);
            return aside;
        } catch (const FileError& e) {
            if (e.error_number() != EEXIST || n >= 99) throw;
        }
    }
}

std::optional<std::vector<SettingsLine>> IniSettingsStore::lines_of(const std::string& path,
                                                                    const std::string& content,
                                                                    Notices& notices) {
    std::vector<SettingsLine> lines = split_settings_lines(content);
    if (holds_no_settings(lines)) {
        const std::string aside = set_aside(path);
        notices.push_back({"O ficheiro de definições " + path +
                               " não tinha definições que se pudessem ler: foi guardado como " +
                               aside + " e as definições recomeçam vazias.",
                           true});
        return std::nullopt;
    }
    const bool converted = std::any_of(lines.begin(), lines.end(), [](const SettingsLine& l) {
        return l.converted || l.unreadable;
    });
    if (converted && noted_.insert(path).second) {
        notices.push_back({"O ficheiro de definições " + path +
                               " tem linhas que não são UTF-8: foram lidas como Windows-1252 e são "
                               "guardadas como estavam.",
                           false});
    }
    return lines;
}

void IniSettingsStore::tell(const Notices& notices) {
    for (const Notice& n : notices) {
        if (on_notice_)
            on_notice_(n.text, n.important);
        else
            std::fprintf(stderr, "%s\n", n.text.c_str());
    }
}

void IniSettingsStore::remove_leftovers(const std::string& path) {
    const std::string file = path.substr(path.rfind('/') + 1);
    for (const std::string& name : files_.list_files(folder_)) {
        if (!is_atomic_write_leftover(name, file)) continue;
        try {
            files_.remove(join_path(folder_, name));
        } catch (const FileError&) {
            // Another try at the next save; the settings themselves are fine.
        }
    }
}

std::string IniSettingsStore::get(const std::string& application, const std::string& section,
                                  const std::string& key, const std::string& fallback) {
    const std::string path = file_of(application);
    std::optional<std::string> content = read_text(path);
    if (!content) return fallback;
    Notices notices;
    std::optional<std::vector<SettingsLine>> lines;
    if (holds_no_settings(split_settings_lines(*content))) {
        // Set aside under the lock, from a fresh read, unless an edit of
        // this store already holds it.
        std::optional<FolderLock> lock;
        if (!editing_) lock.emplace(folder_);
        content = read_text(path);
        if (content) lines = lines_of(path, *content, notices);
    } else {
        lines = lines_of(path, *content, notices);
    }
    tell(notices);
    return lines ? IniLines(std::move(*lines)).get(section, key, fallback) : fallback;
}

void IniSettingsStore::edit(const std::string& application,
                            const std::function<void(SettingsEdit&)>& change) {
    if (!create_directories(files_, folder_)) {
        throw FileError(ENOENT, "Não foi possível criar a pasta de configuração " + folder_);
    }
    Notices notices;
    try {
        const FolderLock lock(folder_);
        const Bandeira editando(editing_);
        const std::string path = file_of(application);
        std::optional<std::string> before = read_text(path);
        std::optional<std::vector<SettingsLine>> read;
        if (before) read = lines_of(path, *before, notices);
        if (!read) before.reset();  // none, or set aside: the edit starts a new file
        IniLines lines(read ? std::move(*read) : std::vector<SettingsLine>());
        change(lines);
        if (lock.held()) remove_leftovers(path);
        const std::string after = lines.text();
        if (!before || after != *before) files_.write_file_atomic(path, after);
    } catch (...) {
        tell(notices);
        throw;
    }
    tell(notices);
}

}  // namespace pezolva
