// A stand-in for the box configuration program "didozur", for the demo only: the panel starts
// it as "didozur OFFSET", and it says which offset it was given.
#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    QWidget window;
    window.setWindowTitle("didozur (demo)");
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(new QLabel(
        args.size() > 1 ? QString("The box configuration program would now configure\n"
                                  "the box at offset %1.")
                              .arg(args.mid(1).join(' '))
                        : QString("The box configuration program was started without an offset.")));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &window, &QWidget::close);
    layout->addWidget(buttons);
    window.show();
    return app.exec();
}
