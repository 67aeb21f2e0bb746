#include "engine/delete_database.h"

#include <map>
#include <string_view>

#include "engine/error.h"
#include "engine/lock_file.h"

namespace pezolva::engine {

std::vector<std::string> companion_files(const std::string& path) {
    // "<name>.lock" is the lock file as earlier versions named it.
    return {path + "-journal", path + "-wal", path + "-shm", path + ".lock", companion_path(path)};
}

bool delete_database(FileSystem& files, const std::string& path) {
    CompanionLock lock;
    try {
        lock = CompanionLock(path, CompanionLock::Mode::Exclusive);
    } catch (const EngineError& e) {
        if (e.numero() == ErroEmUso) return false;
        throw;
    }
    if (files.exists(path)) files.remove(path);
    // The lock file goes last: until then it keeps others out.
    for (const std::string& c : companion_files(path)) {
        if (files.exists(c)) files.remove(c);
    }
    return true;
}

std::optional<std::string> database_of_file(
    const std::string& name, const std::function<bool(const std::string&)>& is_database) {
    const auto if_database = [&](std::string_view candidate) -> std::optional<std::string> {
        if (is_database(std::string(candidate))) return std::string(candidate);
        return std::nullopt;
    };
    if (is_database(name)) return name;
    const std::string_view text = name;
    for (std::string_view end : {"-journal", "-wal", "-shm"}) {
        if (text.ends_with(end)) return if_database(text.substr(0, text.size() - end.size()));
    }
    if (!text.ends_with(".lock")) return std::nullopt;
    const std::string_view without_end = text.substr(0, text.size() - 5);
    if (without_end.starts_with('.')) {
        if (auto d = if_database(without_end.substr(1))) return d;
    }
    return if_database(without_end);
}

Leftovers delete_leftovers(FileSystem& files, const std::string& folder,
                           const std::function<bool(const std::string&)>& is_leftover,
                           const std::function<void(const std::string&)>& before) {
    // Each leftover with the files of it that are there.
    std::map<std::string, std::vector<std::string>> groups;
    for (const std::string& name : files.list_files(folder)) {
        if (const auto leftover = database_of_file(name, is_leftover))
            groups[*leftover].push_back(name);
    }
    Leftovers done;
    for (const auto& [leftover, names] : groups) {
        const int count = static_cast<int>(names.size());
        std::uint64_t bytes = 0;
        for (const std::string& name : names)
            bytes += files.file_size(join_path(folder, name)).value_or(0);
        const std::string path = join_path(folder, leftover);
        try {
            if (InUse(path)) {  // a live run's, or maybe: nobody can tell
                done.left += count;
                continue;
            }
            if (before) before(path);
            if (!delete_database(files, path)) {
                done.left += count;
                continue;
            }
        } catch (const FileError&) {
            continue;
        } catch (const EngineError&) {
            continue;
        }
        done.removed += count;
        done.bytes += bytes;
    }
    return done;
}

std::string left_behind(int files, const std::string& folder, const std::string& who) {
    return "Ficaram " + std::to_string(files) + " ficheiros temporários na pasta " + folder +
           " que " + who + " pode estar a usar.";
}

}  // namespace pezolva::engine
