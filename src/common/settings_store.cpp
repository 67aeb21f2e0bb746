#include "common/settings_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <optional>
#include <sstream>
#include <vector>

#include "common/text.h"

namespace pezolva {
namespace {

std::vector<std::string> split_lines(const std::string& content) {
    std::vector<std::string> lines;
    std::istringstream in(content);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// The section named by a header line "[name]", or nullopt.
std::optional<std::string> section_of(const std::string& line) {
    const std::string t = trim(line);
    if (t.size() < 2 || t.front() != '[' || t.back() != ']') return std::nullopt;
    return t.substr(1, t.size() - 2);
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
            case '\\': out += "\\\\"; break;
            case '"': out += "\\\""; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default: out += c;
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
            if (c == 'n') c = '\n';
            else if (c == 'r') c = '\r';
            else if (c == 't') c = '\t';
        }
        out += c;
    }
    return out;
}

// Holds an exclusive advisory lock on the settings folder's lock file for
// the length of one read-modify-write.
class FolderLock {
public:
    explicit FolderLock(const std::string& folder) {
        fd_ = ::open(join_path(folder, ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd_ >= 0) {
            while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
            }
        }
    }
    ~FolderLock() {
        if (fd_ >= 0) ::close(fd_);
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

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

std::string IniSettingsStore::get(const std::string& application, const std::string& section,
                                  const std::string& key, const std::string& fallback) {
    const auto content = files_.read_file(file_of(application));
    if (!content) return fallback;
    bool in_section = false;
    for (const std::string& line : split_lines(*content)) {
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

void IniSettingsStore::save(const std::string& application, const std::string& section,
                            const std::string& key, const std::string& value) {
    if (!create_directories(files_, folder_)) {
        throw FileError(ENOENT, "Não foi possível criar a pasta de configuração " + folder_);
    }
    FolderLock lock(folder_);
    const std::string path = file_of(application);
    std::vector<std::string> lines = split_lines(files_.read_file(path).value_or(""));
    const std::string entry = key + "=" + encode(value);

    // Replace the key where it stands, or add it after the last entry of
    // its section, or add the section at the end.
    bool in_section = false;
    bool replaced = false;
    std::optional<std::size_t> insert_at;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (auto name = section_of(lines[i])) {
            in_section = iequals(*name, section);
            if (in_section && !insert_at) insert_at = i + 1;
            continue;
        }
        if (!in_section) continue;
        if (auto e = entry_of(lines[i])) {
            if (iequals(e->first, key)) {
                // The key keeps the spelling it was first written with.
                lines[i] = e->first + "=" + encode(value);
                replaced = true;
                break;
            }
            insert_at = i + 1;
        }
    }
    if (!replaced && insert_at) {
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(*insert_at), entry);
    } else if (!replaced) {
        if (!lines.empty() && !trim(lines.back()).empty()) lines.emplace_back();
        lines.push_back("[" + section + "]");
        lines.push_back(entry);
    }
    std::string content;
    for (const std::string& line : lines) content += line + "\n";
    files_.write_file_atomic(path, content);
}

}  // namespace pezolva
