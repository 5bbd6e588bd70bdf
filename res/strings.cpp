// The string table, in Windows-1252 bytes.
#include "res/resource.h"
#include "res/resource_module.h"
#include "res/string_texts.h"

namespace res {
namespace {

const toolkit::StringResource kStrings[] = {
    {IDS_INFO_MENU, IDS_INFO_MENU_TEXT},
};

}  // namespace

std::span<const toolkit::StringResource> StringTable() { return kStrings; }

}  // namespace res
