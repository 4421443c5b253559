#include "FakePrompts.h"
#include "components/TvListView.h"
#include "instance/SingleInstance.h"
#include "window/FrmGoalvanta.h"

#include <QFile>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <memory>
#include <stdexcept>

using namespace goalvanta;
using goalvanta::test::FileBytes;
using goalvanta::test::TFakePrompts;

namespace {

std::string Native(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

} // namespace

// Nothing replaces the game while a command, or one of its message boxes, is still
// working on it: a path that arrives then is answered at once and opened after the
// command. And an error that escapes a command ends only the command.
class TCommandGuardTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> FFolder;
    std::unique_ptr<TFakePrompts> FPrompts;
    std::unique_ptr<TFormGoalvanta> FWindow;
    std::unique_ptr<THandOverServer> FServer;

    TFormGoalvanta& W() { return *FWindow; }
    TMainPlayer& Me() { return *W().Game().MainPlayer(); }
    TPlayerList& Roster() { return *W().Game().Roster(); }
    QString File(const char* name) const { return FFolder->filePath(name); }

    std::int32_t RowOf(std::int32_t points) {
        for (std::int32_t i = 0; i < Roster().Count(); ++i)
            if (Roster().Items(i).FSoccerPoint == points)
                return i;
        return -1;
    }
    void SelectRow(std::int32_t row) {
        auto* selection = W().BLVPlayers()->selectionModel();
        selection->clearSelection();
        selection->setCurrentIndex(W().BLVPlayers()->model()->index(row, 0),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    // A game worth keeping: 123,456 $ and 77 wins, saved as the window would save it.
    QByteArray WritePrecious() {
        Me().FMoney = 123456;
        Me().FWins = 77;
        Me().FMaxWins = 77;
        W().Run(TCommand::MainPlayerStateView); // the sponsor its wins earn
        if (!W().Game().SaveGameFile(Native(File("precious.sav"))))
            return {};
        W().Game().NewGame();
        return FileBytes(File("precious.sav"));
    }
    // A second start's hand-over of `path`, made while the caller is inside a
    // message box: the sender runs in a thread, this event loop serves it.
    std::optional<bool> SecondStart(const QString& path) {
        std::optional<bool> answer;
        std::unique_ptr<QThread> sender(QThread::create([&] {
            answer = SendHandOver(FServer->ServerPath(), {1, Native(path)});
        }));
        sender->start();
        QDeadlineTimer deadline(5000);
        while (!sender->isFinished() && !deadline.hasExpired())
            QTest::qWait(5);
        sender->wait();
        return answer;
    }

private slots:
    void init() {
        FFolder = std::make_unique<QTemporaryDir>();
        FPrompts = std::make_unique<TFakePrompts>();
        FWindow = std::make_unique<TFormGoalvanta>(File("savedata"), FPrompts.get());
        FServer = std::make_unique<THandOverServer>(
            [this](const THandOverRecord& record) { return W().AcceptHandOver(record); });
        QVERIFY(FServer->Listen(File("handover")));
        W().show();
        QTRY_VERIFY(W().Game().Flags().Activated);
    }
    void cleanup() {
        FServer.reset();
        FWindow.reset();
        FPrompts.reset();
        FFolder.reset();
    }

    // The lost-game row: the loaded game must not be the one the game over resets.
    void handOverDuringAMatchMessageWaitsForTheCommand_data() {
        QTest::addColumn<bool>("won");
        QTest::newRow("during \"Too bad!! Game over!!\"") << false;
        QTest::newRow("during \"Congratulations!!\"") << true;
    }
    void handOverDuringAMatchMessageWaitsForTheCommand() {
        QFETCH(bool, won);
        const QByteArray precious = WritePrecious();
        QVERIFY(!precious.isEmpty());

        const std::int32_t row = RowOf(1);
        if (won) {
            // One opponent left to beat.
            for (std::int32_t i = 0; i < Roster().Count(); ++i)
                Roster().Items(i).FResult = i == row ? ResultNone : ResultWon;
            Me().FWins = Roster().Count() - 1;
        } else {
            Me().FMaxPoint = 1; // a draw against the 1-point opponent ends the run
            Me().FPoint = 1;
        }
        SelectRow(row);
        std::optional<bool> answer;
        bool pendingWhileOpen = false;
        FPrompts->WhileAsking = [&] {
            if (answer)
                return;
            answer = SecondStart(File("precious.sav"));
            pendingWhileOpen = W().PendingHandOvers() == 1 && W().CommandRunning();
        };
        W().Run(TCommand::Game);
        FPrompts->WhileAsking = nullptr;

        QCOMPARE(FPrompts->Asked.size(), std::size_t{1});
        QVERIFY(FPrompts->Asked[0].Text.startsWith(won ? "Congratulations!!" : "Too bad!!"));
        QCOMPARE(answer, std::optional<bool>(true)); // answered with the box still open
        QVERIFY(pendingWhileOpen);
        // The command finished on the game it started with, then the path was opened.
        QTRY_COMPARE(W().PendingHandOvers(), std::size_t{0});
        QTRY_VERIFY(!W().CommandRunning());
        QCOMPARE(Me().FMoney, 123456);
        QCOMPARE(Me().FWins, 77);
        QVERIFY(!W().Game().Flags().GameOver);
        QVERIFY(W().ActGame()->isEnabled());
        W().FileSaveActExecute();
        QCOMPARE(FileBytes(File("precious.sav")), precious);
    }

    // Handed-over files that cannot be opened are refused one box at a time, in the
    // order they came, and the channel stays open meanwhile.
    void badFileBoxesNeverStack() {
        QStringList bad;
        for (int i = 0; i < 9; ++i) {
            bad << File(qPrintable(QString("bad%1.sav").arg(i)));
            QFile file(bad.back());
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("not a saved game");
        }
        int open = 0, deepest = 0;
        FPrompts->WhileAsking = [&] {
            deepest = std::max(deepest, ++open);
            QTest::qWait(20); // the event loop runs inside a box
            --open;
        };
        for (const QString& path : bad)
            QCOMPARE(SecondStart(path), std::optional<bool>(true));
        QTRY_COMPARE(FPrompts->Asked.size(), std::size_t{9});
        FPrompts->WhileAsking = nullptr;
        QCOMPARE(deepest, 1);
        for (int i = 0; i < 9; ++i)
            QCOMPARE(FPrompts->Asked[static_cast<std::size_t>(i)].Text,
                     "Can not open file.\n" + bad[i]);
    }

    // From the first moment: a path handed over while the first activation's own
    // file is being refused opens once that box is closed.
    void handOverDuringTheFirstStartsOwnBox() {
        const QByteArray precious = WritePrecious();
        QFile bad(File("bad.sav"));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("no");
        bad.close();
        FServer.reset();
        FWindow.reset();
        FPrompts->Asked.clear();
        FWindow = std::make_unique<TFormGoalvanta>(File("savedata"), FPrompts.get());
        W().SetCommandLinePath(Native(File("bad.sav")));
        FServer = std::make_unique<THandOverServer>(
            [this](const THandOverRecord& record) { return W().AcceptHandOver(record); });
        QVERIFY(FServer->Listen(File("handover")));
        std::optional<bool> answer;
        FPrompts->WhileAsking = [&] {
            if (!answer)
                answer = SecondStart(File("precious.sav"));
        };
        W().show();
        QTRY_VERIFY(W().Game().Flags().Activated);
        QTRY_COMPARE(W().PendingHandOvers(), std::size_t{0});
        QTRY_VERIFY(!W().CommandRunning());
        QCOMPARE(W().CurrentFileName(), File("precious.sav"));
        QCOMPARE(answer, std::optional<bool>(true));
        QCOMPARE(FPrompts->Asked.size(), std::size_t{1});
        QCOMPARE(FPrompts->Asked[0].Text, "Can not open file.\n" + File("bad.sav"));
        QCOMPARE(Me().FMoney, 123456);
    }

    // An error escaping a command goes to the generic error box; the game and its
    // unsaved state stay, and the user can go on and save.
    void anErrorEndsOnlyTheCommand() {
        Me().FMaxPoint = 1;
        Me().FPoint = 1;
        Me().FMoney = 999;
        SelectRow(RowOf(1));
        FPrompts->WhileAsking = [this] {
            if (FPrompts->Asked.size() == 1)
                throw std::runtime_error("the disk is on fire");
        };
        W().Run(TCommand::Game);
        FPrompts->WhileAsking = nullptr;
        QCOMPARE(FPrompts->Asked.size(), std::size_t{2});
        QCOMPARE(FPrompts->Asked[1].Text, QString("the disk is on fire"));
        QCOMPARE(FPrompts->Asked[1].Caption, QString("Goalvanta"));
        QCOMPARE(FPrompts->Asked[1].Icon, TMessageIcon::Error);
        // Everything the command had begun is ended.
        QVERIFY(!W().CommandRunning());
        QVERIFY(QGuiApplication::overrideCursor() == nullptr);
        QVERIFY(W().BLVPlayers()->viewport()->updatesEnabled());
        // The game is as the error left it, still unsaved, and it can be saved.
        // The restart stopped at its message: money not yet taken, the run not over.
        QCOMPARE(Me().FMoney, 999);
        QVERIFY(!W().Game().Flags().GameOver);
        QVERIFY(W().Game().Flags().FreshGame);
        FPrompts->Files.push_back(File("after-error.sav"));
        W().FileSaveAsActExecute();
        QCOMPARE(FileBytes(File("after-error.sav")).size(), 60153);
        QVERIFY(!W().Game().Flags().Modified);
        // And the next command runs as usual.
        W().Game().NewGame();
        QCOMPARE(Me().FMoney, 0);
    }
};

QTEST_MAIN(TCommandGuardTest)
#include "CommandGuardTest.moc"
