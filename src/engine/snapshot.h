#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <string>

#include "engine/database.h"

namespace pezolva::engine {

// Writes to `target`, a new file made with permission bits `mode`, the
// bytes of the open database `database` as they stand at one committed
// moment: a raw copy of its file, taken under the connection's shared lock,
// which is held only for the length of the copy (other users' commits wait
// that long, not for the whole work done from the copy).  When the
// connection reads through SQLite's plain unix file layer, the kernel
// copies the bytes from SQLite's own descriptor (copy_file_range), without
// passing them through this process; otherwise, or where the kernel cannot
// copy between the two files, they are read through the connection.
// `copied`, when given, is called with the bytes copied so far and the
// file's size as the copy goes on (the lock still held).
// The copy is a database in its own right, with the same password; it is
// not synced: it is meant as a private, short-lived source to read from.
//
// Returns false and writes nothing when the database is in WAL mode: there
// the file alone is not one state, and a reader holds no writer back
// anyway, so the database can be read in place.
//
// Throws EngineError: ErroBaseExiste when `target` exists, ErroDiscoCheio
// or ErroDisco (naming `target`) when it cannot be written, ErroCancelado
// on an interruption request, or what reading the database raises.  On an
// error no part of `target` remains.  ErroMotor inside an open transaction
// of `database`.
bool SnapshotFile(Database& database, const std::string& target, mode_t mode,
                  const std::function<void(std::int64_t, std::int64_t)>& copied = {});

}  // namespace pezolva::engine
