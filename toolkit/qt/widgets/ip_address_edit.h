#pragma once

// An IPv4 address entry that behaves like the Windows IP-address control: four fields of 0-255
// that may each be blank, typing that moves between fields, and one tab stop for the whole.

#include <QWidget>
#include <QtGlobal>
#include <array>

class QKeyEvent;
class QLabel;
class QLineEdit;

namespace toolkit::qt {

class IpAddressEdit : public QWidget {
    Q_OBJECT

  public:
    static constexpr int kFieldCount = 4;

    explicit IpAddressEdit(QWidget* parent = nullptr);

    // Sets all four fields; the first octet is the top byte. 0 shows "0", not blank.
    void setAddress(quint32 packed);
    // The number of non-blank fields; blank fields read as 0.
    int address(quint32* packed) const;
    // "a.b.c.d" with blank fields as 0.
    QString text() const;
    QLineEdit* field(int index) const;

    QSize sizeHint() const override;

  signals:
    void addressChanged();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    int indexOf(QObject* object) const;
    bool handleKey(int index, QKeyEvent* key);
    void onFieldEdited(int index);
    void moveTo(int index, bool caretAtEnd);
    void leave(bool forward);
    void setFieldTexts(const std::array<QString, kFieldCount>& texts);
    void updateMargins();

    std::array<QLineEdit*, kFieldCount> fields_{};
    std::array<QLabel*, kFieldCount - 1> dots_{};
    bool settingTexts_ = false;
};

}  // namespace toolkit::qt
