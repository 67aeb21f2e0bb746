#include "engine/temporary_files.h"

#include <algorithm>

#include "engine/delete_database.h"
#include "engine/error.h"

namespace pezolva::engine {

TemporaryFiles::~TemporaryFiles() {
    for (Claimed& c : claimed_) free(c, true);
}

std::string TemporaryFiles::claim(const std::string& path) {
    claimed_.push_back({path, CompanionLock(path, CompanionLock::Mode::Shared)});
    return claimed_.back().path;
}

void TemporaryFiles::remove(const std::string& path) { give_up(path, true); }

void TemporaryFiles::release(const std::string& path) { give_up(path, false); }

void TemporaryFiles::keep(const std::string& path) {
    std::erase_if(claimed_, [&](const Claimed& c) { return c.path == path; });
}

void TemporaryFiles::give_up(const std::string& path, bool with_file) {
    auto it = std::find_if(claimed_.begin(), claimed_.end(),
                           [&](const Claimed& c) { return c.path == path; });
    if (it == claimed_.end()) return;
    free(*it, with_file);
    claimed_.erase(it);
}

void TemporaryFiles::free(Claimed& c, bool with_file) {
    // Our shared lock goes first: removing takes the exclusive one.
    c.lock.release();
    try {
        if (with_file) {
            delete_database(files_, c.path);
        } else {
            for (const std::string& f : companion_files(c.path)) {
                if (files_.exists(f)) files_.remove(f);
            }
        }
    } catch (const FileError&) {
    } catch (const EngineError&) {
        // Left for the next run to reclaim.
    }
}

std::uint64_t random_token(Random& random) {
    const auto half = [&random] {
        return static_cast<std::uint64_t>(random.uniform() * 4294967296.0) & 0xFFFFFFFFu;
    };
    const std::uint64_t high = half();
    return (high << 32) | half();
}

}  // namespace pezolva::engine
