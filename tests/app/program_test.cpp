// The real program, started as a person starts it (on the offscreen platform), ends when its
// panel is closed. A small plugin loaded into it does the clicking.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>

namespace {

class Program : public ::testing::TestWithParam<const char*> {};

TEST_P(Program, EndsWhenThePanelIsClosed) {
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("QT_PLUGIN_PATH", PRESS_PLUGIN_PATH);
    environment.insert("QT_QPA_GENERIC_PLUGINS", QString("mirelkopress:") + GetParam());
    environment.insert("MIRELKO_PROFILE_DIR", QString(PRESS_PLUGIN_PATH) + "/profiles");
    program.setProcessEnvironment(environment);
    program.start(MIRELKO_PROGRAM, {});
    ASSERT_TRUE(program.waitForStarted());
    // Well below the poll thread's 30-second sleep: closing never waits for the thread.
    const bool ended = program.waitForFinished(20000);
    if (!ended) program.kill();
    ASSERT_TRUE(ended) << "the program did not end";
    const QString output = QString::fromLocal8Bit(program.readAllStandardOutput());
    EXPECT_TRUE(output.contains("panel \"Mirelko\" is up")) << output.toStdString();
    EXPECT_TRUE(output.contains(QString("pressed ") + GetParam())) << output.toStdString();
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
}

INSTANTIATE_TEST_SUITE_P(EveryWay, Program, ::testing::Values("OK", "Abbrechen", "Escape", "Close"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param);
                         });

}  // namespace
