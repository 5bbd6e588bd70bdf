#include "toolkit/win32/dialog_template.h"

#include <cstring>

namespace toolkit::win32 {
namespace {

// The predefined control classes, by the atoms a template may name them with.
constexpr WORD kButtonAtom = 0x0080;
constexpr WORD kEditAtom = 0x0081;
constexpr WORD kStaticAtom = 0x0082;
constexpr WORD kComboBoxAtom = 0x0085;

// The drawing of a bitmap for the screen's scale: the largest drawn for no more than it.
WORD PictureForScreen(UINT id) {
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    UINT chosen = id;
    for (const PictureScale& scale : kPictureScales) {
        const UINT drawn = id + scale.idOffset;
        if (dpi * 100 >= 96 * scale.percent &&
            FindResourceA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(drawn), RT_BITMAP))
            chosen = drawn;
    }
    return static_cast<WORD>(chosen);
}

class TemplateWriter {
  public:
    void Word(WORD value) { words_.push_back(value); }
    void Dword(DWORD value) {
        Word(LOWORD(value));
        Word(HIWORD(value));
    }
    void Short(short value) { Word(static_cast<WORD>(value)); }
    // Text in the system's single-byte code page, as UTF-16 with its terminator.
    void Text(LPCSTR text) {
        const int length = static_cast<int>(std::strlen(text));
        if (length > 0) {
            std::vector<wchar_t> wide(static_cast<std::size_t>(length));
            const int count = MultiByteToWideChar(1252, 0, text, length, wide.data(), length);
            for (int i = 0; i < count; ++i)
                Word(static_cast<WORD>(wide[static_cast<std::size_t>(i)]));
        }
        Word(0);
    }
    void Ordinal(WORD value) {
        Word(0xFFFF);
        Word(value);
    }
    void AlignToDword() {
        if (words_.size() % 2 != 0) Word(0);
    }
    std::vector<WORD> Take() { return std::move(words_); }

  private:
    std::vector<WORD> words_;
};

void WriteClass(TemplateWriter& out, const ControlTemplate& control) {
    switch (control.controlClass) {
        case ControlClass::Button:
            return out.Ordinal(kButtonAtom);
        case ControlClass::Edit:
            return out.Ordinal(kEditAtom);
        case ControlClass::Static:
            return out.Ordinal(kStaticAtom);
        case ControlClass::ComboBox:
            return out.Ordinal(kComboBoxAtom);
        case ControlClass::IpAddress:
            return out.Text(WC_IPADDRESSA);
    }
}

}  // namespace

std::vector<WORD> BuildDialogTemplate(const DialogTemplate& dialog) {
    TemplateWriter out;
    // Centred on its owner, or on the screen, as the panel's users expect a dialog to open.
    out.Dword(dialog.style | DS_SETFONT | DS_CENTER);
    out.Dword(dialog.exStyle);
    out.Word(static_cast<WORD>(dialog.controls.size()));
    out.Short(0);
    out.Short(0);
    out.Short(dialog.cx);
    out.Short(dialog.cy);
    out.Word(0);  // no menu
    out.Word(0);  // the dialog class
    out.Text(dialog.caption);
    out.Word(dialog.fontPoints);
    out.Text(dialog.fontFace);
    for (const ControlTemplate& control : dialog.controls) {
        out.AlignToDword();
        out.Dword(control.style | WS_CHILD | WS_VISIBLE);
        out.Dword(0);
        out.Short(control.x);
        out.Short(control.y);
        out.Short(control.cx);
        out.Short(control.cy);
        out.Word(static_cast<WORD>(control.id));
        WriteClass(out, control);
        if (control.controlClass == ControlClass::Static &&
            (control.style & SS_TYPEMASK) == SS_BITMAP) {
            out.Ordinal(PictureForScreen(control.imageId));
        } else {
            out.Text(control.text);
        }
        out.Word(0);  // no creation data
    }
    return out.Take();
}

}  // namespace toolkit::win32
