#include "platform/Messages.h"
#include "widgets/Application.h"
#include "tests/desktop/Desktop.h"

#include <gtest/gtest.h>

#include <cstring>

// The desktop tests start their own X server and window manager; listing the tests needs neither.
int main(int argc, char **argv)
{
    Q_INIT_RESOURCE(db);
    bool listing = false;
    for (int i = 1; i < argc; ++i)
        listing = listing || std::strcmp(argv[i], "--gtest_list_tests") == 0;
    Desktop &desktop = Desktop::instance();
    if (!listing && desktop.start()) {
        qputenv("DISPLAY", desktop.display().toLatin1());
        qputenv("QT_QPA_PLATFORM", "xcb");
    } else {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    qunsetenv("WAYLAND_DISPLAY");
    int result = 0;
    {
        Application app(argc, argv); // the program's own application object, as the windows meet it
        ::testing::InitGoogleTest(&argc, argv);
        MessageRecorder recorder; // tests that show real message boxes install their own sink
        result = RUN_ALL_TESTS();
    }
    desktop.stop();
    return result;
}
