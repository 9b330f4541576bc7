#include "platform/Messages.h"
#include "tests/support/TestSession.h"

#include <QApplication>
#include <gtest/gtest.h>

namespace {

// The PostgreSQL run of a test program without a server skips every test, saying why.
class ServerEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        const QString reason = TestDatabase::serverUnavailable();
        if (!reason.isEmpty())
            GTEST_SKIP() << reason.toStdString();
    }
};

} // namespace

int main(int argc, char **argv)
{
    Q_INIT_RESOURCE(db);
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen")
                                                                     : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new ServerEnvironment);
    // No test may ever block on a real message box: a recorder is always installed.
    MessageRecorder recorder;
    return RUN_ALL_TESTS();
}
