#include "support/PcscService.h"

#include "support/Process.h"
#include "support/TempDir.h"

#include <stdexcept>

namespace kqtest {

// Wine's winscard reaches no pcscd, and a private service needs Linux namespaces.
PcscService::PcscService()
{
    throw std::runtime_error("no private PC/SC service on Windows");
}

PcscService::~PcscService() = default;

void PcscService::insertCard(const std::string&, const std::string&) {}

void PcscService::removeCard(const std::string&) {}

bool PcscService::cardIsFree(const std::string&) const
{
    return false;
}

void usePrivatePcscService() {}

}  // namespace kqtest
