#include "toolkit/qt/controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cstring>

#include "toolkit/qt/graphics.h"
#include "toolkit/qt/text.h"
#include "toolkit/qt/widgets/ip_address_edit.h"
#include "toolkit/win_api.h"

namespace toolkit::qt {
namespace {

// Text messages every control answers the same way, over its own getter and setter.
template <class Get, class Set>
LRESULT TextMessage(UINT message, WPARAM wParam, LPARAM lParam, Get get, Set set) {
    switch (message) {
        case WM_SETTEXT:
            set(FromAnsi(reinterpret_cast<LPCSTR>(lParam)));
            return TRUE;
        case WM_GETTEXT:
            return CopyToBuffer(get(), reinterpret_cast<LPSTR>(lParam), static_cast<int>(wParam));
        default:
            return 0;
    }
}

// A static text shows "&" only when doubled, like a button caption.
QString WithoutMnemonics(const QString& text) {
    QString plain;
    for (int i = 0; i < text.size(); ++i) {
        if (text[i] == '&') {
            if (i + 1 < text.size() && text[i + 1] == '&') plain += text[++i];
            continue;
        }
        plain += text[i];
    }
    return plain;
}

class PushButton : public Control {
  public:
    PushButton(const ControlTemplate& entry, HWND dialog, QWidget* parent)
        : Control(entry, dialog), button_(new QPushButton(FromAnsi(entry.text), parent)) {
        // Enter is the dialog's to route (to the focused or the default button).
        button_->setAutoDefault(false);
        button_->setDefault((entry.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON);
        QObject::connect(button_, &QPushButton::clicked, [this] { notify(BN_CLICKED); });
        registerHandle();
    }
    QWidget* widget() const override { return button_; }
    bool isPushButton() const override { return true; }
    LRESULT receive(UINT message, WPARAM wParam, LPARAM lParam) override {
        return TextMessage(
            message, wParam, lParam, [&] { return button_->text(); },
            [&](const QString& text) { button_->setText(text); });
    }

  private:
    QPushButton* button_;
};

// Like the system's check box, the whole control rectangle takes the click, not only its text.
class WholeAreaCheckBox : public QCheckBox {
  public:
    using QCheckBox::QCheckBox;

  protected:
    bool hitButton(const QPoint& position) const override { return rect().contains(position); }
};

class CheckBox : public Control {
  public:
    CheckBox(const ControlTemplate& entry, HWND dialog, QWidget* parent)
        : Control(entry, dialog), box_(new WholeAreaCheckBox(FromAnsi(entry.text), parent)) {
        QObject::connect(box_, &QCheckBox::clicked, [this] { notify(BN_CLICKED); });
        registerHandle();
    }
    QWidget* widget() const override { return box_; }
    LRESULT receive(UINT message, WPARAM wParam, LPARAM lParam) override {
        switch (message) {
            case BM_GETCHECK:
                return box_->isChecked() ? BST_CHECKED : BST_UNCHECKED;
            case BM_SETCHECK:
                // A two-state box shows any non-zero state as ticked.
                box_->setChecked(wParam != BST_UNCHECKED);
                return 0;
            default:
                return TextMessage(
                    message, wParam, lParam, [&] { return box_->text(); },
                    [&](const QString& text) { box_->setText(text); });
        }
    }

  private:
    QCheckBox* box_;
};

class GroupBox : public Control {
  public:
    GroupBox(const ControlTemplate& entry, HWND dialog, QWidget* parent)
        : Control(entry, dialog), box_(new QGroupBox(FromAnsi(entry.text), parent)) {
        // The frame runs through the middle of the caption, which sits one character in.
        const int half = box_->fontMetrics().height() / 2;
        box_->setStyleSheet(
            QStringLiteral("QGroupBox { border: 1px solid palette(mid); margin-top: "
                           "%1px; } QGroupBox::title { subcontrol-origin: margin; "
                           "left: %2px; padding: 0 2px; }")
                .arg(half)
                .arg(box_->fontMetrics().averageCharWidth()));
        // Drawn behind the controls it frames, and never in the way of their clicks.
        box_->lower();
        box_->setAttribute(Qt::WA_TransparentForMouseEvents);
        registerHandle();
    }
    QWidget* widget() const override { return box_; }
    LRESULT receive(UINT message, WPARAM wParam, LPARAM lParam) override {
        return TextMessage(
            message, wParam, lParam, [&] { return box_->title(); },
            [&](const QString& text) { box_->setTitle(text); });
    }

  private:
    QGroupBox* box_;
};

class Edit : public Control {
  public:
    Edit(const ControlTemplate& entry, HWND dialog, QWidget* parent)
        : Control(entry, dialog), edit_(new QLineEdit(FromAnsi(entry.text), parent)) {
        edit_->setFrame((entry.style & WS_BORDER) != 0);
        if ((entry.style & ES_READONLY) != 0) {
            edit_->setReadOnly(true);
            QPalette palette = edit_->palette();
            palette.setColor(QPalette::Base, palette.color(QPalette::Window));
            edit_->setPalette(palette);
        }
        restrict(0);
        registerHandle();
    }
    QWidget* widget() const override { return edit_; }
    LRESULT receive(UINT message, WPARAM wParam, LPARAM lParam) override {
        switch (message) {
            case EM_SETSEL: {
                const int start = static_cast<int>(wParam);
                const int end = static_cast<int>(lParam);
                if (start == 0 && end == -1) {
                    edit_->selectAll();
                } else if (start < 0) {
                    edit_->deselect();
                } else {
                    edit_->setSelection(start, (end < 0 ? int(edit_->text().size()) : end) - start);
                }
                return 0;
            }
            case EM_LIMITTEXT:
                restrict(static_cast<int>(wParam));
                return 0;
            default:
                // A read-only field is for reading: a long text shows from its start.
                return TextMessage(
                    message, wParam, lParam, [&] { return edit_->text(); },
                    [&](const QString& text) {
                        edit_->setText(text);
                        if (edit_->isReadOnly()) edit_->setCursorPosition(0);
                    });
        }
    }

  private:
    void restrict(int maxBytes) {
        RestrictEditInput(edit_, (entry().style & ES_NUMBER) != 0, maxBytes);
    }

    QLineEdit* edit_;
};

class StaticText : public Control {
  public:
    StaticText(const ControlTemplate& entry, HWND dialog, QWidget* parent)
        : Control(entry, dialog), label_(new QLabel(parent)) {
        label_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label_->setWordWrap(true);
        label_->setText(WithoutMnemonics(FromAnsi(entry.text)));
        registerHandle();
    }
    QWidget* widget() const override { return label_; }
    LRESULT receive(UINT message, WPARAM wParam, LPARAM lParam) override {
        return TextMessage(
            message, wParam, lParam, [&] { return label_->text(); },
            [&](const QString& text) { label_->setText(WithoutMnemonics(text)); });
    }

  private:
    QLabel* label_;
};

class StaticBitmap : public Control {
  public:
    StaticBitmap(const ControlTemplate& entry, HWND dialog, QWidget* parent)
        : Control(entry, dialog), label_(new QLabel(parent)) {
        const QPixmap picture = LoadBitmapPixmap(entry.imageId);
        label_->setPixmap(picture);
        pictureSize_ = picture.size();
        registerHandle();
    }
    QWidget* widget() const override { return label_; }
    QSize pictureSize() const { return pictureSize_; }
    LRESULT receive(UINT, WPARAM, LPARAM) override { return 0; }

  private:
    QLabel* label_;
    QSize pictureSize_;
};

class DropDownList : public Control {
  public:
    DropDownList(const ControlTemplate& entry, HWND dialog, QWidget* parent)
        : Control(entry, dialog), list_(new QComboBox(parent)) {
        list_->setEditable(false);
        for (LPCSTR item : entry.items) list_->addItem(FromAnsi(item));
        list_->setCurrentIndex(-1);
        // Only a choice by the user is a selection change, as with the list's own messages.
        QObject::connect(list_, &QComboBox::activated, [this] { notify(CBN_SELCHANGE); });
        registerHandle();
    }
    QWidget* widget() const override { return list_; }
    LRESULT receive(UINT message, WPARAM wParam, LPARAM lParam) override {
        switch (message) {
            case CB_GETCURSEL:
                return list_->currentIndex() < 0 ? CB_ERR : list_->currentIndex();
            case CB_SETCURSEL: {
                const int index = static_cast<int>(wParam);
                if (index < 0 || index >= list_->count()) {
                    list_->setCurrentIndex(-1);
                    return CB_ERR;
                }
                list_->setCurrentIndex(index);
                return index;
            }
            default:
                return TextMessage(
                    message, wParam, lParam, [&] { return list_->currentText(); },
                    [](const QString&) {});
        }
    }

  private:
    QComboBox* list_;
};

class IpAddress : public Control {
  public:
    IpAddress(const ControlTemplate& entry, HWND dialog, QWidget* parent)
        : Control(entry, dialog), edit_(new IpAddressEdit(parent)) {
        registerHandle();
    }
    QWidget* widget() const override { return edit_; }
    LRESULT receive(UINT message, WPARAM wParam, LPARAM lParam) override {
        switch (message) {
            case IPM_SETADDRESS:
                edit_->setAddress(static_cast<quint32>(lParam));
                return TRUE;
            case IPM_GETADDRESS: {
                quint32 packed = 0;
                const int count = edit_->address(&packed);
                if (lParam != 0) *reinterpret_cast<DWORD*>(lParam) = packed;
                return count;
            }
            default:
                return TextMessage(
                    message, wParam, lParam, [&] { return edit_->text(); }, [](const QString&) {});
        }
    }

  private:
    IpAddressEdit* edit_;
};

std::unique_ptr<Control> MakeButton(const ControlTemplate& entry, HWND dialog, QWidget* parent) {
    switch (entry.style & BS_TYPEMASK) {
        case BS_AUTOCHECKBOX:
            return std::make_unique<CheckBox>(entry, dialog, parent);
        case BS_GROUPBOX:
            return std::make_unique<GroupBox>(entry, dialog, parent);
        default:
            return std::make_unique<PushButton>(entry, dialog, parent);
    }
}

std::unique_ptr<Control> MakeControl(const ControlTemplate& entry, HWND dialog, QWidget* parent) {
    switch (entry.controlClass) {
        case ControlClass::Button:
            return MakeButton(entry, dialog, parent);
        case ControlClass::Edit:
            return std::make_unique<Edit>(entry, dialog, parent);
        case ControlClass::Static:
            if ((entry.style & SS_TYPEMASK) == SS_BITMAP) {
                return std::make_unique<StaticBitmap>(entry, dialog, parent);
            }
            return std::make_unique<StaticText>(entry, dialog, parent);
        case ControlClass::ComboBox:
            return std::make_unique<DropDownList>(entry, dialog, parent);
        case ControlClass::IpAddress:
            return std::make_unique<IpAddress>(entry, dialog, parent);
    }
    return nullptr;
}

QRect ControlGeometry(const Control& control, const QRect& pixels) {
    QWidget* widget = control.widget();
    if (auto* bitmap = dynamic_cast<const StaticBitmap*>(&control)) {
        return QRect(pixels.topLeft(), bitmap->pictureSize());
    }
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        // A one-line text that this font draws wider than the box made for another font stays
        // on its line, whole, instead of wrapping out of sight.
        const QFontMetrics metrics = label->fontMetrics();
        if (pixels.height() < 2 * metrics.height()) {
            label->setWordWrap(false);
            const int width = std::max(pixels.width(), metrics.horizontalAdvance(label->text()));
            return QRect(pixels.topLeft(), QSize(width, pixels.height()));
        }
    }
    if (auto* list = qobject_cast<QComboBox*>(widget)) {
        // The template's height includes the dropped list; the closed box is one line high.
        const int closed = list->sizeHint().height();
        const int rows = (pixels.height() - closed) / std::max(1, list->fontMetrics().height());
        list->setMaxVisibleItems(std::max(1, rows));
        return QRect(pixels.x(), pixels.y(), pixels.width(), closed);
    }
    return pixels;
}

}  // namespace

Control::Control(const ControlTemplate& entry, HWND dialog) : entry_(entry), dialog_(dialog) {}

void Control::notify(WORD code) {
    SendMessageA(dialog_, WM_COMMAND, MAKEWPARAM(entry_.id, code),
                 reinterpret_cast<LPARAM>(handle()));
}

std::unique_ptr<Control> CreateControl(const ControlTemplate& entry, HWND dialog, QWidget* parent,
                                       const QRect& pixels) {
    std::unique_ptr<Control> control = MakeControl(entry, dialog, parent);
    QWidget* widget = control->widget();
    widget->setGeometry(ControlGeometry(*control, pixels));
    const bool focusable =
        entry.controlClass != ControlClass::Static &&
        (entry.controlClass != ControlClass::Button || (entry.style & BS_TYPEMASK) != BS_GROUPBOX);
    widget->setFocusPolicy(!focusable             ? Qt::NoFocus
                           : control->isTabStop() ? Qt::StrongFocus
                                                  : Qt::ClickFocus);
    if ((entry.style & WS_DISABLED) != 0) widget->setEnabled(false);
    return control;
}

}  // namespace toolkit::qt
