#include <kq/win32/detail/RegistryDatabase.h>

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

namespace kq {
namespace win32 {
namespace detail {

namespace {

// Long enough for any other writer's single transaction, short enough never to look hung.
const int BusyTimeoutMs = 10000;

const char* const Schema =
    "CREATE TABLE IF NOT EXISTS registry_keys ("
    " id INTEGER PRIMARY KEY,"
    " parent INTEGER NOT NULL,"
    " name TEXT NOT NULL COLLATE NOCASE,"
    " UNIQUE (parent, name));"
    "CREATE TABLE IF NOT EXISTS registry_values ("
    " key INTEGER NOT NULL,"
    " name TEXT NOT NULL COLLATE NOCASE,"
    " type INTEGER NOT NULL,"
    " data BLOB NOT NULL,"
    " PRIMARY KEY (key, name));";

long failure(int sqliteResult)
{
    switch (sqliteResult & 0xFF) {
        case SQLITE_CANTOPEN:
            return error::FileNotFound;
        case SQLITE_READONLY:
        case SQLITE_PERM:
        case SQLITE_AUTH:
            return error::AccessDenied;
        default:
            return error::IoFailed;
    }
}

int execute(sqlite3* connection, const char* sql)
{
    return sqlite3_exec(connection, sql, nullptr, nullptr, nullptr);
}

// SQLite opens a file that this process may not write for reading only, by itself; a journal
// also needs the folder to be writable.
bool canWrite(sqlite3* connection, const std::string& file)
{
    if (sqlite3_db_readonly(connection, "main") != 0) {
        return false;
    }
    const std::size_t slash = file.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : file.substr(0, slash + 1);
    return ::faccessat(AT_FDCWD, folder.c_str(), W_OK, AT_EACCESS) == 0;
}

// One prepared statement; a statement that failed to prepare reports that failure from step().
class Statement {
public:
    Statement(sqlite3* connection, const char* sql)
        : prepared_(sqlite3_prepare_v2(connection, sql, -1, &statement_, nullptr))
    {
    }
    ~Statement() { sqlite3_finalize(statement_); }

    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& bind(int index, long long number)
    {
        if (statement_ != nullptr) {
            sqlite3_bind_int64(statement_, index, number);
        }
        return *this;
    }
    // Names end at their first NUL, as the Windows interface reads them.
    Statement& bind(int index, const std::string& text)
    {
        if (statement_ != nullptr) {
            sqlite3_bind_text(statement_, index, text.c_str(), -1, SQLITE_TRANSIENT);
        }
        return *this;
    }
    Statement& bind(int index, const unsigned char* data, unsigned long size)
    {
        // A null pointer would bind SQL NULL, not an empty value.
        static const unsigned char none = 0;
        if (statement_ != nullptr) {
            sqlite3_bind_blob64(statement_, index, size != 0 ? data : &none, size,
                                SQLITE_TRANSIENT);
        }
        return *this;
    }

    // SQLITE_ROW, SQLITE_DONE or the failure.
    int step() { return prepared_ != SQLITE_OK ? prepared_ : sqlite3_step(statement_); }

    long long number(int column) const { return sqlite3_column_int64(statement_, column); }
    std::vector<unsigned char> bytes(int column) const
    {
        const auto* data =
            static_cast<const unsigned char*>(sqlite3_column_blob(statement_, column));
        return std::vector<unsigned char>(data, data + sqlite3_column_bytes(statement_, column));
    }

private:
    sqlite3_stmt* statement_ = nullptr;
    int prepared_;
};

// BEGIN IMMEDIATE takes the write lock up front, so a concurrent writer waits in the busy
// handler instead of failing at its first write. Rolled back unless committed.
class Transaction {
public:
    explicit Transaction(sqlite3* connection)
        : connection_(connection), begun_(execute(connection, "BEGIN IMMEDIATE"))
    {
    }
    ~Transaction()
    {
        if (begun_ == SQLITE_OK) {
            execute(connection_, "ROLLBACK");
        }
    }

    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    int begun() const { return begun_; }
    long commit()
    {
        const int committed = execute(connection_, "COMMIT");
        if (committed != SQLITE_OK) {
            return failure(committed);
        }
        begun_ = SQLITE_DONE;
        return error::Success;
    }

private:
    sqlite3* connection_;
    int begun_;
};

// The result of a write statement inside its transaction, committed when it succeeded.
long finish(Transaction& transaction, int stepped)
{
    return stepped == SQLITE_DONE ? transaction.commit() : failure(stepped);
}

}  // namespace

RegistryDatabase::RegistryDatabase(sqlite3* connection, bool writable)
    : connection_(connection), writable_(writable)
{
}

RegistryDatabase::~RegistryDatabase()
{
    sqlite3_close(connection_);
}

long RegistryDatabase::open(const std::string& file, bool create,
                            std::shared_ptr<RegistryDatabase>& database)
{
    // Never SQLITE_OPEN_CREATE: SQLite would create the file by the umask.
    sqlite3* connection = nullptr;
    const int opened = sqlite3_open_v2(file.c_str(), &connection, SQLITE_OPEN_READWRITE, nullptr);
    // The object closes the connection, which exists even when the open failed.
    std::shared_ptr<RegistryDatabase> candidate(
        new RegistryDatabase(connection, opened == SQLITE_OK && canWrite(connection, file)));
    if (opened != SQLITE_OK) {
        return failure(opened);
    }
    sqlite3_extended_result_codes(connection, 1);
    sqlite3_busy_timeout(connection, BusyTimeoutMs);
    execute(connection, "PRAGMA synchronous = FULL");
    if (create && !candidate->hasSchema()) {
        const long made = candidate->createSchema();
        if (made != error::Success) {
            return made;
        }
    }
    database = candidate;
    return error::Success;
}

bool RegistryDatabase::hasSchema()
{
    Statement tables(connection_,
                     "SELECT count(*) FROM sqlite_master WHERE type = 'table'"
                     " AND name IN ('registry_keys', 'registry_values')");
    return tables.step() == SQLITE_ROW && tables.number(0) == 2;
}

long RegistryDatabase::createSchema()
{
    if (!writable_) {
        return error::AccessDenied;
    }
    Transaction transaction(connection_);
    if (transaction.begun() != SQLITE_OK) {
        return failure(transaction.begun());
    }
    const int made = execute(connection_, Schema);
    return made == SQLITE_OK ? transaction.commit() : failure(made);
}

long RegistryDatabase::findKey(long long parent, const std::vector<std::string>& path,
                               long long& key)
{
    std::lock_guard<std::mutex> lock(mutex_);
    return descend(parent, path, false, key);
}

long RegistryDatabase::createKey(long long parent, const std::vector<std::string>& path,
                                 long long& key)
{
    std::lock_guard<std::mutex> lock(mutex_);
    const long found = descend(parent, path, false, key);
    if (found != error::FileNotFound) {
        return found;
    }
    if (!writable_) {
        return error::AccessDenied;
    }
    Transaction transaction(connection_);
    if (transaction.begun() != SQLITE_OK) {
        return failure(transaction.begun());
    }
    long long made = 0;
    const long added = descend(parent, path, true, made);
    if (added != error::Success) {
        return added;
    }
    const long committed = transaction.commit();
    if (committed == error::Success) {
        key = made;
    }
    return committed;
}

long RegistryDatabase::descend(long long parent, const std::vector<std::string>& path, bool add,
                               long long& key)
{
    long long current = parent;
    for (const auto& name : path) {
        const long reached = child(current, name, add, current);
        if (reached != error::Success) {
            return reached;
        }
    }
    key = current;
    return error::Success;
}

long RegistryDatabase::child(long long parent, const std::string& name, bool add, long long& key)
{
    if (add) {
        Statement insert(connection_,
                         "INSERT OR IGNORE INTO registry_keys (parent, name) VALUES (?, ?)");
        const int inserted = insert.bind(1, parent).bind(2, name).step();
        if (inserted != SQLITE_DONE) {
            return failure(inserted);
        }
    }
    Statement select(connection_, "SELECT id FROM registry_keys WHERE parent = ? AND name = ?");
    const int found = select.bind(1, parent).bind(2, name).step();
    if (found == SQLITE_DONE) {
        return error::FileNotFound;
    }
    if (found != SQLITE_ROW) {
        return failure(found);
    }
    key = select.number(0);
    return error::Success;
}

long RegistryDatabase::queryValue(long long key, const std::string& name, unsigned long& type,
                                  std::vector<unsigned char>& data)
{
    std::lock_guard<std::mutex> lock(mutex_);
    Statement select(connection_,
                     "SELECT type, data FROM registry_values WHERE key = ? AND name = ?");
    const int found = select.bind(1, key).bind(2, name).step();
    if (found == SQLITE_DONE) {
        return error::FileNotFound;
    }
    if (found != SQLITE_ROW) {
        return failure(found);
    }
    type = static_cast<unsigned long>(select.number(0));
    data = select.bytes(1);
    return error::Success;
}

long RegistryDatabase::setValue(long long key, const std::string& name, unsigned long type,
                                const unsigned char* data, unsigned long size)
{
    std::lock_guard<std::mutex> lock(mutex_);
    Transaction transaction(connection_);
    if (transaction.begun() != SQLITE_OK) {
        return failure(transaction.begun());
    }
    Statement upsert(connection_,
                     "INSERT INTO registry_values (key, name, type, data) VALUES (?, ?, ?, ?)"
                     " ON CONFLICT (key, name) DO UPDATE SET type = excluded.type,"
                     " data = excluded.data");
    upsert.bind(1, key).bind(2, name).bind(3, static_cast<long long>(type)).bind(4, data, size);
    return finish(transaction, upsert.step());
}

long RegistryDatabase::deleteValue(long long key, const std::string& name)
{
    std::lock_guard<std::mutex> lock(mutex_);
    Transaction transaction(connection_);
    if (transaction.begun() != SQLITE_OK) {
        return failure(transaction.begun());
    }
    Statement remove(connection_, "DELETE FROM registry_values WHERE key = ? AND name = ?");
    const int removed = remove.bind(1, key).bind(2, name).step();
    if (removed == SQLITE_DONE && sqlite3_changes(connection_) == 0) {
        return error::FileNotFound;
    }
    return finish(transaction, removed);
}

}  // namespace detail
}  // namespace win32
}  // namespace kq
