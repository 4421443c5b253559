#include "window/SaveFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

using namespace goalvanta;

class TPackagingTest : public QObject {
    Q_OBJECT

private slots:
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
