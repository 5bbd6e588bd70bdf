// Loaded into the real program through QT_QPA_GENERIC_PLUGINS=mirelkosave:<first>/<second>, it
// saves without pause once the panel is up, as a person would: types <first> and <second> in turn
// into box 1's location and clicks "save". It prints "saving" once the first save is done. A save
// that shows a message instead (a failed save) ends the program with exit code 3 and the message.
#include <QApplication>
#include <QCheckBox>
#include <QGenericPlugin>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

namespace {

// Ends the program at once: the test waits for it, and nothing is to be saved on the way out.
[[noreturn]] void Fail(const QString& why) {
    std::printf("save loop: %s\n", qPrintable(why));
    std::fflush(stdout);
    std::_Exit(3);
}

// Box 1's location: the first field right of the box's check box, on the same row.
QLineEdit* FirstLocation(QWidget* panel) {
    QRect box;
    for (QCheckBox* check : panel->findChildren<QCheckBox*>()) {
        if (check->text() == "IP Controller 1")
            box = QRect(check->mapTo(panel, QPoint()), check->size());
    }
    QLineEdit* nearest = nullptr;
    int nearestX = 0;
    for (QLineEdit* edit : panel->findChildren<QLineEdit*>()) {
        const QRect field(edit->mapTo(panel, QPoint()), edit->size());
        if (box.isNull() || field.left() <= box.right() || field.bottom() < box.top() ||
            field.top() > box.bottom())
            continue;
        if (nearest == nullptr || field.left() < nearestX) {
            nearest = edit;
            nearestX = field.left();
        }
    }
    return nearest;
}

class SaveLoop : public QObject {
  public:
    explicit SaveLoop(const QString& values) : values_(values.split('/')) {
        if (values_.size() != 2) Fail("expected mirelkosave:<first>/<second>");
        connect(&watch_, &QTimer::timeout, this, &SaveLoop::watch);
        watch_.start(10);
        connect(&step_, &QTimer::timeout, this, &SaveLoop::step);
    }

  private:
    // Finds the panel once it is up, then catches any other modal window: a failed save's
    // message box runs its own event loop inside the click, where the step timer never fires.
    void watch() {
        QWidget* modal = QApplication::activeModalWidget();
        if (panel_ == nullptr) {
            if (modal == nullptr || !modal->isVisible() || !modal->isActiveWindow()) return;
            start(modal);
        } else if (modal != panel_) {
            const auto* box = qobject_cast<QMessageBox*>(modal);
            Fail(box != nullptr ? "a save showed \"" + box->text() + "\""
                                : "the panel is no longer the active modal window");
        }
    }

    void start(QWidget* panel) {
        panel_ = panel;
        for (QPushButton* button : panel->findChildren<QPushButton*>()) {
            if (button->text() == "save") save_ = button;
        }
        location_ = FirstLocation(panel);
        if (save_ == nullptr || location_ == nullptr || !location_->isEnabled())
            Fail("no \"save\" button or no enabled location field for box 1");
        step_.start(0);
    }

    void step() {
        const QString& value = values_[turn_ % 2];
        QTest::keyClick(location_, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(location_, value);
        if (location_->text() != value)
            Fail("typed \"" + value + "\", the field shows \"" + location_->text() + "\"");
        QTest::mouseClick(save_, Qt::LeftButton);
        if (turn_++ == 0) {
            std::puts("saving");
            std::fflush(stdout);
        }
    }

    QStringList values_;
    QTimer watch_, step_;
    QWidget* panel_ = nullptr;
    QPushButton* save_ = nullptr;
    QLineEdit* location_ = nullptr;
    unsigned turn_ = 0;
};

}  // namespace

class SavePlugin : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "save_plugin.json")

  public:
    QObject* create(const QString&, const QString& values) override { return new SaveLoop(values); }
};

#include "save_plugin.moc"
