#include "engine/journals_aside.h"

namespace pezolva::engine {

JournalsAside::JournalsAside(FileSystem& files, const std::string& database,
                             const std::string& aside)
    : files_(files), database_(database), aside_(aside) {
    try {
        for (const char* ending : {"-journal", "-wal"}) {
            if (!files_.exists(database_ + ending)) continue;
            if (files_.file_size(database_ + ending).value_or(1) == 0) {
                // Nothing in it to apply (the one SwapLock's connection
                // opens, say): it goes like the index.
                remove_quietly(database_ + ending);
                continue;
            }
            files_.rename_no_replace(database_ + ending, aside_ + ending);
            moved_.push_back(ending);
        }
    } catch (const FileError&) {
        bring_back();
        throw;
    }
    remove_quietly(database_ + "-shm");  // rebuilt from the WAL by whoever opens the file next
}

void JournalsAside::remove_quietly(const std::string& path) {
    try {
        if (files_.exists(path)) files_.remove(path);
    } catch (const FileError&) {
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
