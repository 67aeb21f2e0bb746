#include "engine/lock_sharing.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <array>
#include <cstdio>
#include <sstream>
#include <vector>

namespace pezolva::engine {
namespace {

constexpr std::array kLocal = {"ext2",   "ext3",    "ext4", "xfs",     "btrfs",    "tmpfs",
                               "ramfs",  "f2fs",    "zfs",  "jfs",     "reiserfs", "bcachefs",
                               "nilfs2", "overlay", "vfat", "msdos",   "exfat",    "ntfs",
                               "ntfs3",  "hfsplus", "udf",  "iso9660", "squashfs", "erofs"};

// One line of the mount table: "36 35 98:0 /mnt1 /mnt2 rw,noatime master:1 - ext3 /dev/root rw".
struct Montagem {
    std::string dispositivo;  // "major:minor"
    std::string ponto;
    std::string tipo;
    std::string opcoes;  // the mount's and the super block's, joined by ","
};

std::optional<Montagem> le_linha(const std::string& linha) {
    std::istringstream in(linha);
    std::vector<std::string> campos;
    for (std::string c; in >> c;) campos.push_back(c);
    Montagem m;
    std::size_t traco = 6;
    while (traco < campos.size() && campos[traco] != "-") ++traco;
    if (campos.size() < 6 || traco + 3 >= campos.size()) return std::nullopt;
    m.dispositivo = campos[2];
    m.ponto = campos[4];
    m.tipo = campos[traco + 1];
    m.opcoes = campos[5] + "," + campos[traco + 3];
    return m;
}

bool tem_opcao(const std::string& opcoes, const std::string& opcao) {
    return ("," + opcoes + ",").find("," + opcao + ",") != std::string::npos;
}

bool contem(const std::string& opcoes, const std::string& parte) {
    return ("," + opcoes).find("," + parte) != std::string::npos;
}

// True for a release "5.5" or later.
bool kernel_passa_flock(const std::string& release) {
    int maior = 0, menor = 0;
    if (std::sscanf(release.c_str(), "%d.%d", &maior, &menor) != 2) return false;
    return maior > 5 || (maior == 5 && menor >= 5);
}

bool e_local(const std::string& tipo) {
    for (const char* t : kLocal) {
        if (tipo == t) return true;
    }
    return false;
}

std::string recusa(const std::string& tipo, const std::string& porque) {
    return "A pasta está num sistema de ficheiros " + tipo + " em que " + porque +
           ": não é possível saber se a base de dados está em uso noutro posto de trabalho.";
}

// The line of the mount table for the file system that holds `folder`: the
// last one of its device (a later mount hides an earlier one).
std::optional<Montagem> montagem_de(const std::string& tabela, const std::string& folder) {
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0) return std::nullopt;
    const std::string dispositivo =
        std::to_string(major(st.st_dev)) + ":" + std::to_string(minor(st.st_dev));
    std::optional<Montagem> encontrada;
    std::istringstream in(tabela);
    for (std::string linha; std::getline(in, linha);) {
        auto m = le_linha(linha);
        if (m && m->dispositivo == dispositivo) encontrada = std::move(m);
    }
    return encontrada;
}

}  // namespace

std::optional<std::string> locks_not_shared_on(const std::string& tipo, const std::string& opcoes,
                                               const std::string& release) {
    if (e_local(tipo)) return std::nullopt;
    if (tipo == "nfs" || tipo == "nfs4") {
        if (tem_opcao(opcoes, "local_lock=flock") || tem_opcao(opcoes, "local_lock=all")) {
            return recusa(tipo, "os bloqueios ficam neste computador (local_lock)");
        }
        return std::nullopt;
    }
    if (tipo == "cifs" || tipo == "smb3") {
        if (tem_opcao(opcoes, "nobrl"))
            return recusa(tipo, "os bloqueios não chegam ao servidor (nobrl)");
        if (tipo == "cifs" && !contem(opcoes, "vers=3")) {
            return recusa(tipo, "os bloqueios só chegam ao servidor a partir da versão 3 do SMB");
        }
        if (!kernel_passa_flock(release)) {
            return recusa(tipo, "este núcleo (" + release + ") não passa os bloqueios ao servidor");
        }
        return std::nullopt;
    }
    if (tipo == "fuse" || tipo == "fuseblk" || tipo.starts_with("fuse.")) {
        return recusa(tipo, "nada garante que os bloqueios sejam partilhados");
    }
    return recusa(tipo, "não se sabe se os bloqueios são partilhados");
}

std::optional<std::string> locks_not_shared(FileSystem& files, const std::string& folder) {
    std::optional<std::string> tabela, release;
    try {
        tabela = files.read_file("/proc/self/mountinfo");
        release = files.read_file("/proc/sys/kernel/osrelease");
    } catch (const FileError&) {
    }
    const std::optional<Montagem> m = tabela ? montagem_de(*tabela, folder) : std::nullopt;
    if (!m) {
        return "Não foi possível saber em que sistema de ficheiros está a pasta " + folder +
               ": não é possível saber se a base de dados está em uso noutro posto de trabalho.";
    }
    std::string r = release.value_or("");
    while (!r.empty() && (r.back() == '\n' || r.back() == ' ')) r.pop_back();
    return locks_not_shared_on(m->tipo, m->opcoes, r);
}

}  // namespace pezolva::engine
