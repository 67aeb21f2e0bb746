#include "engine/journals_aside.h"

namespace pezolva::engine {

JournalsAside::JournalsAside(FileSystem& files, const std::string& database, const std::string& aside)
    : files_(files), database_(database), aside_(aside) {
    try {
        for (const char* ending : {"-journal", "-wal"}) {
            if (!files_.exists(database_ + ending)) continue;
            files_.rename_no_replace(database_ + ending, aside_ + ending);
            moved_.push_back(ending);
        }
    } catch (const FileError&) {
        bring_back();
        throw;
    }
    try {
        if (files_.exists(database_ + "-shm")) files_.remove(database_ + "-shm");
    } catch (const FileError&) {
        // Rebuilt from the WAL by whoever opens the file next.
    }
}

void JournalsAside::bring_back() {
    for (const std::string& ending : moved_) {
        try {
            files_.rename_no_replace(aside_ + ending, database_ + ending);
        } catch (const FileError&) {
        }
    }
    moved_.clear();
}

}  // namespace pezolva::engine
