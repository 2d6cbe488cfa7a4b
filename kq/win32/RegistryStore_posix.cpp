#include <kq/win32/detail/RegistryStore.h>

#include <kq/Environment.h>
#include <kq/win32/detail/RegistryDatabase.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <map>
#include <mutex>

namespace kq {
namespace win32 {
namespace detail {

namespace {

// The rights of an access mask that change a key: KEY_SET_VALUE, KEY_CREATE_SUB_KEY,
// KEY_CREATE_LINK, DELETE, WRITE_DAC and WRITE_OWNER.
constexpr unsigned long WriteRights =
    KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK | 0x00010000 | 0x00040000 | 0x00080000;

// What a handle stands for: a key of one database, and what it may do there.
struct OpenKey {
    std::shared_ptr<RegistryDatabase> database;
    long long id;
    unsigned long access;
};

// Open keys by handle. Handles are numbers never given out twice, so a handle that was closed
// is refused instead of reaching another key.
class HandleTable {
public:
    HKEY add(std::shared_ptr<OpenKey> key)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        next_ += 4;
        keys_[next_] = std::move(key);
        return reinterpret_cast<HKEY>(next_);
    }
    std::shared_ptr<OpenKey> find(HKEY handle) const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto found = keys_.find(reinterpret_cast<std::uintptr_t>(handle));
        return found != keys_.end() ? found->second : nullptr;
    }
    void remove(HKEY handle)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        keys_.erase(reinterpret_cast<std::uintptr_t>(handle));
    }

private:
    mutable std::mutex mutex_;
    std::map<std::uintptr_t, std::shared_ptr<OpenKey>> keys_;
    std::uintptr_t next_ = 0x1000;
};

// Never destroyed: keys may still be closed by static objects at exit.
HandleTable& handles()
{
    static HandleTable& table = *new HandleTable;
    return table;
}

// Where a predefined root's database lives, and the modes of what the store creates there. A
// user's settings are the user's alone; the machine's keys, in a folder of their own, are
// everyone's to read.
struct Location {
    std::string folder;  // empty for a root that has none
    mode_t folderMode;
    mode_t fileMode;
};

Location rootLocation(HKEY root)
{
    const auto personal = [](const std::string& folder) { return Location{folder, 0700, 0600}; };
    if (root != HKEY_CURRENT_USER && root != HKEY_LOCAL_MACHINE) {
        return personal("");
    }
    const std::string chosen = environment::get("KQ_REGISTRY_DIR", "");
    if (!chosen.empty()) {
        return personal(chosen);
    }
    if (root == HKEY_LOCAL_MACHINE) {
        return Location{"/var/lib/kqsystem", 0755, 0644};
    }
    // Relative XDG folders are to be ignored.
    const std::string config = environment::get("XDG_CONFIG_HOME", "");
    if (!config.empty() && config[0] == '/') {
        return personal(config + "/kqsystem");
    }
    const std::string home = environment::get("HOME", "");
    return personal(home.empty() ? "" : home + "/.config/kqsystem");
}

std::string rootFileName(HKEY root)
{
    return root == HKEY_CURRENT_USER ? "HKEY_CURRENT_USER.db" : "HKEY_LOCAL_MACHINE.db";
}

// Creates folder and its missing parents with exactly this mode, whatever the umask; folders
// that exist are left as they are.
bool makeFolder(const std::string& folder, mode_t mode)
{
    for (std::size_t end = folder.find('/', 1);; end = folder.find('/', end + 1)) {
        const std::string part = folder.substr(0, end);
        if (::mkdir(part.c_str(), mode) == 0) {
            ::chmod(part.c_str(), mode);
        } else if (errno != EEXIST) {
            return false;
        }
        if (end == std::string::npos) {
            return true;
        }
    }
}

// Creates the database file with exactly this mode before SQLite sees it: SQLite would make it
// by the umask, and gives its journal files the database file's mode.
bool makeFile(const std::string& file, mode_t mode)
{
    const int made =
        ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (made < 0) {
        return errno == EEXIST;
    }
    ::fchmod(made, mode);
    ::close(made);
    return true;
}

// The database and key that root stands for: a predefined root's database, or an open key.
long resolve(HKEY root, bool create, OpenKey& place)
{
    if (std::shared_ptr<OpenKey> open = handles().find(root)) {
        place = *open;
        return error::Success;
    }
    const Location location = rootLocation(root);
    if (location.folder.empty()) {
        return error::InvalidHandle;
    }
    const std::string file = location.folder + "/" + rootFileName(root);
    if (create &&
        !(makeFolder(location.folder, location.folderMode) && makeFile(file, location.fileMode))) {
        return error::AccessDenied;
    }
    place.id = RegistryDatabase::RootKey;
    place.access = KEY_ALL_ACCESS;
    return RegistryDatabase::open(file, create, place.database);
}

// The names of a key path, one per level. A path may not begin with a backslash; empty levels
// elsewhere (two backslashes in a row, one at the end) are skipped, as Windows skips them.
bool splitPath(const std::string& name, std::vector<std::string>& levels)
{
    const std::string path(name.c_str());
    if (!path.empty() && path[0] == '\\') {
        return false;
    }
    for (std::size_t start = 0; start < path.size();) {
        const std::size_t end = std::min(path.find('\\', start), path.size());
        if (end > start) {
            levels.push_back(path.substr(start, end - start));
        }
        start = end + 1;
    }
    return true;
}

long reach(HKEY root, const std::string& name, unsigned long access, bool create, HKEY& key)
{
    std::vector<std::string> levels;
    if (!splitPath(name, levels)) {
        return error::BadPathname;
    }
    OpenKey place{};
    long result = resolve(root, create, place);
    if (result != error::Success) {
        return result;
    }
    // Windows refuses write access to a key that the user may not change.
    if ((access & WriteRights) != 0 && !place.database->writable()) {
        return error::AccessDenied;
    }
    auto opened = std::make_shared<OpenKey>(OpenKey{place.database, 0, access});
    result = create ? place.database->createKey(place.id, levels, opened->id)
                    : place.database->findKey(place.id, levels, opened->id);
    if (result == error::Success) {
        key = handles().add(std::move(opened));
    }
    return result;
}

// The open key behind handle when it grants the right; otherwise the error in result.
std::shared_ptr<OpenKey> permitted(HKEY handle, unsigned long right, long& result)
{
    std::shared_ptr<OpenKey> key = handles().find(handle);
    result = key == nullptr               ? error::InvalidHandle
             : (key->access & right) == 0 ? error::AccessDenied
                                          : error::Success;
    return result == error::Success ? key : nullptr;
}

}  // namespace

long openKey(HKEY root, const std::string& name, unsigned long access, HKEY& key)
{
    return reach(root, name, access, false, key);
}

long createKey(HKEY root, const std::string& name, unsigned long access, HKEY& key)
{
    return reach(root, name, access, true, key);
}

void closeKey(HKEY key)
{
    handles().remove(key);
}

void flushKey(HKEY)
{
    // Every write is on disk when it returns.
}

long queryValue(HKEY key, const std::string& name, unsigned long& type, unsigned char* data,
                unsigned long& size)
{
    long result = error::Success;
    const std::shared_ptr<OpenKey> open = permitted(key, KEY_QUERY_VALUE, result);
    std::vector<unsigned char> stored;
    if (open) {
        result = open->database->queryValue(open->id, name, type, stored);
    }
    if (result != error::Success) {
        return result;
    }
    const unsigned long room = size;
    size = static_cast<unsigned long>(stored.size());
    if (data == nullptr) {
        return error::Success;
    }
    if (stored.size() > room) {
        return error::MoreData;
    }
    if (!stored.empty()) {
        std::memcpy(data, stored.data(), stored.size());
    }
    return error::Success;
}

long setValue(HKEY key, const std::string& name, unsigned long type, const unsigned char* data,
              unsigned long size)
{
    long result = error::Success;
    const std::shared_ptr<OpenKey> open = permitted(key, KEY_SET_VALUE, result);
    return open ? open->database->setValue(open->id, name, type, data, size) : result;
}

long deleteValue(HKEY key, const std::string& name)
{
    long result = error::Success;
    const std::shared_ptr<OpenKey> open = permitted(key, KEY_SET_VALUE, result);
    return open ? open->database->deleteValue(open->id, name) : result;
}

}  // namespace detail
}  // namespace win32
}  // namespace kq
