#pragma once

#include <cerrno>
#include <map>
#include <optional>
#include <string>

#include "common/file_system.h"

namespace pezolva::testing {

// The real file system, except that chosen operations fail: the Nth call
// of an operation (counting from 1; 0 for every call) throws FileError as
// a full disk would, or `file_size` reports a chosen size.
class FaultyFileSystem : public LocalFileSystem {
  public:
    // Operation names: "remove", "rename_no_replace", "link_no_replace", "exchange",
    // "copy_file", "create_directory", "write_file_atomic", and "sync_folder"
    // (the folder's sync after a new name: the name stays, unconfirmed).
    void fail(const std::string& operation, int call = 0, int error_number = ENOSPC) {
        failures_[operation] = {call, error_number, false};
    }
    // Every call of `operation` from the Nth on fails.
    void fail_from(const std::string& operation, int call, int error_number = ENOSPC) {
        failures_[operation] = {call, error_number, true};
    }
    // `read_file` of `path` gives `content` (a mount table, say).
    void substitute(const std::string& path, const std::string& content) {
        substitutes_[path] = content;
    }
    void report_size(std::uint64_t size) { size_ = size; }
    int calls(const std::string& operation) const {
        auto it = calls_.find(operation);
        return it == calls_.end() ? 0 : it->second;
    }

    void remove(const std::string& path) override {
        check("remove");
        LocalFileSystem::remove(path);
    }
    void rename_no_replace(const std::string& from, const std::string& to) override {
        check("rename_no_replace");
        LocalFileSystem::rename_no_replace(from, to);
    }
    void link_no_replace(const std::string& from, const std::string& to) override {
        check("link_no_replace");
        LocalFileSystem::link_no_replace(from, to);
    }
    void exchange(const std::string& a, const std::string& b) override {
        check("exchange");
        LocalFileSystem::exchange(a, b);
    }
    void copy_file(const std::string& from, const std::string& to) override {
        check("copy_file");
        LocalFileSystem::copy_file(from, to);
    }
    bool create_directory(const std::string& path) override {
        try {
            check("create_directory");
        } catch (const FileError&) {
            return false;
        }
        return LocalFileSystem::create_directory(path);
    }
    void write_file_atomic(const std::string& path, const std::string& content) override {
        check("write_file_atomic");
        LocalFileSystem::write_file_atomic(path, content);
    }
    std::optional<std::string> read_file(const std::string& path) override {
        if (auto it = substitutes_.find(path); it != substitutes_.end()) return it->second;
        return LocalFileSystem::read_file(path);
    }
    std::optional<std::uint64_t> file_size(const std::string& path) override {
        if (size_) return size_;
        return LocalFileSystem::file_size(path);
    }

  protected:
    int sync_folder(const std::string& folder) override {
        try {
            check("sync_folder");
        } catch (const FileError& e) {
            return e.error_number();
        }
        return LocalFileSystem::sync_folder(folder);
    }

  private:
    struct Failure {
        int call;
        int error_number;
        bool from;  // this call and every later one
    };
    void check(const std::string& operation) {
        const int n = ++calls_[operation];
        auto it = failures_.find(operation);
        if (it != failures_.end() && (it->second.call == 0 || it->second.call == n ||
                                      (it->second.from && n >= it->second.call))) {
            throw FileError(it->second.error_number, "Falha simulada em " + operation + ": " +
                                                         describe_errno(it->second.error_number));
        }
    }

    std::map<std::string, Failure> failures_;
    std::map<std::string, int> calls_;
    std::map<std::string, std::string> substitutes_;
    std::optional<std::uint64_t> size_;
};

}  // namespace pezolva::testing
