#pragma once

// The system's members hold single-byte text in Windows-1252, the ANSI code page of a German
// Windows ("ü" is the byte 0xFC). This is the one place where that text meets Qt's Unicode.

#include <QChar>
#include <QString>
#include <QValidator>
#include <string>
#include <string_view>

namespace toolkit::qt {

// Every byte maps to its Windows-1252 character; the five bytes 1252 leaves undefined map to the
// C1 control of the same value, as Windows does. A NUL byte ends the text.
QString ansiToQString(std::string_view bytes);
// Whether text is ansiToQString(bytes), told without making it.
bool ansiEquals(const QString& text, std::string_view bytes);

// False, with *out untouched, when any character cannot be held: nothing is silently replaced.
bool qstringToAnsi(const QString& text, std::string* out);
// The same into out, of which at most capacity bytes are written: the length of the whole text
// in bytes, or -1 with nothing to rely on in out.
int qstringToAnsi(const QString& text, char* out, std::size_t capacity);

// True when the character has a Windows-1252 byte. U+0000 is refused: it would end the text.
bool ansiCanHold(QChar c);

// Refuses, as Invalid, any input that could not be stored unchanged: characters outside
// Windows-1252, CR and LF (they would break the line-based profile files), non-digits in a
// digits-only field, and text beyond the byte limit. A whole text is judged, so a text the
// program puts in must itself pass, or the field would refuse every later edit; values read
// from the profile files always do.
class AnsiTextValidator : public QValidator {
    Q_OBJECT

  public:
    enum class Content { AnyText, DigitsOnly };

    // maxBytes 0 means no limit.
    explicit AnsiTextValidator(Content content = Content::AnyText, int maxBytes = 0,
                               QObject* parent = nullptr);

    State validate(QString& input, int& pos) const override;

  private:
    Content content_;
    int maxBytes_;
};

}  // namespace toolkit::qt
