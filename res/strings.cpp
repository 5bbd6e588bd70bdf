// The string table, in Windows-1252 bytes.
#include "res/resource.h"
#include "res/resource_module.h"

namespace res {
namespace {

const toolkit::StringResource kStrings[] = {
    // "Inf&o über Mirelko..."; the escape is split off so that it ends at the 0xFC byte.
    {IDS_INFO_MENU,
     "Inf&o \xFC"
     "ber Mirelko..."},
};

}  // namespace

std::span<const toolkit::StringResource> StringTable() { return kStrings; }

}  // namespace res
