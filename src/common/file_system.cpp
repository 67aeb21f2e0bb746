#include "common/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string_view>
#include <utility>

namespace pezolva {
namespace {

[[noreturn]] void fail(int error_number, const std::string& what) {
    throw FileError(error_number, what + ": " + describe_errno(error_number));
}

// Closes a descriptor when it goes out of scope.
class Fd {
  public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    // Closes now and reports the error a deferred write may give at close.
    int close() {
        const int r = ::close(fd_);
        fd_ = -1;
        return r;
    }

  private:
    int fd_;
};

std::string parent_of(const std::string& path) {
    const auto p = path.rfind('/');
    if (p == std::string::npos) return ".";
    if (p == 0) return "/";
    return path.substr(0, p);
}

constexpr std::size_t kTokenDigits = 16;
constexpr std::string_view kAtomicWriteEnding = ".tmp";

std::string temporary_sibling(const std::string& path) {
    static thread_local std::mt19937_64 generator{std::random_device{}()};
    char token[kTokenDigits + 1];
    std::snprintf(token, sizeof token, "%016llx", static_cast<unsigned long long>(generator()));
    return path + "." + token + std::string(kAtomicWriteEnding);
}

void write_all(int fd, const char* data, std::size_t size, const std::string& path) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            fail(errno, "Não foi possível escrever " + path);
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
}

}  // namespace

KernelCopied kernel_copy(int in, int out, std::int64_t from, std::int64_t size, std::size_t block,
                         const std::function<void(std::int64_t)>& after_block) {
    KernelCopied copied;
    while (copied.bytes < size) {
        loff_t in_at = from + copied.bytes, out_at = in_at;
        const auto chunk = static_cast<std::size_t>(
            std::min<std::int64_t>(static_cast<std::int64_t>(block), size - copied.bytes));
        const ssize_t n = ::copy_file_range(in, &in_at, out, &out_at, chunk, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) copied.error_number = errno;
        if (n <= 0) break;
        copied.bytes += n;
        if (after_block) after_block(copied.bytes);
    }
    return copied;
}

std::string describe_errno(int error_number) {
    switch (error_number) {
        case ENOENT:
            return "o ficheiro ou a pasta não existe";
        case EACCES:
        case EPERM:
            return "acesso negado";
        case EEXIST:
        case ENOTEMPTY:
            return "já existe um ficheiro com esse nome";
        case ENOSPC:
            return "não há espaço livre no disco";
        case EDQUOT:
            return "a quota do disco foi excedida";
        case EROFS:
            return "o disco só permite leitura";
        case EBUSY:
        case ETXTBSY:
            return "o ficheiro está em uso";
        case EISDIR:
            return "é uma pasta, não um ficheiro";
        case ENOTDIR:
            return "uma parte do caminho não é uma pasta";
        case ENAMETOOLONG:
            return "o nome é demasiado comprido";
        case EXDEV:
            return "os dois caminhos estão em discos diferentes";
        case EIO:
            return "erro de entrada/saída no disco";
        case EINVAL:
            return "operação inválida";
        default:
            return std::string("erro do sistema ") + std::to_string(error_number) + " (" +
                   std::strerror(error_number) + ")";
    }
}

std::string pasta_xdg(const char* variavel, const char* omissao, const std::string& nome) {
    const char* xdg = std::getenv(variavel);
    if (xdg != nullptr && *xdg == '/') return join_path(xdg, nome);
    const char* home = std::getenv("HOME");
    return join_path(join_path(home != nullptr ? home : ".", omissao), nome);
}

std::string join_path(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    if (folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

bool is_atomic_write_leftover(const std::string& name, const std::string& file) {
    const std::string_view text = name;
    if (text.size() != file.size() + 1 + kTokenDigits + kAtomicWriteEnding.size()) return false;
    if (!text.starts_with(file) || text[file.size()] != '.' ||
        !text.ends_with(kAtomicWriteEnding)) {
        return false;
    }
    const std::string_view token = text.substr(file.size() + 1, kTokenDigits);
    return std::all_of(token.begin(), token.end(),
                       [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; });
}

bool create_directories(FileSystem& files, const std::string& path) {
    for (std::size_t fim = path.find('/', 1); fim != std::string::npos;
         fim = path.find('/', fim + 1)) {
        const std::string parte = path.substr(0, fim);
        if (!files.is_directory(parte)) files.create_directory(parte);
    }
    if (!files.is_directory(path)) files.create_directory(path);
    return files.is_directory(path);
}

int LocalFileSystem::sync_folder(const std::string& folder) {
    Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() < 0) return 0;  // a folder we may not read: as before, not asked
    // EINVAL: a file system that has nothing to sync for a folder.
    return ::fsync(dir.get()) == 0 || errno == EINVAL ? 0 : errno;
}

void LocalFileSystem::confirm(const std::string& name) {
    const int error_number = sync_folder(parent_of(name));
    if (error_number != 0 && !unconfirmed_) {
        unconfirmed_ =
            "O disco não confirmou o novo nome " + name + ": " + describe_errno(error_number) + ".";
    }
}

std::optional<std::string> LocalFileSystem::take_unconfirmed() {
    return std::exchange(unconfirmed_, std::nullopt);
}

bool LocalFileSystem::exists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

bool LocalFileSystem::is_directory(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::vector<std::string> LocalFileSystem::list_files(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        struct stat st;
        if (::stat(join_path(folder, name).c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
            names.push_back(name);
        }
    }
    ::closedir(dir);
    return names;
}

std::optional<std::uint64_t> LocalFileSystem::file_size(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return static_cast<std::uint64_t>(st.st_size);
}

void LocalFileSystem::remove(const std::string& path) {
    if (::unlink(path.c_str()) != 0) fail(errno, "Não foi possível apagar " + path);
}

void LocalFileSystem::rename_no_replace(const std::string& from, const std::string& to) {
    if (::syscall(SYS_renameat2, AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) !=
        0) {
        fail(errno, "Não foi possível mudar o nome de " + from + " para " + to);
    }
    confirm(to);
}

void LocalFileSystem::link_no_replace(const std::string& from, const std::string& to) {
    if (::link(from.c_str(), to.c_str()) != 0) {
        fail(errno, "Não foi possível dar a " + from + " o nome " + to);
    }
    confirm(to);
}

void LocalFileSystem::create_file(const std::string& path) {
    Fd out(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (out.get() < 0) fail(errno, "Não foi possível criar " + path);
}

void LocalFileSystem::exchange(const std::string& a, const std::string& b) {
    if (::syscall(SYS_renameat2, AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_EXCHANGE) != 0) {
        fail(errno, "Não foi possível trocar " + a + " com " + b);
    }
    confirm(b);
}

void LocalFileSystem::copy_file(const std::string& from, const std::string& to) {
    Fd in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0) fail(errno, "Não foi possível abrir " + from);
    Fd out(::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (out.get() < 0) fail(errno, "Não foi possível criar " + to);
    try {
        // In the kernel as far as it can; where it cannot, or at an error
        // other than a full disk, the rest is read and written, which tells
        // a read error from a write error.
        const KernelCopied copied =
            kernel_copy(in.get(), out.get(), 0, std::numeric_limits<std::int64_t>::max(), 64 << 20);
        if (copied.error_number == ENOSPC || copied.error_number == EDQUOT)
            fail(copied.error_number, "Não foi possível escrever " + to);
        const bool done = copied.error_number == 0;
        if (!done && (::lseek(in.get(), copied.bytes, SEEK_SET) < 0 ||
                      ::lseek(out.get(), copied.bytes, SEEK_SET) < 0)) {
            fail(errno, "Não foi possível ler " + from);
        }
        char buffer[1 << 16];
        for (bool at_end = done; !at_end;) {
            const ssize_t n = ::read(in.get(), buffer, sizeof buffer);
            if (n < 0) {
                if (errno == EINTR) continue;
                fail(errno, "Não foi possível ler " + from);
            }
            at_end = n == 0;
            write_all(out.get(), buffer, static_cast<std::size_t>(n), to);
        }
        if (::fsync(out.get()) != 0) fail(errno, "Não foi possível gravar " + to);
        if (out.close() != 0) fail(errno, "Não foi possível gravar " + to);
    } catch (...) {
        ::unlink(to.c_str());
        throw;
    }
}

bool LocalFileSystem::create_directory(const std::string& path) {
    return ::mkdir(path.c_str(), 0755) == 0;
}

void LocalFileSystem::write_file_atomic(const std::string& path, const std::string& content) {
    const std::string temporary = temporary_sibling(path);
    {
        Fd out(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (out.get() < 0) fail(errno, "Não foi possível criar " + temporary);
        try {
            write_all(out.get(), content.data(), content.size(), temporary);
            if (::fsync(out.get()) != 0) fail(errno, "Não foi possível gravar " + temporary);
            if (out.close() != 0) fail(errno, "Não foi possível gravar " + temporary);
        } catch (...) {
            ::unlink(temporary.c_str());
            throw;
        }
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        const int error_number = errno;
        ::unlink(temporary.c_str());
        fail(error_number, "Não foi possível gravar " + path);
    }
    confirm(path);
}

std::optional<std::string> LocalFileSystem::read_file(const std::string& path) {
    Fd in(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0) {
        if (errno == ENOENT || errno == ENOTDIR) return std::nullopt;
        fail(errno, "Não foi possível ler " + path);
    }
    std::string content;
    char buffer[1 << 14];
    for (;;) {
        const ssize_t n = ::read(in.get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            fail(errno, "Não foi possível ler " + path);
        }
        if (n == 0) break;
        content.append(buffer, static_cast<std::size_t>(n));
    }
    return content;
}

bool LocalFileSystem::is_read_only(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) fail(errno, path);
    return (st.st_mode & S_IWUSR) == 0;
}

void LocalFileSystem::set_read_only(const std::string& path, bool read_only) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) fail(errno, path);
    const mode_t mode = read_only ? (st.st_mode & ~S_IWUSR) : (st.st_mode | S_IWUSR);
    if (::chmod(path.c_str(), mode & 07777) != 0) fail(errno, path);
}

std::optional<unsigned> LocalFileSystem::permissions(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return static_cast<unsigned>(st.st_mode & 0777);
}

void LocalFileSystem::set_permissions(const std::string& path, unsigned bits) {
    if (::chmod(path.c_str(), static_cast<mode_t>(bits & 0777)) != 0) {
        fail(errno, "Não foi possível mudar as permissões de " + path);
    }
}

}  // namespace pezolva
