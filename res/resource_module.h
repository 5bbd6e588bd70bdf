// All of the program's resources, for AfxWinMain and for tests that open its windows.
#pragma once

#include "toolkit/resources.h"

const toolkit::ResourceModule& MirelkoResources();

namespace res {

std::span<const toolkit::DialogTemplate> DialogTemplates();
std::span<const toolkit::ControlTemplate> PanelControls();
std::span<const toolkit::StringResource> StringTable();
// Generated at build time from the picture files.
std::span<const toolkit::ImageResource> EmbeddedImages();

}  // namespace res
