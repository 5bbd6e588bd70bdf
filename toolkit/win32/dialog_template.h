// A dialog template of the resource tables, as the in-memory template the system's dialog
// manager builds windows from.
#pragma once

#include <vector>

#include "toolkit/resources.h"

namespace toolkit::win32 {

// DLGTEMPLATE and its DLGITEMTEMPLATEs, DWORD-aligned, texts in UTF-16 from Windows-1252.
std::vector<WORD> BuildDialogTemplate(const DialogTemplate& dialog);

}  // namespace toolkit::win32
