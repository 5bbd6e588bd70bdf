#include "tests/app/frame_support.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>

namespace test {

InfoBoxCloser::InfoBoxCloser() {
    poll_.setInterval(1);
    QObject::connect(&poll_, &QTimer::timeout, [this] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || !modal->isVisible() || modal->property("seen").toBool()) return;
        if (modal->windowTitle() != QString::fromUtf8("Info über Mirelko")) return;
        modal->setProperty("seen", true);
        ++openings_;
        for (QPushButton* button : modal->findChildren<QPushButton*>()) {
            if (button->text() == "OK") QTest::mouseClick(button, Qt::LeftButton);
        }
    });
    poll_.start();
}

InfoBoxCloser::~InfoBoxCloser() = default;

}  // namespace test
