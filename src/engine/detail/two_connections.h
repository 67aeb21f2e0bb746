#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "engine/database.h"

namespace pezolva::engine::detail {

// Shares `items` pieces of read-only work on one file between two threads,
// each with its connection: the calling thread's `first`, and a second
// connection to `path` opened with `connect` on a thread of its own, where
// `before` runs first.  Each thread takes the next piece not taken
// (`item(connection, index, on_calling_thread)`) until none is left or
// `stop` says so.  When either thread throws, the other stops at its next
// piece and is waited for, and the exception goes on.
void ShareOnTwoConnections(Database& first, const std::string& path, const std::string& connect,
                           std::size_t items, const std::function<void(Database&)>& before,
                           const std::function<void(Database&, std::size_t, bool)>& item,
                           const std::function<bool()>& stop = {});

}  // namespace pezolva::engine::detail
