// The one place where the system's Windows-1252 text meets the widgets' Unicode.
#pragma once

#include <QString>

#include "toolkit/win_defs.h"

class QLineEdit;

namespace toolkit::qt {

QString FromAnsi(LPCSTR text);
// Whether text is what FromAnsi(bytes) would give, without making it.
bool AnsiEquals(const QString& text, LPCSTR bytes);
// Copies at most capacity - 1 bytes and a terminator, as GetWindowTextA does; the length copied.
int CopyToBuffer(const QString& text, LPSTR buffer, int capacity);

// An edit accepts only what Windows-1252 can hold, digits only for ES_NUMBER, and at most
// maxBytes (0: no limit).
void RestrictEditInput(QLineEdit* edit, bool digitsOnly, int maxBytes);

}  // namespace toolkit::qt
