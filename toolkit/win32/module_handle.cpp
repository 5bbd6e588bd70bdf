// The module handle is the program's own: its real resources carry the icon, the pictures and
// the strings, and the tables stand beside it for the dialog templates.
#include "toolkit/resources.h"

namespace toolkit {

const ResourceModule* ModuleFromHandle(HINSTANCE handle) {
    return handle == GetModuleHandleA(nullptr) ? CurrentResourceModule() : nullptr;
}

}  // namespace toolkit

HINSTANCE AfxGetResourceHandle() { return GetModuleHandleA(nullptr); }
