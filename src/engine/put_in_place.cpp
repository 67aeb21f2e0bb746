#include "engine/put_in_place.h"

#include <cerrno>

namespace pezolva::engine {
namespace {

bool cannot_swap(const FileError& e) {
    return e.error_number() == EINVAL || e.error_number() == ENOSYS ||
           e.error_number() == EOPNOTSUPP;
}

std::string in_two_steps(FileSystem& files, const std::string& ready, const std::string& target,
                         const std::string& aside) {
    files.rename_no_replace(target, aside);
    try {
        files.rename_no_replace(ready, target);
    } catch (const FileError&) {
        files.rename_no_replace(aside, target);
        throw;
    }
    return aside;
}

}  // namespace

std::optional<std::string> put_in_place(FileSystem& files, const std::string& ready,
                                        const std::string& target, const std::string& aside) {
    if (!files.exists(target)) {
        files.rename_no_replace(ready, target);
        return std::nullopt;
    }
    try {
        files.exchange(ready, target);
        return ready;
    } catch (const FileError& e) {
        if (!cannot_swap(e)) throw;
    }
    return in_two_steps(files, ready, target, aside);
}

}  // namespace pezolva::engine
