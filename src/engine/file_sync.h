#pragma once

#include <future>
#include <string>

namespace pezolva::engine {

// Makes the data of a file durable (fsync) on a thread of its own, so that
// the caller can go on meanwhile: check a copy before naming it, say.
//
// The file is opened when the object is made and closed when it goes.
// Closing a descriptor drops every POSIX lock the process holds on that
// file, SQLite's included: make the object before any connection of this
// process opens the file, and let it go after they have all closed it.
class FileSync {
  public:
    // ErroAbrirFicheiro when the file cannot be opened.
    explicit FileSync(const std::string& path);
    // Waits for a sync under way.
    ~FileSync();
    FileSync(const FileSync&) = delete;
    FileSync& operator=(const FileSync&) = delete;

    // Begins the sync; harmless when it has begun already.
    void Start();
    // Waits for the sync that Start began (beginning it when it has not):
    // when it returns, what was written before Start is on the disk.
    // ErroDisco when the system could not write it.
    void Wait();

  private:
    std::string path_;
    int fd_ = -1;
    std::future<int> sync_;  // the errno of fsync, 0 when it succeeded
};

}  // namespace pezolva::engine
