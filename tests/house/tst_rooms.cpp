// The folders of the program are rooms stacked in one order: a room may use
// the rooms below it and never one above, so the core builds without the
// windows and a window never reaches into the program that assembles it.
// This reads every source file's includes and names each one that climbs.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QtTest>

namespace {

// Lowest first, from the root CMakeLists.txt: "toolbar+dialogs" share a
// level, so neither may include the other. app puts the program together and
// may include them all.
QList<QStringList> RoomLevels()
{
    QList<QStringList> levels;
    for (const QString &level : QStringLiteral(JBX_ROOM_LEVELS).split(' '))
        levels << level.split('+');
    return levels;
}
const QList<QStringList> KRoomLevels = RoomLevels();

int LevelOf(const QString &room)
{
    for (int i = 0; i < KRoomLevels.size(); ++i)
        if (KRoomLevels[i].contains(room))
            return i;
    return -1;
}

QString SourceDir() { return QStringLiteral(JBX_SOURCE_DIR); }

} // namespace

class TstRooms : public QObject {
    Q_OBJECT

private slots:
    // Every include of a room's header from a room's source is to the same
    // room or one below it.
    void noRoomIncludesOneAboveIt()
    {
        static const QRegularExpression include(QStringLiteral("^\\s*#\\s*include\\s+\"([a-z]+)/"));
        QStringList climbs;
        int checked = 0;
        for (const QStringList &level : KRoomLevels) {
            for (const QString &room : level) {
                const int from = LevelOf(room);
                QDirIterator it(SourceDir() + '/' + room, {"*.h", "*.cpp"}, QDir::Files,
                                QDirIterator::Subdirectories);
                while (it.hasNext()) {
                    const QString path = it.next();
                    QFile file(path);
                    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path));
                    int line = 0;
                    while (!file.atEnd()) {
                        ++line;
                        const auto match = include.match(QString::fromUtf8(file.readLine()));
                        if (!match.hasMatch())
                            continue;
                        ++checked;
                        const QString to = match.captured(1);
                        const int level = LevelOf(to);
                        if (level < 0 || to == room)
                            continue;
                        if (level >= from)
                            climbs << QStringLiteral("%1:%2 includes %3/")
                                          .arg(QDir(SourceDir()).relativeFilePath(path))
                                          .arg(line)
                                          .arg(to);
                    }
                }
            }
        }
        QVERIFY2(checked > 100, "the rooms were not found");
        QVERIFY2(climbs.isEmpty(), qPrintable(climbs.join('\n')));
    }

    // A folder of sources missing from the root CMakeLists.txt's lists would
    // escape the include check, the format check and the translations.
    void everyFolderWithSourcesIsListed()
    {
        QStringList listed = QStringLiteral(JBX_OTHER_SOURCE_FOLDERS).split(' ');
        for (const QStringList &level : KRoomLevels)
            listed << level;
        QStringList unlisted;
        const QDir root(SourceDir());
        for (const QString &folder : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            if (folder.startsWith(QLatin1String("build")) || folder == QLatin1String("dist") ||
                listed.contains(folder))
                continue;
            QDirIterator it(root.filePath(folder), {"*.h", "*.cpp"}, QDir::Files,
                            QDirIterator::Subdirectories);
            if (it.hasNext())
                unlisted << folder;
        }
        QVERIFY2(unlisted.isEmpty(), qPrintable(unlisted.join(' ')));
    }

    // The README's table of folders lists the rooms in the same order, so
    // the rule a newcomer reads is the rule this test enforces.
    void theReadmeListsTheRoomsInThisOrder()
    {
        QFile readme(SourceDir() + "/README.md");
        QVERIFY(readme.open(QIODevice::ReadOnly));
        static const QRegularExpression row(QStringLiteral("^\\| `([a-z]+)/` \\|"));
        QStringList listed;
        while (!readme.atEnd()) {
            const auto match = row.match(QString::fromUtf8(readme.readLine()));
            if (match.hasMatch() && LevelOf(match.captured(1)) >= 0)
                listed << match.captured(1);
        }
        QStringList expected;
        for (const QStringList &level : KRoomLevels)
            expected << level;
        QCOMPARE(listed, expected);
    }
};

QTEST_GUILESS_MAIN(TstRooms)
#include "tst_rooms.moc"
