#include "tests/resilience/ResilienceSupport.h"

#include <QSet>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// Several workstations started at once on a fresh data folder: one of them builds the demo
// databases, the others wait for it and use them; no one's first request is lost to a second
// build replacing the files.
TEST(FirstStart, ProgramsStartingAtOnceOnAnEmptyFolderBuildItOnce)
{
    SKIP_ON_SERVER();
    constexpr int kPrograms = 4;
    for (int round = 0; round < 3; ++round) {
        QTemporaryDir dir;
        const QString folder = QDir(dir.path()).filePath(QStringLiteral("data"));
        QList<QProcess *> programs;
        for (int i = 0; i < kPrograms; ++i) {
            auto *process = new QProcess;
            startClient(*process, {QStringLiteral("start"), folder});
            programs << process;
        }
        QStringList saved;
        for (QProcess *process : std::as_const(programs)) {
            ASSERT_TRUE(process->waitForFinished(60000));
            const QString output = QString::fromUtf8(process->readAllStandardOutput());
            EXPECT_EQ(process->exitCode(), 0) << output.toStdString() << process->readAllStandardError().toStdString();
            const QStringList fields = output.trimmed().split(QLatin1Char('\t'));
            if (fields.first() == QLatin1String("saved"))
                saved << fields.value(1);
        }
        qDeleteAll(programs);
        ASSERT_EQ(saved.size(), kPrograms) << "round " << round;
        EXPECT_EQ(QSet<QString>(saved.cbegin(), saved.cend()).size(), kPrograms) << "a number was given twice";

        auto connection = Connection::open(folder);
        QSqlQuery query(connection->database());
        ASSERT_TRUE(query.exec(QStringLiteral("Select DocumentNumber From tbInvWithdrawRequest Where Remarks Like "
                                              "'FIRST START %' Group By DocumentNumber")));
        QStringList stored;
        while (query.next())
            stored << query.value(0).toString();
        stored.sort();
        saved.sort();
        EXPECT_EQ(stored, saved) << "round " << round << ": a request was lost to a second build";
        query.finish();
        connection.reset();
        EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name),
                  (QStringList{QStringLiteral("INVENTORY.sqlite"), QStringLiteral("Password.sqlite")}));
    }
}
