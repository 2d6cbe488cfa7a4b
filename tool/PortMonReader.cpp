#include "PortMonReader.h"

#include <kq/NumberFormatter.h>
#include <kq/StringUtils.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>

namespace quorvex {

namespace {

ActionKind keywordKind(const std::string& field)
{
    if (kq::icompare(field, "IRP_MJ_WRITE"))
        return ActionKind::Send;
    if (kq::icompare(field, "IRP_MJ_READ"))
        return ActionKind::Recv;
    if (kq::icompare(field, "IOCTL_SERIAL_PURGE"))
        return ActionKind::Purge;
    return ActionKind::None;
}

std::vector<unsigned char> payload(const std::string& lengthField)
{
    const auto colon = lengthField.find(':');
    if (colon == std::string::npos)
        return {};
    std::string hex = lengthField.substr(colon + 1);
    hex.erase(std::remove(hex.begin(), hex.end(), ' '), hex.end());
    return kq::NumberFormatter::string2buffer(hex);
}

}  // namespace

// Binary mode, so '\r' handling is the same on every platform; readLine strips it.
// libstdc++ opens through fopen, which shares the file for reading and writing.
// fopen opens a folder on Linux (reading it then fails like an empty dump) but not
// on Windows: a folder is refused on both.
PortMonReader::PortMonReader(const std::string& fileName)
    : input_(fileName, std::ios::in | std::ios::binary)
{
    std::error_code ignored;
    if (!input_.is_open() || std::filesystem::is_directory(fileName, ignored))
        throw std::runtime_error(kq::format("can't open '%s'", fileName.c_str()));
}

const PortMonAction* PortMonReader::next()
{
    std::string line;
    while (readLine(line)) {
        parse(line);
        if (action_.kind != ActionKind::None)
            return &action_;
    }
    return nullptr;
}

bool PortMonReader::readLine(std::string& line)
{
    if (!std::getline(input_, line))
        return false;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return true;
}

void PortMonReader::parse(const std::string& line)
{
    action_.kind = ActionKind::None;
    action_.data.clear();
    const std::string* lengthField = nullptr;
    const auto fields = kq::SplitString(line, "\t", true);
    for (const auto& field : fields) {
        const ActionKind kind = keywordKind(field);
        if (kind != ActionKind::None)
            action_.kind = kind;
        else if (field.find("Length ") != std::string::npos)
            lengthField = &field;
    }
    if (action_.kind == ActionKind::Send || action_.kind == ActionKind::Recv) {
        if (lengthField)
            action_.data = payload(*lengthField);
    }
}

}  // namespace quorvex
