#include <kq/win32/detail/RegistryStore.h>

#include <kq/Environment.h>
#include <kq/win32/detail/RegistryDatabase.h>

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <map>
#include <mutex>

namespace kq {
namespace win32 {
namespace store {

namespace {

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

// The folder of a predefined root's database; empty for a root that has none.
std::string rootFolder(HKEY root)
{
    if (root != HKEY_CURRENT_USER && root != HKEY_LOCAL_MACHINE)
        return "";
    const std::string chosen = environment::get("KQ_REGISTRY_DIR", "");
    if (!chosen.empty())
        return chosen;
    if (root == HKEY_LOCAL_MACHINE)
        return "/var/lib/kqsystem";
    // Relative XDG folders are to be ignored.
    const std::string config = environment::get("XDG_CONFIG_HOME", "");
    if (!config.empty() && config[0] == '/')
        return config + "/kqsystem";
    const std::string home = environment::get("HOME", "");
    return home.empty() ? "" : home + "/.config/kqsystem";
}

std::string rootFileName(HKEY root)
{
    return root == HKEY_CURRENT_USER ? "HKEY_CURRENT_USER.db" : "HKEY_LOCAL_MACHINE.db";
}

// Creates folder and its missing parents. A user's settings stay private to the user.
bool makeFolder(const std::string& folder, HKEY root)
{
    const mode_t mode = root == HKEY_CURRENT_USER ? 0700 : 0755;
    for (std::size_t end = folder.find('/', 1);; end = folder.find('/', end + 1)) {
        const std::string part = folder.substr(0, end);
        if (::mkdir(part.c_str(), mode) != 0 && errno != EEXIST)
            return false;
        if (end == std::string::npos)
            return true;
    }
}

// The database and key that root stands for: a predefined root's database, or an open key.
long resolve(HKEY root, bool create, OpenKey& place)
{
    if (std::shared_ptr<OpenKey> open = handles().find(root)) {
        place = *open;
        return error::Success;
    }
    const std::string folder = rootFolder(root);
    if (folder.empty())
        return error::InvalidHandle;
    if (create && !makeFolder(folder, root))
        return error::AccessDenied;
    place.id = RegistryDatabase::RootKey;
    place.access = KEY_ALL_ACCESS;
    return RegistryDatabase::open(folder + "/" + rootFileName(root), create, place.database);
}

// The names of a key path, one per level. A path may not begin with a backslash; empty levels
// elsewhere (two backslashes in a row, one at the end) are skipped, as Windows skips them.
bool splitPath(const std::string& name, std::vector<std::string>& levels)
{
    const std::string path(name.c_str());
    if (!path.empty() && path[0] == '\\')
        return false;
    for (std::size_t start = 0; start < path.size();) {
        const std::size_t end = std::min(path.find('\\', start), path.size());
        if (end > start)
            levels.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return true;
}

long reach(HKEY root, const std::string& name, unsigned long access, bool create, HKEY& key)
{
    std::vector<std::string> levels;
    if (!splitPath(name, levels))
        return error::BadPathname;
    OpenKey place{};
    long result = resolve(root, create, place);
    if (result != error::Success)
        return result;
    auto opened = std::make_shared<OpenKey>(OpenKey{place.database, 0, access});
    result = create ? place.database->createKey(place.id, levels, opened->id)
                    : place.database->findKey(place.id, levels, opened->id);
    if (result == error::Success)
        key = handles().add(std::move(opened));
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
    if (open)
        result = open->database->queryValue(open->id, name, type, stored);
    if (result != error::Success)
        return result;
    const unsigned long room = size;
    size = static_cast<unsigned long>(stored.size());
    if (data == nullptr)
        return error::Success;
    if (stored.size() > room)
        return error::MoreData;
    if (!stored.empty())
        std::memcpy(data, stored.data(), stored.size());
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

}  // namespace store
}  // namespace win32
}  // namespace kq
