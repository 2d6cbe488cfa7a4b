#include <kq/logger/Logger.h>
#include <kq/logger/detail/LoggerImpl.h>

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace kq {
namespace logger {

namespace {

const std::string RootName = "";
const std::string NullName = "null";
const std::string Separator = ".";

// Owns every logger it hands out, until shutdown.
class Registry {
public:
    ILogger& add(const std::string& name, std::shared_ptr<ILogChannel> channel)
    {
        std::lock_guard<std::mutex> guard(lock_);
        auto logger = std::make_unique<LoggerImpl>(name, std::move(channel));
        LoggerImpl& result = *logger;
        // The name was taken: the registry keeps the earlier logger and holds this one aside.
        if (!loggers_.try_emplace(name, std::move(logger)).second) {
            unregistered_.push_back(std::move(logger));
        }
        return result;
    }

    ILogger& get(const std::string& name)
    {
        std::lock_guard<std::mutex> guard(lock_);
        return findOrCreate(name);
    }

    // Later calls start from an empty registry; no destroyed logger stays reachable.
    // The loggers, and with them the callers' channels, are destroyed after the lock is
    // released: a channel's destructor may log or look up a logger itself.
    void shutdown()
    {
        decltype(loggers_) retired;
        decltype(unregistered_) retiredUnregistered;
        {
            std::lock_guard<std::mutex> guard(lock_);
            retired.swap(loggers_);
            retiredUnregistered.swap(unregistered_);
        }
    }

private:
    LoggerImpl& findOrCreate(const std::string& name)
    {
        auto found = loggers_.find(name);
        if (found != loggers_.end()) {
            return *found->second;
        }
        if (name == RootName || name == NullName) {
            return enter(name, std::make_shared<NullLogChannel>());
        }

        LoggerImpl& ancestor = findAncestor(name);
        LoggerImpl& logger = enter(name, ancestor.channel());
        logger.setLevel(ancestor.level());
        return logger;
    }

    // The nearest registered dotted prefix; the root when there is none.
    LoggerImpl& findAncestor(std::string name)
    {
        for (;;) {
            const size_t separator = name.rfind(Separator);
            if (separator == std::string::npos) {
                return findOrCreate(RootName);
            }
            name.erase(separator);
            auto found = loggers_.find(name);
            if (found != loggers_.end()) {
                return *found->second;
            }
        }
    }

    LoggerImpl& enter(const std::string& name, std::shared_ptr<ILogChannel> channel)
    {
        auto logger = std::make_unique<LoggerImpl>(name, std::move(channel));
        LoggerImpl& result = *logger;
        loggers_.emplace(name, std::move(logger));
        return result;
    }

    std::mutex lock_;
    std::map<std::string, std::unique_ptr<LoggerImpl>> loggers_;
    std::vector<std::unique_ptr<LoggerImpl>> unregistered_;
};

// Never destroyed: at library unload the loggers and their channels stay as they are, so a
// thread still logging while the process exits keeps working. Still reachable, not leaked.
Registry& registry = *new Registry;

}  // namespace

ILogger& add(const std::string& name, std::shared_ptr<ILogChannel> channel)
{
    return registry.add(name, std::move(channel));
}

ILogger& get(const std::string& name)
{
    return registry.get(name);
}

ILogger& root()
{
    return registry.get(RootName);
}

ILogger& null()
{
    return registry.get(NullName);
}

void shutdown()
{
    registry.shutdown();
}

}  // namespace logger
}  // namespace kq
