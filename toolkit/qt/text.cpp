#include "toolkit/qt/text.h"

#include <QLineEdit>
#include <algorithm>

#include "toolkit/qt/widgets/ansi_text.h"

namespace toolkit::qt {

QString FromAnsi(LPCSTR text) { return text == nullptr ? QString() : ansiToQString(text); }

bool AnsiEquals(const QString& text, LPCSTR bytes) {
    return ansiEquals(text, bytes == nullptr ? std::string_view() : std::string_view(bytes));
}

int CopyToBuffer(const QString& text, LPSTR buffer, int capacity) {
    if (buffer == nullptr || capacity <= 0) return 0;
    const int room = capacity - 1;
    const int length = std::min(qstringToAnsi(text, buffer, static_cast<std::size_t>(room)), room);
    // Text a byte cannot hold copies as nothing, never as a part.
    buffer[std::max(length, 0)] = '\0';
    return std::max(length, 0);
}

void RestrictEditInput(QLineEdit* edit, bool digitsOnly, int maxBytes) {
    const auto content =
        digitsOnly ? AnsiTextValidator::Content::DigitsOnly : AnsiTextValidator::Content::AnyText;
    const QValidator* previous = edit->validator();
    edit->setValidator(new AnsiTextValidator(content, maxBytes, edit));
    delete previous;
}

}  // namespace toolkit::qt
