#include "engine/detail/two_connections.h"

#include <atomic>
#include <future>

namespace pezolva::engine::detail {

void ShareOnTwoConnections(Database& first, const std::string& path, const std::string& connect,
                           std::size_t items, const std::function<void(Database&)>& before,
                           const std::function<void(Database&, std::size_t, bool)>& item,
                           const std::function<bool()>& stop) {
    std::atomic<std::size_t> next{0};
    const auto work = [&](Database& on, bool calling_thread) {
        for (std::size_t i = next++; i < items && !(stop && stop()); i = next++)
            item(on, i, calling_thread);
    };
    std::future<void> second = std::async(std::launch::async, [&] {
        Database other = OpenDatabase(path, false, true, connect);
        if (before) before(other);
        work(other, false);
    });
    try {
        work(first, true);
    } catch (...) {
        next = items;  // the other thread stops at its next piece
        second.wait();
        throw;
    }
    second.get();
}

}  // namespace pezolva::engine::detail
