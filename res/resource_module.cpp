#include "res/resource_module.h"

const toolkit::ResourceModule& MirelkoResources() {
    static const toolkit::ResourceModule module{res::DialogTemplates(), res::StringTable(),
                                                res::EmbeddedImages()};
    return module;
}
