// Number fields (ES_NUMBER) that also take one leading minus, as on the Qt backend, so that a
// negative value read from a file can be typed again.
#pragma once

#include <windows.h>

namespace toolkit::win32 {

void AllowLeadingMinus(HWND edit);

}  // namespace toolkit::win32
