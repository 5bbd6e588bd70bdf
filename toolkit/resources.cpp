#include "toolkit/resources.h"

#include <atomic>

namespace toolkit {
namespace {

std::atomic<const ResourceModule*> g_module{nullptr};

}  // namespace

void SetResourceModule(const ResourceModule* module) { g_module.store(module); }

const ResourceModule* CurrentResourceModule() { return g_module.load(); }

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
