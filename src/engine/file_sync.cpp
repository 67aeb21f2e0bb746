#include "engine/file_sync.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "engine/error.h"

namespace pezolva::engine {

FileSync::FileSync(const std::string& path)
    : path_(path), fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
    if (fd_ < 0) {
        throw EngineError(ErroAbrirFicheiro, "Não foi possível abrir o ficheiro '" + path + "'. " +
                                                 std::strerror(errno));
    }
}

FileSync::~FileSync() {
    if (sync_.valid()) sync_.wait();
    ::close(fd_);
}

void FileSync::Start() {
    if (sync_.valid()) return;
    const int fd = fd_;
    sync_ = std::async(std::launch::async, [fd] { return ::fsync(fd) == 0 ? 0 : errno; });
}

void FileSync::Wait() {
    Start();
    const int error = sync_.get();
    if (error != 0) {
        throw EngineError(ErroDisco, "Erro de disco ao gravar o ficheiro '" + path_ + "'. " +
                                         std::strerror(error));
    }
}

}  // namespace pezolva::engine
