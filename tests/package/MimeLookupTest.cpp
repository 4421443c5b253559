// How a desktop types the game's files once the package's type is installed: the
// type file goes into a private XDG_DATA_HOME, beside a copy of every other type
// this machine knows, and both readers a desktop uses are asked, GIO (GNOME Files)
// and QMimeDatabase (Dolphin and every Qt program).

#include <QDir>
#include <QFile>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString SaveType = QStringLiteral("application/x-goalvanta-save");
const QString PackageTypeFile = QStringLiteral("example.goalvanta.Goalvanta.xml");

QByteArray Save() {
    QByteArray bytes(60153, '\0');
    bytes.replace(0, 6, "Tovrin");
    bytes.replace(20, 9, "Goalvanta");
    bytes.replace(120, 4, "1.00");
    return bytes;
}

bool Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

bool BuildDatabase(const QString& mimeFolder) {
    QProcess update; // quiet: it warns that the folder is not on the search path yet
    update.setStandardOutputFile(QProcess::nullDevice());
    update.setStandardErrorFile(QProcess::nullDevice());
    update.start("update-mime-database", {mimeFolder});
    return update.waitForFinished(60000) && update.exitStatus() == QProcess::NormalExit &&
           update.exitCode() == 0;
}

// GIO's answer for `path`, by name and content as a file manager asks.
QString GioType(const QString& path) {
    QProcess gio;
    gio.start("gio", {"info", "--attributes=standard::content-type", path});
    if (!gio.waitForFinished(10000) || gio.exitCode() != 0)
        return "gio failed: " + QString::fromLocal8Bit(gio.readAllStandardError());
    const QByteArray key = "standard::content-type: ";
    for (const QByteArray& line : gio.readAllStandardOutput().split('\n')) {
        const qsizetype at = line.indexOf(key);
        if (at >= 0)
            return QString::fromUtf8(line.mid(at + key.size()).trimmed());
    }
    return "no content type";
}

} // namespace

class TMimeLookupTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir FRoot;

    QString Path(const QString& name) const { return FRoot.filePath(name); }

private slots:
    void initTestCase() {
        QVERIFY2(!QStandardPaths::findExecutable("gio").isEmpty(),
                 "gio is missing (package libglib2.0-bin)");
        QVERIFY2(!QStandardPaths::findExecutable("update-mime-database").isEmpty(),
                 "update-mime-database is missing (package shared-mime-info)");
        // The system's types, without the game's own should the package be installed
        // on this machine: the test must see the type file of this tree.
        const QString system = Path("system/mime");
        QVERIFY(QDir().mkpath(system + "/packages"));
        const QDir installed("/usr/share/mime/packages");
        const QStringList types = installed.entryList({"*.xml"}, QDir::Files);
        QVERIFY2(types.contains("freedesktop.org.xml"), "shared-mime-info is not installed");
        for (const QString& name : types)
            if (name != PackageTypeFile)
                QVERIFY(QFile::copy(installed.filePath(name), system + "/packages/" + name));
        QVERIFY(BuildDatabase(system));

        const QString home = Path("home/mime");
        QVERIFY(QDir().mkpath(home + "/packages"));
        QVERIFY(
            QFile::copy(QStringLiteral(GOALVANTA_MIME_XML), home + "/packages/" + PackageTypeFile));
        QVERIFY(BuildDatabase(home));

        // Read by GIO in each child and by QMimeDatabase at its first use, below.
        qputenv("XDG_DATA_HOME", Path("home").toLocal8Bit());
        qputenv("XDG_DATA_DIRS", Path("system").toLocal8Bit());
        QVERIFY(QDir().mkpath(Path("files")));
    }

    void typesTheGamesFilesAsSaves_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("isSave");
        const QByteArray save = Save();
        // "*.sav" belongs to SPSS data files; the slots must still be the game's.
        QTest::newRow("first slot") << "00savedata.sav" << save << true;
        QTest::newRow("a middle slot") << "03savedata.sav" << save << true;
        QTest::newRow("last slot") << "09savedata.sav" << save << true;
        QTest::newRow("save under the game's extension") << "game.gvs" << save << true;
        QTest::newRow("save without extension") << "mygame" << save << true;
        QTest::newRow("save under another name") << "backup.dat" << save << true;
        // Near misses stay what they are.
        QTest::newRow("another program's .sav") << "survey.sav" << QByteArray(300, 'x') << false;
        QTest::newRow("a tenth slot digit") << "10savedata.sav" << QByteArray(300, 'x') << false;
        QTest::newRow("text") << "notes.txt" << QByteArray("Tovrin wrote this\n") << false;
        QByteArray otherVersion = save;
        otherVersion.replace(120, 4, "2.00");
        QTest::newRow("another version's header") << "other" << otherVersion << false;
    }
    void typesTheGamesFilesAsSaves() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, isSave);
        const QString path = Path("files/" + name);
        QVERIFY(Write(path, bytes));

        const QString qt = QMimeDatabase().mimeTypeForFile(path).name();
        const QString gio = GioType(path);
        qInfo().noquote() << name << "| QMimeDatabase:" << qt << "| gio:" << gio;
        QCOMPARE(qt == SaveType, isSave);
        QCOMPARE(gio == SaveType, isSave);
    }

    void theTypeHasItsOwnIcon() {
        const QMimeType type = QMimeDatabase().mimeTypeForName(SaveType);
        QVERIFY(type.isValid());
        QCOMPARE(type.iconName(), QStringLiteral("application-x-goalvanta-save"));
        QCOMPARE(type.comment(), QStringLiteral("Goalvanta saved game"));
    }
};

QTEST_GUILESS_MAIN(TMimeLookupTest)
#include "MimeLookupTest.moc"
