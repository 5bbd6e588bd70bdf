// Attention and the notification-area balloon, asked of the desktop: the window's
// demands-attention state, and one org.freedesktop.Notifications notification that each balloon
// replaces. Every call to the notification service is asynchronous: a desktop without one, or
// a slow one, never holds up the window.
#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QFileInfo>
#include <QWidget>

#include "toolkit/qt/text.h"
#include "toolkit/qt/window.h"
#include "toolkit/win_api.h"

namespace {

constexpr char kService[] = "org.freedesktop.Notifications";
constexpr char kPath[] = "/org/freedesktop/Notifications";

QWidget* TopLevelOf(HWND handle) {
    toolkit::qt::Window* window = toolkit::qt::WindowFromHandle(handle);
    return window == nullptr ? nullptr : window->widget()->window();
}

// The icon's one notification: its id, and where a click on it is told.
class Balloon : public QObject {
    Q_OBJECT

  public:
    static Balloon& Instance() {
        static Balloon* balloon = new Balloon(qApp);
        return *balloon;
    }

    void show(const NOTIFYICONDATAA& data) {
        owner_ = data.hWnd;
        callbackMessage_ = data.uCallbackMessage;
        // A call on a bus that is not there never finishes, not even with an error: its watcher
        // would wait, and be kept, for as long as the program runs.
        if (!bus().isConnected()) return;
        QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kService, "Notify");
        // The balloon's icon, as the desktop's icon theme names it; an error or a warning does not
        // expire by itself.
        const DWORD icon = data.dwInfoFlags & NIIF_ICON_MASK;
        const bool urgent = icon == NIIF_ERROR || icon == NIIF_WARNING;
        const char* iconName = icon == NIIF_ERROR     ? "dialog-error"
                               : icon == NIIF_WARNING ? "dialog-warning"
                                                      : "dialog-information";
        const QVariantMap hints{{"urgency", QVariant::fromValue<uchar>(urgent ? 2 : 1)},
                                {"sound-name", urgent ? "dialog-warning" : "dialog-information"},
                                {"desktop-entry", QGuiApplication::desktopFileName()}};
        call << QGuiApplication::applicationDisplayName() << shown_ << QString(iconName)
             << toolkit::qt::FromAnsi(data.szInfoTitle) << toolkit::qt::FromAnsi(data.szInfo)
             << QStringList{"default", "Show"} << hints << -1;
        pending_ = new QDBusPendingCallWatcher(bus().asyncCall(call), this);
        connect(pending_, &QDBusPendingCallWatcher::finished, this, [this](auto* finished) {
            const QDBusPendingReply<uint> reply = *finished;
            // One withdrawn or followed by another before the service answered goes now, unless
            // the one that followed replaced it in place.
            if (finished == pending_) {
                if (reply.isValid()) shown_ = reply.value();
                pending_ = nullptr;
            } else if (reply.isValid() && reply.value() != shown_) {
                close(reply.value());
            }
            finished->deleteLater();
        });
    }

    void withdraw() {
        pending_ = nullptr;  // closed when its answer comes
        if (shown_ != 0) close(shown_);
        shown_ = 0;
    }

  private slots:
    void actionInvoked(uint id, const QString& action) {
        if (id != shown_ || action != "default" || owner_ == nullptr) return;
        SendMessageA(owner_, callbackMessage_, 0, NIN_BALLOONUSERCLICK);
    }

  private:
    explicit Balloon(QObject* parent) : QObject(parent) {
        bus().connect(kService, kPath, kService, "ActionInvoked", this,
                      SLOT(actionInvoked(uint, QString)));
    }
    // Without a session bus of the desktop's, Qt's own connecting would start one (autolaunch)
    // and wait for it; a bus that is not there cannot be told anything.
    static QDBusConnection bus() {
        static const bool desktopBus =
            !qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS") ||
            QFileInfo::exists(qEnvironmentVariable("XDG_RUNTIME_DIR") + "/bus");
        return desktopBus ? QDBusConnection::sessionBus()
                          : QDBusConnection(QStringLiteral("mirelko-no-bus"));
    }

    void close(uint id) {
        QDBusMessage call =
            QDBusMessage::createMethodCall(kService, kPath, kService, "CloseNotification");
        call << id;
        bus().asyncCall(call);
    }

    uint shown_ = 0;
    // The call for the latest notification while the service has not answered it.
    QDBusPendingCallWatcher* pending_ = nullptr;
    HWND owner_ = nullptr;
    UINT callbackMessage_ = 0;
};

}  // namespace

BOOL FlashWindowEx(PFLASHWINFO info) {
    QWidget* window = info == nullptr ? nullptr : TopLevelOf(info->hwnd);
    if (window == nullptr) return FALSE;
    const BOOL wasActive = window->isActiveWindow() ? TRUE : FALSE;
    // No time-out: the window manager keeps asking until the window is activated.
    if ((info->dwFlags & FLASHW_TRAY) != 0) QApplication::alert(window, 0);
    return wasActive;
}

BOOL Shell_NotifyIconA(DWORD message, PNOTIFYICONDATAA data) {
    if (data == nullptr) return FALSE;
    if (message == NIM_DELETE) {
        Balloon::Instance().withdraw();
    } else if ((data->uFlags & NIF_INFO) != 0 && data->szInfo[0] != '\0') {
        Balloon::Instance().show(*data);
    }
    return TRUE;
}

BOOL SetForegroundWindow(HWND handle) {
    QWidget* window = TopLevelOf(handle);
    if (window == nullptr) return FALSE;
    window->raise();
    window->activateWindow();
    return TRUE;
}

#include "desktop_notices.moc"
