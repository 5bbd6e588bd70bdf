// Loaded into the real program through QT_QPA_GENERIC_PLUGINS=mirelkopress:<what>, it acts as a
// person would once the panel is up: clicks the button with that caption, or presses Escape
// ("Escape") or the close box ("Close"), and says on stdout what it did.
#include <QApplication>
#include <QGenericPlugin>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cstdio>

namespace {

class Presser : public QObject {
  public:
    explicit Presser(QString what) : what_(std::move(what)) {
        poll_.setInterval(10);
        connect(&poll_, &QTimer::timeout, this, &Presser::tryPress);
        poll_.start();
    }

  private:
    void tryPress() {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || !modal->isVisible() || !modal->isActiveWindow()) return;
        poll_.stop();
        std::printf("panel \"%s\" is up\n", qPrintable(modal->windowTitle()));
        if (what_ == "Escape") {
            QTest::keyClick(modal, Qt::Key_Escape);
        } else if (what_ == "Close") {
            modal->close();
        } else {
            for (QPushButton* button : modal->findChildren<QPushButton*>()) {
                if (button->text() == what_) QTest::mouseClick(button, Qt::LeftButton);
            }
        }
        std::printf("pressed %s\n", qPrintable(what_));
        std::fflush(stdout);
    }

    QString what_;
    QTimer poll_;
};

}  // namespace

class PressPlugin : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "press_plugin.json")

  public:
    QObject* create(const QString&, const QString& what) override { return new Presser(what); }
};

#include "press_plugin.moc"
