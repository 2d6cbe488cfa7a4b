#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct sqlite3;

namespace kq {
namespace win32 {
namespace detail {

// The Windows error codes the Linux registry store reports.
namespace error {
constexpr long Success = 0;
constexpr long FileNotFound = 2;
constexpr long AccessDenied = 5;
constexpr long InvalidHandle = 6;
constexpr long BadPathname = 161;
constexpr long MoreData = 234;
constexpr long IoFailed = 1016;  // ERROR_REGISTRY_IO_FAILED
}  // namespace error

// One registry database file through one SQLite connection, usable from any thread.
//
// Keys form a tree: each has an id, its parent's id (RootKey for the top level) and a name;
// values belong to a key by its id and keep their type and bytes. Names compare
// case-insensitively, folding ASCII letters. Every write is one transaction, on disk when it
// returns; another process's write waits for this one, for a bounded time. A database that this
// process may not change (file or folder not writable) opens for reading only.
class RegistryDatabase {
public:
    static constexpr long long RootKey = 0;

    // Opens file, which must exist; with create, makes its schema when missing. 0 or an error code.
    static long open(const std::string& file, bool create,
                     std::shared_ptr<RegistryDatabase>& database);
    ~RegistryDatabase();

    // Whether writes can succeed: false for a database opened for reading only.
    bool writable() const { return writable_; }

    RegistryDatabase(const RegistryDatabase&) = delete;
    RegistryDatabase& operator=(const RegistryDatabase&) = delete;

    // The key at path (one name per level) below parent; FileNotFound when a level is missing.
    long findKey(long long parent, const std::vector<std::string>& path, long long& key);
    // As findKey, creating the missing levels in one transaction; a key that exists is found
    // without writing, so that a database opened for reading only finds it too.
    long createKey(long long parent, const std::vector<std::string>& path, long long& key);
    long queryValue(long long key, const std::string& name, unsigned long& type,
                    std::vector<unsigned char>& data);
    long setValue(long long key, const std::string& name, unsigned long type,
                  const unsigned char* data, unsigned long size);
    long deleteValue(long long key, const std::string& name);

private:
    RegistryDatabase(sqlite3* connection, bool writable);

    bool hasSchema();
    long createSchema();
    // The key at path below parent, adding the missing levels when add is set.
    long descend(long long parent, const std::vector<std::string>& path, bool add, long long& key);
    // The id of the child of parent named name, adding it first when add is set.
    long child(long long parent, const std::string& name, bool add, long long& key);

    std::mutex mutex_;
    sqlite3* connection_;
    bool writable_;
};

}  // namespace detail
}  // namespace win32
}  // namespace kq
