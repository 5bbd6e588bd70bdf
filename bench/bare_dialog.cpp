// The floor for the program's start-up: plain Qt building a dialog with the panel's widgets -
// the same number of each kind, in the same places - and nothing else: no resources, no files,
// no thread. It ends when the dialog is closed.
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>

namespace {

// Dialog units of an 8-point "MS Sans Serif" dialog (base units 6 x 13) to pixels.
QRect Units(int x, int y, int w, int h) {
    return QRect(x * 6 / 4, y * 13 / 8, w * 6 / 4, h * 13 / 8);
}

template <typename W>
W* Place(QDialog* dialog, W* widget, QRect at) {
    widget->setParent(dialog);
    widget->setGeometry(at);
    return widget;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QDialog dialog;
    dialog.setWindowTitle("Mirelko");
    QFont font("Liberation Sans");
    font.setPixelSize(11);
    dialog.setFont(font);
    dialog.resize(704, 679);

    Place(&dialog, new QGroupBox("Mirelkocontroller"), Units(7, 17, 455, 371));
    const char* headings[] = {"Controller Nbr. :", "Location :", "IP Adress :", "Offset :"};
    const int headingX[] = {31, 118, 228, 343};
    for (int i = 0; i < 4; ++i)
        Place(&dialog, new QLabel(headings[i]), Units(headingX[i], 41, 70, 12));
    QPixmap green(17, 16), red(17, 16);
    green.fill(Qt::green);
    red.fill(Qt::red);
    for (int box = 1; box <= 15; ++box) {
        const int top = 59 + 21 * (box - 1);
        Place(&dialog, new QCheckBox(QString("IP Controller %1").arg(box)), Units(27, top, 64, 10));
        auto* on = Place(&dialog, new QLabel, Units(100, top + 2, 11, 10));
        on->setPixmap(green);
        auto* off = Place(&dialog, new QLabel, Units(100, top + 2, 11, 10));
        off->setPixmap(red);
        off->hide();
        Place(&dialog, new QLineEdit, Units(115, top, 89, 15))->setMaxLength(79);
        // An address: four fields with a dot between each two.
        auto* address = Place(&dialog, new QWidget, Units(218, top, 100, 15));
        for (int field = 0; field < 4; ++field) {
            auto* edit = new QLineEdit(address);
            edit->setGeometry(field * 37, 0, 30, 24);
            if (field < 3) (new QLabel(".", address))->setGeometry(field * 37 + 31, 0, 5, 24);
        }
        Place(&dialog, new QLineEdit, Units(345, top, 30, 15));
        Place(&dialog, new QPushButton("configuration"), Units(392, top, 50, 14));
    }
    const char* buttons[] = {"OK", "Abbrechen", "Info", "refresh", "save", "analize"};
    const int buttonX[] = {346, 412, 13, 167, 228, 107};
    for (int i = 0; i < 6; ++i)
        Place(&dialog, new QPushButton(buttons[i]), Units(buttonX[i], 397, 50, 14));
    dialog.exec();
    return 0;
}
