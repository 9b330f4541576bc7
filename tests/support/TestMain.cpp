#include "platform/Messages.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    Q_INIT_RESOURCE(db);
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen")
                                                                     : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    // No test may ever block on a real message box: a recorder is always installed.
    MessageRecorder recorder;
    return RUN_ALL_TESTS();
}
