#include "support/faulty_vfs.h"

#include <stdexcept>

namespace pezolva::testing {
namespace {

constexpr const char* kName = "pz_faulty";

// An open file: our header, then the wrapped layer's file right after it.
// SQLite keeps the name it opened the file with unchanged until xClose.
struct File {
    sqlite3_file base;
    FaultyVfs* owner;
    const char* path;
};

sqlite3_file* real(sqlite3_file* f) {
    return reinterpret_cast<sqlite3_file*>(reinterpret_cast<File*>(f) + 1);
}
File* mine(sqlite3_file* f) { return reinterpret_cast<File*>(f); }
FaultyVfs* owner_of(sqlite3_vfs* vfs) { return static_cast<FaultyVfs*>(vfs->pAppData); }
sqlite3_vfs* base_of(sqlite3_vfs* vfs) { return owner_of(vfs)->base(); }

// The four operations that can be made to fail.
int x_read(sqlite3_file* f, void* out, int amount, sqlite3_int64 offset) {
    if (const int rc = mine(f)->owner->on_call(FaultyVfs::Read, mine(f)->path); rc != SQLITE_OK)
        return rc;
    return real(f)->pMethods->xRead(real(f), out, amount, offset);
}
int x_write(sqlite3_file* f, const void* in, int amount, sqlite3_int64 offset) {
    if (const int rc = mine(f)->owner->on_call(FaultyVfs::Write, mine(f)->path); rc != SQLITE_OK)
        return rc;
    return real(f)->pMethods->xWrite(real(f), in, amount, offset);
}
int x_truncate(sqlite3_file* f, sqlite3_int64 size) {
    if (const int rc = mine(f)->owner->on_call(FaultyVfs::Truncate, mine(f)->path); rc != SQLITE_OK)
        return rc;
    return real(f)->pMethods->xTruncate(real(f), size);
}
int x_sync(sqlite3_file* f, int flags) {
    if (const int rc = mine(f)->owner->on_call(FaultyVfs::Sync, mine(f)->path); rc != SQLITE_OK)
        return rc;
    return real(f)->pMethods->xSync(real(f), flags);
}

// The others pass through.
int x_close(sqlite3_file* f) {
    const int rc = real(f)->pMethods ? real(f)->pMethods->xClose(real(f)) : SQLITE_OK;
    f->pMethods = nullptr;
    return rc;
}
int x_file_size(sqlite3_file* f, sqlite3_int64* size) {
    return real(f)->pMethods->xFileSize(real(f), size);
}
int x_lock(sqlite3_file* f, int level) { return real(f)->pMethods->xLock(real(f), level); }
int x_unlock(sqlite3_file* f, int level) { return real(f)->pMethods->xUnlock(real(f), level); }
int x_check_reserved_lock(sqlite3_file* f, int* out) {
    return real(f)->pMethods->xCheckReservedLock(real(f), out);
}
int x_file_control(sqlite3_file* f, int op, void* arg) {
    return real(f)->pMethods->xFileControl(real(f), op, arg);
}
int x_sector_size(sqlite3_file* f) { return real(f)->pMethods->xSectorSize(real(f)); }
int x_device_characteristics(sqlite3_file* f) {
    return real(f)->pMethods->xDeviceCharacteristics(real(f));
}

bool has_shm(sqlite3_file* f) {
    return real(f)->pMethods->iVersion >= 2 && real(f)->pMethods->xShmMap;
}
int x_shm_map(sqlite3_file* f, int page, int size, int extend, void volatile** out) {
    if (!has_shm(f)) return SQLITE_IOERR_SHMMAP;
    return real(f)->pMethods->xShmMap(real(f), page, size, extend, out);
}
int x_shm_lock(sqlite3_file* f, int offset, int n, int flags) {
    if (!has_shm(f)) return SQLITE_IOERR_SHMLOCK;
    return real(f)->pMethods->xShmLock(real(f), offset, n, flags);
}
void x_shm_barrier(sqlite3_file* f) {
    if (has_shm(f)) real(f)->pMethods->xShmBarrier(real(f));
}
int x_shm_unmap(sqlite3_file* f, int remove) {
    if (!has_shm(f)) return SQLITE_OK;
    return real(f)->pMethods->xShmUnmap(real(f), remove);
}
// No memory-mapped reads: every read must go through xRead to be counted.
int x_fetch(sqlite3_file*, sqlite3_int64, int, void** out) {
    *out = nullptr;
    return SQLITE_OK;
}
int x_unfetch(sqlite3_file*, sqlite3_int64, void*) { return SQLITE_OK; }

const sqlite3_io_methods kMethods = {
    3,
    x_close,
    x_read,
    x_write,
    x_truncate,
    x_sync,
    x_file_size,
    x_lock,
    x_unlock,
    x_check_reserved_lock,
    x_file_control,
    x_sector_size,
    x_device_characteristics,
    x_shm_map,
    x_shm_lock,
    x_shm_barrier,
    x_shm_unmap,
    x_fetch,
    x_unfetch,
};

int x_open(sqlite3_vfs* vfs, const char* name, sqlite3_file* f, int flags, int* out_flags) {
    FaultyVfs* owner = owner_of(vfs);
    File* file = mine(f);
    file->base.pMethods = nullptr;
    file->owner = owner;
    file->path = name;
    real(f)->pMethods = nullptr;
    const int rc = owner->base()->xOpen(owner->base(), name, real(f), flags, out_flags);
    // A failed open that left methods behind still wants its xClose.
    if (real(f)->pMethods != nullptr) file->base.pMethods = &kMethods;
    return rc;
}

int x_delete(sqlite3_vfs* vfs, const char* name, int sync_dir) {
    return base_of(vfs)->xDelete(base_of(vfs), name, sync_dir);
}
int x_access(sqlite3_vfs* vfs, const char* name, int flags, int* out) {
    return base_of(vfs)->xAccess(base_of(vfs), name, flags, out);
}
int x_full_pathname(sqlite3_vfs* vfs, const char* name, int size, char* out) {
    return base_of(vfs)->xFullPathname(base_of(vfs), name, size, out);
}
void* x_dl_open(sqlite3_vfs* vfs, const char* name) {
    return base_of(vfs)->xDlOpen(base_of(vfs), name);
}
void x_dl_error(sqlite3_vfs* vfs, int size, char* out) {
    base_of(vfs)->xDlError(base_of(vfs), size, out);
}
void (*x_dl_sym(sqlite3_vfs* vfs, void* handle, const char* symbol))(void) {
    return base_of(vfs)->xDlSym(base_of(vfs), handle, symbol);
}
void x_dl_close(sqlite3_vfs* vfs, void* handle) { base_of(vfs)->xDlClose(base_of(vfs), handle); }
int x_randomness(sqlite3_vfs* vfs, int size, char* out) {
    return base_of(vfs)->xRandomness(base_of(vfs), size, out);
}
int x_sleep(sqlite3_vfs* vfs, int microseconds) {
    return base_of(vfs)->xSleep(base_of(vfs), microseconds);
}
int x_current_time(sqlite3_vfs* vfs, double* out) {
    return base_of(vfs)->xCurrentTime(base_of(vfs), out);
}
int x_get_last_error(sqlite3_vfs* vfs, int size, char* out) {
    return base_of(vfs)->xGetLastError(base_of(vfs), size, out);
}
int x_current_time_int64(sqlite3_vfs* vfs, sqlite3_int64* out) {
    return base_of(vfs)->xCurrentTimeInt64(base_of(vfs), out);
}

}  // namespace

FaultyVfs::FaultyVfs() {
    previous_default_ = sqlite3_vfs_find(nullptr);
    base_ = sqlite3_vfs_find("unix");
    if (base_ == nullptr || base_->iVersion < 2)
        throw std::runtime_error("no \"unix\" file layer to wrap");
    vfs_.iVersion = 2;
    vfs_.szOsFile = static_cast<int>(sizeof(File)) + base_->szOsFile;
    vfs_.mxPathname = base_->mxPathname;
    vfs_.zName = kName;
    vfs_.pAppData = this;
    vfs_.xOpen = x_open;
    vfs_.xDelete = x_delete;
    vfs_.xAccess = x_access;
    vfs_.xFullPathname = x_full_pathname;
    vfs_.xDlOpen = x_dl_open;
    vfs_.xDlError = x_dl_error;
    vfs_.xDlSym = x_dl_sym;
    vfs_.xDlClose = x_dl_close;
    vfs_.xRandomness = x_randomness;
    vfs_.xSleep = x_sleep;
    vfs_.xCurrentTime = x_current_time;
    vfs_.xGetLastError = x_get_last_error;
    vfs_.xCurrentTimeInt64 = x_current_time_int64;
    if (sqlite3_vfs_register(&vfs_, 1) != SQLITE_OK)
        throw std::runtime_error("cannot register the faulty layer");
}

FaultyVfs::~FaultyVfs() {
    sqlite3_vfs_unregister(&vfs_);
    if (previous_default_ != nullptr) sqlite3_vfs_register(previous_default_, 1);
}

void FaultyVfs::fail(const Fault& fault) {
    std::lock_guard<std::mutex> lock(mutex_);
    fault_ = fault;
    matching_ = 0;
}

void FaultyVfs::disarm() {
    std::lock_guard<std::mutex> lock(mutex_);
    fault_.reset();
}

int FaultyVfs::calls(Operation operation, const std::string& path_part) const {
    std::lock_guard<std::mutex> lock(mutex_);
    int n = 0;
    for (const auto& [path, counts] : calls_) {
        if (path.find(path_part) != std::string::npos) n += counts[operation];
    }
    return n;
}

int FaultyVfs::failures() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return failures_;
}

int FaultyVfs::on_call(Operation operation, const char* path) {
    const std::string name = path != nullptr ? path : "";
    std::lock_guard<std::mutex> lock(mutex_);
    ++calls_[name][operation];
    if (!fault_ || fault_->operation != operation ||
        name.find(fault_->path_part) == std::string::npos) {
        return SQLITE_OK;
    }
    ++matching_;
    if (matching_ == fault_->nth || (fault_->lasting && matching_ > fault_->nth)) {
        ++failures_;
        return fault_->code;
    }
    return SQLITE_OK;
}

}  // namespace pezolva::testing
