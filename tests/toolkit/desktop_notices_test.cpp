// The balloon against a notification service on a private bus that answers while events run.
#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QProcess>
#include <QTest>
#include <vector>

#include "toolkit/win_api.h"

namespace {

// Numbers each new notification from 1 and keeps a replaced one's number; records every close.
struct Service : QDBusVirtualObject {
    uint last = 0;
    std::vector<uint> closed;
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& call, const QDBusConnection& bus) override {
        const bool notify = call.member() == "Notify";
        const uint id = call.arguments().value(notify ? 1 : 0).toUInt();
        if (!notify) closed.push_back(id);
        return bus.send(notify ? call.createReply(id != 0 ? id : ++last) : call.createReply());
    }
};

TEST(DesktopNotices, EveryNoticeShownGoesWithTheWithdrawalAlsoBeforeTheServiceAnswered) {
    QProcess daemon;
    daemon.start("dbus-daemon", {"--session", "--nofork", "--print-address"});
    if (!daemon.waitForReadyRead(5000)) GTEST_SKIP() << "no dbus-daemon";
    const QByteArray address = daemon.readLine().trimmed();
    qputenv("DBUS_SESSION_BUS_ADDRESS", address);
    QDBusConnection bus = QDBusConnection::connectToBus(QString(address), "service");
    Service service;
    ASSERT_TRUE(bus.registerVirtualObject("/org/freedesktop/Notifications", &service) &&
                bus.registerService("org.freedesktop.Notifications"));
    // 'A' a notice, '.' the service answers, 'W' a withdrawal; the notices it is asked to close.
    const std::pair<const char*, std::vector<uint>> kCases[] = {
        {"AW", {1}}, {"AAW", {2, 3}}, {"A.AA.W", {4}}, {"A.W", {5}}};
    NOTIFYICONDATAA notice{0, nullptr, 0, NIF_INFO, 0, nullptr, "", 0, 0, "box 2", 0, "", 0};
    for (const auto& [steps, closed] : kCases) {
        SCOPED_TRACE(steps);
        service.closed.clear();
        for (const char* step = steps; *step != '\0'; ++step) {
            if (*step != '.') Shell_NotifyIconA(*step == 'A' ? NIM_ADD : NIM_DELETE, &notice);
            if (*step == '.') QTest::qWait(500);  // answered, and the answer taken in
        }
        EXPECT_FALSE(QTest::qWaitFor([&] { return service.closed.size() > closed.size(); }, 1000));
        EXPECT_EQ(service.closed, closed);
    }
}

}  // namespace
