#include "toolkit/qt/widgets/ip_address_edit.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QRegularExpressionValidator>
#include <QStringList>
#include <QStyle>
#include <QStyleOptionFrame>

namespace toolkit::qt {
namespace {

constexpr int kMaxDigits = 3;
constexpr int kMaxOctet = 255;
constexpr int kLastField = IpAddressEdit::kFieldCount - 1;

// Leading zeros ("007") read as decimal; a blank field reads as 0.
int octetOf(const QLineEdit* field) { return qMin(field->text().toInt(), kMaxOctet); }

}  // namespace

IpAddressEdit::IpAddressEdit(QWidget* parent) : QWidget(parent) {
    // The whole control is one tab stop: the first field takes tab focus for it, the others are
    // reached by typing, arrows or the mouse.
    setFocusPolicy(Qt::StrongFocus);
    auto* layout = new QHBoxLayout(this);
    layout->setSpacing(0);
    auto* digits =
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")), this);
    for (int i = 0; i < kFieldCount; ++i) {
        if (i > 0) {
            auto* dot = new QLabel(QStringLiteral("."), this);
            dot->setAlignment(Qt::AlignCenter);
            dot->setForegroundRole(QPalette::Text);
            dot->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Ignored);
            dots_[i - 1] = dot;
            layout->addWidget(dot);
        }
        auto* field = new QLineEdit(this);
        field->setFrame(false);
        field->setAlignment(Qt::AlignCenter);
        field->setValidator(digits);
        // Ignored: the four fields share the width evenly whatever rectangle the control gets.
        field->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
        field->setFocusPolicy(i == 0 ? Qt::StrongFocus : Qt::ClickFocus);
        field->installEventFilter(this);
        connect(field, &QLineEdit::textEdited, this, [this, i] { onFieldEdited(i); });
        connect(field, &QLineEdit::textChanged, this, [this] {
            if (!settingTexts_) emit addressChanged();
        });
        fields_[i] = field;
        layout->addWidget(field, 1);
    }
    setFocusProxy(fields_[0]);
    updateMargins();
}

void IpAddressEdit::setAddress(quint32 packed) {
    std::array<QString, kFieldCount> texts;
    for (int i = 0; i < kFieldCount; ++i) {
        const int shift = 8 * (kLastField - i);
        texts[i] = QString::number((packed >> shift) & 0xFFu);
    }
    setFieldTexts(texts);
}

int IpAddressEdit::address(quint32* packed) const {
    int nonBlank = 0;
    quint32 value = 0;
    for (const QLineEdit* field : fields_) {
        if (!field->text().isEmpty()) ++nonBlank;
        value = (value << 8) | static_cast<quint32>(octetOf(field));
    }
    if (packed != nullptr) *packed = value;
    return nonBlank;
}

QString IpAddressEdit::text() const {
    QStringList octets;
    for (const QLineEdit* field : fields_) octets << QString::number(octetOf(field));
    return octets.join(u'.');
}

QLineEdit* IpAddressEdit::field(int index) const {
    return index >= 0 && index < kFieldCount ? fields_[index] : nullptr;
}

QSize IpAddressEdit::sizeHint() const {
    const int frame = 2 * style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    const int fieldWidth = fontMetrics().horizontalAdvance(QStringLiteral("0000"));
    int width = frame + kFieldCount * fieldWidth;
    for (const QLabel* dot : dots_) width += dot->sizeHint().width();
    return {width, fields_[0]->sizeHint().height() + frame};
}

bool IpAddressEdit::eventFilter(QObject* watched, QEvent* event) {
    const int index = indexOf(watched);
    if (index < 0) return QWidget::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::KeyPress:
            return handleKey(index, static_cast<QKeyEvent*>(event));
        case QEvent::FocusIn:
        case QEvent::FocusOut:
            update();  // the frame shows whether any field has the focus
            break;
        default:
            break;
    }
    return QWidget::eventFilter(watched, event);
}

void IpAddressEdit::paintEvent(QPaintEvent* /*event*/) {
    // Painted as a line edit's panel so that the border, background and disabled look match the
    // edit controls beside it; the frameless fields sit inside it.
    QPainter painter(this);
    QStyleOptionFrame option;
    option.initFrom(this);
    option.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, this);
    option.midLineWidth = 0;
    option.state |= QStyle::State_Sunken;
    if (isAncestorOf(QApplication::focusWidget())) option.state |= QStyle::State_HasFocus;
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &option, &painter, this);
}

void IpAddressEdit::changeEvent(QEvent* event) {
    if (event->type() == QEvent::StyleChange) updateMargins();
    QWidget::changeEvent(event);
}

int IpAddressEdit::indexOf(QObject* object) const {
    for (int i = 0; i < kFieldCount; ++i) {
        if (fields_[i] == object) return i;
    }
    return -1;
}

bool IpAddressEdit::handleKey(int index, QKeyEvent* key) {
    QLineEdit* field = fields_[index];
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    const bool plain = modifiers == Qt::NoModifier;
    const bool caretAlone = !field->hasSelectedText();
    const int caret = field->cursorPosition();

    switch (key->key()) {
        case Qt::Key_Tab:
            if (modifiers & (Qt::ControlModifier | Qt::AltModifier)) return false;
            leave(!(modifiers & Qt::ShiftModifier));
            return true;
        case Qt::Key_Backtab:
            leave(false);
            return true;
        case Qt::Key_Backspace:
            if (!plain || !caretAlone || caret != 0 || index == 0) return false;
            moveTo(index - 1, true);
            fields_[index - 1]->backspace();
            return true;
        case Qt::Key_Left:
            if (!plain || !caretAlone || caret != 0 || index == 0) return false;
            moveTo(index - 1, true);
            return true;
        case Qt::Key_Right:
            if (!plain || !caretAlone || caret != field->text().size() || index == kLastField) {
                return false;
            }
            moveTo(index + 1, false);
            return true;
        default:
            break;
    }
    // The separators are never inserted; they only move on, and only from a field with digits.
    if (key->text() == u"." || key->text() == u" ") {
        if (!field->text().isEmpty() && index < kLastField) moveTo(index + 1, false);
        return true;
    }
    return false;
}

void IpAddressEdit::onFieldEdited(int index) {
    QLineEdit* field = fields_[index];
    if (field->text().toInt() > kMaxOctet) {
        field->setText(QString::number(kMaxOctet));  // the focus stays so the user sees the change
        return;
    }
    if (field->text().size() == kMaxDigits && index < kLastField) moveTo(index + 1, false);
}

void IpAddressEdit::moveTo(int index, bool caretAtEnd) {
    QLineEdit* field = fields_[index];
    field->setFocus(Qt::OtherFocusReason);
    field->deselect();
    field->setCursorPosition(caretAtEnd ? static_cast<int>(field->text().size()) : 0);
}

void IpAddressEdit::leave(bool forward) {
    // Qt's tab search starts at the focus widget. Starting it from the last field (forward) or the
    // first (backward) steps over the other fields, so the control stays one tab stop.
    QLineEdit* edge = forward ? fields_[kLastField] : fields_[0];
    if (QApplication::focusWidget() != edge) edge->setFocus(Qt::OtherFocusReason);
    focusNextPrevChild(forward);
}

void IpAddressEdit::setFieldTexts(const std::array<QString, kFieldCount>& texts) {
    bool changed = false;
    settingTexts_ = true;
    for (int i = 0; i < kFieldCount; ++i) {
        if (fields_[i]->text() == texts[i]) continue;
        fields_[i]->setText(texts[i]);
        changed = true;
    }
    settingTexts_ = false;
    if (changed) emit addressChanged();
}

void IpAddressEdit::updateMargins() {
    // One pixel more than the frame leaves room for the style's inner focus line.
    const int margin = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this) + 1;
    layout()->setContentsMargins(margin, margin, margin, margin);
}

}  // namespace toolkit::qt
