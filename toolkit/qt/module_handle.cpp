// Here a module handle is the address of the resource tables it stands for.
#include "toolkit/resources.h"

namespace toolkit {

const ResourceModule* ModuleFromHandle(HINSTANCE handle) {
    return reinterpret_cast<const ResourceModule*>(handle);
}

}  // namespace toolkit

HINSTANCE AfxGetResourceHandle() {
    return reinterpret_cast<HINSTANCE>(
        const_cast<toolkit::ResourceModule*>(toolkit::CurrentResourceModule()));
}
