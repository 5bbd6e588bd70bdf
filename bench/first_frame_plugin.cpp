// Loaded into a Qt program through QT_QPA_GENERIC_PLUGINS=mirelkoframe, it waits for the first
// frame of the first modal window to be painted, writes how long after MIRELKO_BENCH_T0 (a
// CLOCK_MONOTONIC time in nanoseconds, taken by whoever started the program) that was, and
// closes the window so the program ends its own way. With MIRELKO_BENCH_CENSUS set it also
// writes how many widgets of each class the window holds.
#include <QApplication>
#include <QEvent>
#include <QGenericPlugin>
#include <QMap>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

long long NowNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000000000LL + now.tv_nsec;
}

void WriteCensus(QWidget* window) {
    QMap<QString, int> counts;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        const QMetaObject* meta = widget->metaObject();
        // Classes of our own count as the Qt class they are made of.
        while (meta->superClass() && !QString(meta->className()).startsWith('Q'))
            meta = meta->superClass();
        ++counts[meta->className()];
    }
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        std::printf("census %s %d\n", qPrintable(it.key()), it.value());
}

class FrameWatcher : public QObject {
  public:
    FrameWatcher() { qApp->installEventFilter(this); }

  protected:
    bool eventFilter(QObject* target, QEvent* event) override {
        if (!painted_ && event->type() == QEvent::Paint && target->isWidgetType() &&
            static_cast<QWidget*>(target)->isWindow() &&
            QApplication::activeModalWidget() == target) {
            painted_ = true;
            // Runs once the paint that is starting now, children included, has been flushed.
            QTimer::singleShot(0, this, [target] {
                const char* t0 = std::getenv("MIRELKO_BENCH_T0");
                const long long elapsed = NowNanoseconds() - (t0 ? std::atoll(t0) : 0);
                std::printf("first frame %lld ns\n", elapsed);
                auto* window = static_cast<QWidget*>(target);
                if (std::getenv("MIRELKO_BENCH_CENSUS")) WriteCensus(window);
                std::fflush(stdout);
                window->close();
            });
        }
        return false;
    }

  private:
    bool painted_ = false;
};

}  // namespace

class FirstFramePlugin : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "first_frame_plugin.json")

  public:
    QObject* create(const QString&, const QString&) override { return new FrameWatcher; }
};

#include "first_frame_plugin.moc"
