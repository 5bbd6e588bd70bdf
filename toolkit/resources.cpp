#include "toolkit/resources.h"

#include <atomic>

namespace toolkit {
namespace {

std::atomic<const ResourceModule*> g_module{nullptr};

}  // namespace

void SetResourceModule(const ResourceModule* module) { g_module.store(module); }

const ResourceModule* ModuleFromHandle(HINSTANCE handle) {
    return reinterpret_cast<const ResourceModule*>(handle);
}

const DialogTemplate* FindDialogTemplate(const ResourceModule& module, UINT id) {
    for (const DialogTemplate& dialog : module.dialogs) {
        if (dialog.id == id) return &dialog;
    }
    return nullptr;
}

const StringResource* FindString(const ResourceModule& module, UINT id) {
    for (const StringResource& entry : module.strings) {
        if (entry.id == id) return &entry;
    }
    return nullptr;
}

const ImageResource* FindImage(const ResourceModule& module, UINT id, ImageKind kind) {
    for (const ImageResource& image : module.images) {
        if (image.id == id && image.kind == kind) return &image;
    }
    return nullptr;
}

}  // namespace toolkit

HINSTANCE AfxGetResourceHandle() {
    return reinterpret_cast<HINSTANCE>(
        const_cast<toolkit::ResourceModule*>(toolkit::g_module.load()));
}
