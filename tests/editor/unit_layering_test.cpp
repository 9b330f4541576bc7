// The units of the request window call down and report up: each may include only the units below
// it, so no unit reaches the window or a unit beside it, and the calls form no circle.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>

#include <functional>

namespace {

// Every unit of editor/ but the window, with the units it may call. A new unit is placed here.
const QMap<QString, QStringList> kBelow = {
    {QStringLiteral("Notice"), {}},
    {QStringLiteral("EntryNumbers"), {}},
    {QStringLiteral("RequestLookups"), {}},
    {QStringLiteral("StoredRequest"), {}},
    {QStringLiteral("GridExport"), {}},
    {QStringLiteral("frmKitEntry"), {}},
    {QStringLiteral("ItemFacts"), {}},
    {QStringLiteral("DetailGrid"), {QStringLiteral("EntryNumbers"), QStringLiteral("ItemFacts")}},
    {QStringLiteral("KitExpansion"), {QStringLiteral("DetailGrid"), QStringLiteral("frmKitEntry")}},
    {QStringLiteral("ProposedLines"), {QStringLiteral("DetailGrid")}},
    {QStringLiteral("LineEntry"),
     {QStringLiteral("EntryNumbers"), QStringLiteral("Notice"), QStringLiteral("ItemFacts"),
      QStringLiteral("KitExpansion")}},
    {QStringLiteral("RequestList"),
     {QStringLiteral("Notice"), QStringLiteral("DetailGrid"), QStringLiteral("StoredRequest"),
      QStringLiteral("RequestLookups")}},
    {QStringLiteral("RequestSaving"),
     {QStringLiteral("Notice"), QStringLiteral("StoredRequest"), QStringLiteral("RequestLookups")}},
    {QStringLiteral("RestockSuggestion"), {QStringLiteral("ProposedLines")}},
    {QStringLiteral("RequestCopy"), {QStringLiteral("ProposedLines"), QStringLiteral("RequestLookups")}},
};
const QString kWindow = QStringLiteral("frmMain");

QString editorFolder()
{
    return QStringLiteral(IR_SOURCE_DIR "/editor");
}

QStringList includedUnits(const QString &path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    static const QRegularExpression include(QStringLiteral(R"(^\s*#\s*include\s+"editor/(\w+)\.h")"),
                                            QRegularExpression::MultilineOption);
    QStringList units;
    for (auto match = include.globalMatch(QString::fromUtf8(file.readAll())); match.hasNext();)
        units << match.next().captured(1);
    return units;
}

TEST(EditorLayering, UnitsIncludeOnlyTheUnitsBelowThem)
{
    const QFileInfoList files =
        QDir(editorFolder()).entryInfoList({QStringLiteral("*.h"), QStringLiteral("*.cpp")}, QDir::Files);
    ASSERT_FALSE(files.isEmpty());
    for (const QFileInfo &file : files) {
        const QString unit = file.completeBaseName();
        if (unit == kWindow)
            continue;
        ASSERT_TRUE(kBelow.contains(unit))
            << "editor/" << file.fileName().toStdString() << " belongs to no unit of the layering table";
        for (const QString &included : includedUnits(file.filePath()))
            EXPECT_TRUE(included == unit || kBelow.value(unit).contains(included))
                << "editor/" << file.fileName().toStdString() << " includes editor/" << included.toStdString()
                << ".h, which is not below it";
    }
}

TEST(EditorLayering, TheAllowedCallsFormNoCircle)
{
    QSet<QString> done;
    QStringList path;
    std::function<void(const QString &)> visit = [&](const QString &unit) {
        if (path.contains(unit)) {
            ADD_FAILURE()
                << "circle: "
                << QString(path.join(QStringLiteral(" -> ")) + QStringLiteral(" -> ") + unit).toStdString();
            return;
        }
        if (done.contains(unit))
            return;
        path << unit;
        for (const QString &below : kBelow.value(unit)) {
            EXPECT_TRUE(kBelow.contains(below)) << below.toStdString() << " is not in the table";
            visit(below);
        }
        path.removeLast();
        done << unit;
    };
    for (auto unit = kBelow.keyBegin(); unit != kBelow.keyEnd(); ++unit)
        visit(*unit);
}

} // namespace
