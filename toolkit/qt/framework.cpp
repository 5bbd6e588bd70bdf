#include <QApplication>

#include "toolkit/qt/window.h"
#include "toolkit/win_app.h"
#include "toolkit/window_system.h"

namespace toolkit {

int RunWindowingSystem(int argc, char** argv, int (*startUp)()) {
    int code = 0;
    {
        int arguments = argc;
        QApplication application(arguments, argv);
        // Dialogs end their own runs; closing the last one must not end anything else.
        application.setQuitOnLastWindowClosed(false);
        qt::MarkUiThread();
        code = startUp();
        // Threads such as a poller may still be sending: from here on they are answered 0, and
        // nothing they touch is destroyed while they run on through the process's exit.
        qt::StopCrossThreadSends();
    }
    return code;
}

}  // namespace toolkit

CWaitCursor::CWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }

CWaitCursor::~CWaitCursor() { QApplication::restoreOverrideCursor(); }
