#include "toolkit/qt/text.h"

#include <QLineEdit>
#include <algorithm>
#include <cstring>

#include "toolkit/qt/widgets/ansi_text.h"

namespace toolkit::qt {

QString FromAnsi(LPCSTR text) { return text == nullptr ? QString() : ansiToQString(text); }

bool ToAnsi(const QString& text, std::string* bytes) { return qstringToAnsi(text, bytes); }

int CopyToBuffer(const QString& text, LPSTR buffer, int capacity) {
    if (buffer == nullptr || capacity <= 0) return 0;
    std::string bytes;
    if (!ToAnsi(text, &bytes)) bytes.clear();
    const int length = std::min(static_cast<int>(bytes.size()), capacity - 1);
    std::memcpy(buffer, bytes.data(), static_cast<std::size_t>(length));
    buffer[length] = '\0';
    return length;
}

void RestrictEditInput(QLineEdit* edit, bool digitsOnly, int maxBytes) {
    const auto content =
        digitsOnly ? AnsiTextValidator::Content::DigitsOnly : AnsiTextValidator::Content::AnyText;
    const QValidator* previous = edit->validator();
    edit->setValidator(new AnsiTextValidator(content, maxBytes, edit));
    delete previous;
}

}  // namespace toolkit::qt
