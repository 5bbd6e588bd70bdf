// The notification balloon against a notification service on a private session bus, which
// answers only while the test lets events run.
#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QProcess>
#include <QTest>
#include <string_view>
#include <vector>

#include "toolkit/win_api.h"

namespace {

// Numbers each new notification from 1, keeps a replaced one's number, records every close.
struct Service : QDBusVirtualObject {
    uint last = 0, notified = 0;
    std::vector<uint> closed;
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& call, const QDBusConnection& bus) override {
        QVariantList answer;
        if (call.member() == "Notify") {
            const uint replaces = call.arguments().value(1).toUInt();
            answer = {replaces != 0 ? replaces : ++last};
            ++notified;
        } else {
            closed.push_back(call.arguments().value(0).toUInt());
        }
        return bus.send(call.createReply(answer));
    }
};

TEST(DesktopNotices, EveryNoticeShownGoesWithTheWithdrawalAlsoBeforeTheServiceAnswered) {
    QProcess daemon;
    daemon.start("dbus-daemon", {"--session", "--nofork", "--print-address"});
    if (!daemon.waitForReadyRead(5000)) GTEST_SKIP() << "no dbus-daemon";
    const QByteArray address = daemon.readLine().trimmed();
    qputenv("DBUS_SESSION_BUS_ADDRESS", address);
    QDBusConnection bus = QDBusConnection::connectToBus(address, "service");
    Service service;
    ASSERT_TRUE(bus.registerVirtualObject("/org/freedesktop/Notifications", &service));
    ASSERT_TRUE(bus.registerService("org.freedesktop.Notifications"));
    // 'A' a notice, '.' the service answers, 'W' its withdrawal; what the service was asked to
    // close.
    const std::pair<const char*, std::vector<uint>> kCases[] = {
        {"AW", {1}}, {"AAW", {2, 3}}, {"A.AA.W", {4}}, {"A.W", {5}}};
    NOTIFYICONDATAA notice{};
    notice.uFlags = NIF_INFO;
    notice.szInfo[0] = 'x';
    uint sent = 0;
    for (const auto& [steps, closed] : kCases) {
        SCOPED_TRACE(steps);
        service.closed.clear();
        for (const char step : std::string_view(steps)) {
            if (step == '.') {
                EXPECT_TRUE(QTest::qWaitFor([&] { return service.notified == sent; }));
                QTest::qWait(200);
            } else {
                sent += step == 'A';
                Shell_NotifyIconA(step == 'A' ? NIM_ADD : NIM_DELETE, &notice);
            }
        }
        EXPECT_TRUE(QTest::qWaitFor([&] { return service.closed.size() >= closed.size(); }));
        QTest::qWait(200);
        EXPECT_EQ(service.closed, closed);
    }
    daemon.kill();
    daemon.waitForFinished();
}

}  // namespace
