#include "window/SaveFolder.h"

#include <QDir>
#include <QFile>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

using namespace goalvanta;

namespace {

QByteArray SaveHeader() {
    QByteArray header(126, '\0');
    header.replace(0, 6, "Tovrin");
    header.replace(20, 9, "Goalvanta");
    header.replace(120, 4, "1.00");
    return header;
}

void Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class TPackagingTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir FData;  // a shared-mime-info tree with only the game's type added
    QTemporaryDir FFiles; // the files to recognise

private slots:
    void initTestCase() {
        // The desktop finds types under $XDG_DATA_DIRS/mime; build one from the type
        // the package installs, before anything in this process reads the database.
        const QString mime = FData.filePath("mime");
        QVERIFY(QDir().mkpath(mime + "/packages"));
        QVERIFY(QFile::copy(QStringLiteral(GOALVANTA_MIME_XML),
                            mime + "/packages/example.goalvanta.Goalvanta.xml"));
        QCOMPARE(QProcess::execute("update-mime-database", {mime}), 0);
        qputenv("XDG_DATA_DIRS", (FData.path() + ":/usr/share").toLocal8Bit());
        qputenv("XDG_DATA_HOME", FData.filePath("nothing").toLocal8Bit());
    }

    void recognisesSavesByTheirHeaderOrSlotName_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("isSave");
        const QByteArray save = SaveHeader() + QByteArray(60153 - 126, '\0');
        QTest::newRow("save without extension") << "mygame" << save << true;
        QTest::newRow("slot file") << "03savedata.sav" << save << true;
        QTest::newRow("text file") << "notes.txt" << QByteArray("Tovrin wrote this\n") << false;
        QByteArray otherVersion = save;
        otherVersion.replace(120, 4, "2.00");
        QTest::newRow("other version") << "other" << otherVersion << false;
    }
    void recognisesSavesByTheirHeaderOrSlotName() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, isSave);
        const QString path = FFiles.filePath(name);
        Write(path, bytes);
        const QString type = QMimeDatabase().mimeTypeForFile(path).name();
        QCOMPARE(type == "application/x-goalvanta-save", isSave);
    }

    void slotsStayBesideAWritableProgram() {
        QTemporaryDir program, user;
        const std::string programPath = QFile::encodeName(program.path()).toStdString();
        const std::string beside = programPath + "/savedata/";
        QCOMPARE(ChooseSaveFolder(programPath, Path(user)), beside);
        QVERIFY(QDir().mkpath(program.filePath("savedata")));
        QCOMPARE(ChooseSaveFolder(programPath, Path(user)), beside);
    }

    void slotsMoveToTheUserWhenTheProgramFolderIsReadOnly() {
        // /proc cannot take a new file, not even from the superuser.
        QTemporaryDir user;
        QVERIFY(!IsWritableFolder("/proc"));
        QCOMPARE(ChooseSaveFolder("/proc", Path(user)), Path(user) + "/savedata/");
        QVERIFY(!IsWritableFolder(Path(user) + "/missing"));
    }

    // An installed copy never writes into its own folder, even run by the superuser
    // who could: purging the package would leave the player's saves behind.
    void installedCopiesKeepSlotsWithTheUser() {
        QTemporaryDir user;
        for (const char* folder : {"/usr/lib/goalvanta", "/usr/games", "/usr/local/games"})
            QCOMPARE(ChooseSaveFolder(folder, Path(user)), Path(user) + "/savedata/");
        QVERIFY(IsInstalledProgramFolder("/usr/lib/goalvanta"));
        QVERIFY(!IsInstalledProgramFolder("/home/player/goalvanta"));
        QVERIFY(!IsInstalledProgramFolder("/usrlocal"));
    }

    // A program folder whose name is not valid UTF-8 is used as it is.
    void programFolderIsTheFileSystemsBytes() {
        QTemporaryDir root, user;
        const std::string program = Path(root) + "/\xe9t\xe9";
        QVERIFY(::mkdir(program.c_str(), 0700) == 0);
        QCOMPARE(ChooseSaveFolder(program, Path(user)), program + "/savedata/");
    }

private:
    static std::string Path(const QTemporaryDir& dir) {
        return QFile::encodeName(dir.path()).toStdString();
    }
};

QTEST_GUILESS_MAIN(TPackagingTest)
#include "PackagingTest.moc"
