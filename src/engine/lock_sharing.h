#pragma once

#include <optional>
#include <string>

#include "common/file_system.h"

namespace pezolva::engine {

// Whether the companion locks taken in a folder are seen by every machine
// that can reach it.  That cannot be proven from one machine (two open
// files of this one conflict wherever the lock table is kept), so it is
// decided from the folder's file system and its mount options:
//  - local file systems share them (every user of this machine);
//  - NFS does, unless mounted with local_lock=flock or local_lock=all;
//  - SMB does from version 3 on kernels from 5.5, which pass flock to the
//    server, unless mounted with nobrl;
//  - FUSE file systems and any type not recognised do not (a FUSE file
//    system may keep locks to itself, and nothing says whether it does).
// nullopt when they are shared; otherwise a line naming the file system.
//
// The mount table and the kernel's release are read through `files`
// ("/proc/self/mountinfo", "/proc/sys/kernel/osrelease"), so that a test
// can give any.
std::optional<std::string> locks_not_shared(FileSystem& files, const std::string& folder);

// The decision for a file system of type `type` mounted with `options`
// (both option fields of its mount-table line), on kernel `release`.
std::optional<std::string> locks_not_shared_on(const std::string& type, const std::string& options,
                                               const std::string& release);

}  // namespace pezolva::engine
