#include "FakePrompts.h"
#include "components/TvListView.h"
#include "game/GameTables.h"
#include "savedata/SaveGameData.h"
#include "window/FrmGoalvanta.h"
#include "window/GameModels.h"

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QStatusTipEvent>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <deque>
#include <functional>
#include <memory>

using namespace goalvanta;
using goalvanta::test::FileBytes;
using goalvanta::test::TFakePrompts;

class TMainWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> FFolder;
    TFakePrompts* FPrompts = nullptr;
    std::unique_ptr<TFakePrompts> FOwnedPrompts;
    std::unique_ptr<TFormGoalvanta> FWindow;

    TFormGoalvanta& W() { return *FWindow; }
    TMainPlayer& Me() { return *W().Game().MainPlayer(); }
    TPlayerList& Roster() { return *W().Game().Roster(); }
    TTvListView& Players() { return *W().BLVPlayers(); }
    QString Header(TTvListView& view, int column) {
        return view.model()->headerData(column, Qt::Horizontal).toString();
    }
    QString Cell(TTvListView& view, int row, int column) {
        return view.model()->index(row, column).data().toString();
    }
    std::int32_t RowOf(std::int32_t points) {
        for (std::int32_t i = 0; i < Roster().Count(); ++i)
            if (Roster().Items(i).FSoccerPoint == points)
                return i;
        return -1;
    }
    void SelectRows(std::initializer_list<int> rows) {
        auto* selection = Players().selectionModel();
        selection->clearSelection();
        for (int row : rows)
            selection->setCurrentIndex(Players().model()->index(row, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    QPoint RowCentre(TTvListView& view, int row) {
        view.scrollTo(view.model()->index(row, 0));
        return view.visualRect(view.model()->index(row, 0)).center();
    }
    void ClickHeader(int section) {
        QHeaderView* header = Players().header();
        const QPoint at(header->sectionViewportPosition(section) + header->sectionSize(section) / 2,
                        header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    }
    QString StatusCounts() { return W().StatusPanel(0)->text(); }

private slots:
    void init() {
        FFolder = std::make_unique<QTemporaryDir>();
        FOwnedPrompts = std::make_unique<TFakePrompts>();
        FPrompts = FOwnedPrompts.get();
        FWindow = std::make_unique<TFormGoalvanta>(FFolder->filePath("savedata"), FPrompts);
        W().show();
        W().activateWindow();
        // The first activation starts the game, as it does for a user.
        QVERIFY(QTest::qWaitForWindowActive(&W()));
        QVERIFY(W().Game().Flags().Activated);
    }
    void cleanup() {
        FWindow.reset();
        FOwnedPrompts.reset();
        FFolder.reset();
    }

    void newGameState() {
        QCOMPARE(W().windowTitle(), QString("Goalvanta"));
        QCOMPARE(W().PageControl1()->currentIndex(), 0);
        QCOMPARE(Players().model()->rowCount(), 10000);
        QCOMPARE(Header(Players(), 0), QString("vs Result"));
        QCOMPARE(Header(Players(), 1), QString("▼Soccer Point"));
        QCOMPARE(Players().selectionModel()->currentIndex().row(), 499);
        QCOMPARE(Players().selectionModel()->selectedRows().size(), 1);
        QVERIFY(Players().selectionModel()->isRowSelected(499, {}));
        QCOMPARE(Cell(Players(), 0, 1), QString("998,001"));
        QCOMPARE(Cell(Players(), 499, 0), QString("None"));
        QCOMPARE(Cell(Players(), 500, 1), QString("unknown"));
        QVERIFY(Players().visualRect(Players().model()->index(499, 0)).isValid());

        const QStringList panel = {"100,000 / 100,000",        "0",   "0", "0 $",
                                   "Worst shoes (+1 Per Win)", "None"};
        for (int row = 0; row < 6; ++row)
            QCOMPARE(W().MainPlayerModel()->Value(row), panel[row]);
        QCOMPARE(W().ComboBoxWeight()->count(), 1);
        QCOMPARE(W().ComboBoxWeight()->currentText(), QString("None"));
        QVERIFY(!W().CheckBoxAutoRest()->isEnabled() && !W().CheckBoxAutoRest()->isChecked());
        QVERIFY(!W().CheckBoxSelfJudging()->isEnabled());
        QCOMPARE(StatusCounts(), QString("1 Players  (0 Unknowns )"));
        QCOMPARE(W().StatusPanel(1)->text(), QString("500 / 10,000"));
        QCOMPARE(W().StatusPanel(2)->text(), QString());
        QCOMPARE(W().Memo1()->toPlainText().split('\n').size(), 16);

        W().PageControl1()->setCurrentIndex(1); // the Shop tab fills the shop
        TTvListView& shop = *W().BLVShop();
        QCOMPARE(shop.model()->rowCount(), 5);
        QCOMPARE(Header(shop, 0), QString("Item"));
        QCOMPARE(Cell(shop, 2, 0), QString("Worse shoes (+5 Per Win)"));
        QCOMPARE(Cell(shop, 4, 1), QString("300,000 $"));

        // Activating again does not start another game.
        const TPlayer* first = &Roster().Items(0);
        QEvent activate(QEvent::WindowActivate);
        QCoreApplication::sendEvent(&W(), &activate);
        QCOMPARE(&Roster().Items(0), first);
        QCOMPARE(W().MainPlayerModel()->rowCount(), 6);
    }

    void rosterModelIsSound() {
        QAbstractItemModelTester tester(Players().model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        ClickHeader(0);
        W().Game().NewGame();
    }

    void headerClicksSortAndKeepTheFocusedOpponent() {
        const TPlayer* focused = &Roster().Items(499);
        SelectRows({10, 499}); // focus ends on 499
        ClickHeader(1);
        QCOMPARE(Header(Players(), 1), QString("▲Soccer Point"));
        QVERIFY(!Players().SortState().SortDown);
        QVERIFY(Roster().Items(0).FUnknown); // ascending: hidden opponents first
        const int row = Roster().IndexOf(focused);
        QCOMPARE(row, 9500);
        QCOMPARE(Players().selectionModel()->currentIndex().row(), row);
        QVERIFY(Players().selectionModel()->isRowSelected(row, {}));
        QVERIFY(Players().selectionModel()->isRowSelected(10, {})); // marks stay by row
        QCOMPARE(StatusCounts(), QString("3 Players  (2 Unknowns )"));
        QVERIFY(Players().viewport()->rect().contains(RowCentre(Players(), row)));

        ClickHeader(0);
        QCOMPARE(Header(Players(), 0), QString("▲vs Result"));
        QCOMPARE(Header(Players(), 1), QString("Soccer Point"));
        ClickHeader(0);
        QCOMPARE(Header(Players(), 0), QString("▼vs Result"));
    }

    void enterAndDoubleClickPlayTheSelection() {
        SelectRows({RowOf(9), RowOf(1)});
        Players().setFocus();
        QTest::keyClick(&Players(), Qt::Key_Return);
        QCOMPARE(Me().FWins, 2);
        QCOMPARE(Cell(Players(), RowOf(1), 0), QString("Won"));
        QCOMPARE(W().MainPlayerModel()->Value(0), QString("99,990 / 100,002"));
        QVERIFY(W().Game().Flags().Modified);

        SelectRows({RowOf(25)});
        QTest::mouseDClick(Players().viewport(), Qt::LeftButton, {},
                           RowCentre(Players(), RowOf(25)));
        QCOMPARE(Me().FWins, 3);

        QTest::keyClick(&Players(), Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(StatusCounts(), QString("10,000 Players  (9,500 Unknowns )"));
    }

    // The panel is drawn once per command, not after each of the 10000 rests; a
    // message that opens before the command ends still sees it up to date.
    void panelIsCurrentWhenTheNo1MessageOpens() {
        Me().FMaxPoint = Me().FPoint = TMainPlayer::MaxPointCap;
        Me().FMoney = 1000000000;
        Me().FOwnedSettings = Me().FActiveSettings = 1 << SettingAutoRest;
        W().Run(TCommand::MainPlayerStateView);
        QStringList shownWhileAsking;
        FPrompts->WhileAsking = [&] {
            for (int row = 0; row < 6; ++row)
                shownWhileAsking << W().MainPlayerModel()->Value(row);
        };
        QTest::keyClick(&Players(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(&Players(), Qt::Key_Return);
        QCOMPARE(FPrompts->Asked.size(), std::size_t{1});
        QCOMPARE(Me().FWins, 10000);
        QStringList shown;
        for (int row = 0; row < 6; ++row)
            shown << W().MainPlayerModel()->Value(row);
        QCOMPARE(shownWhileAsking, shown);
        QCOMPARE(shown[1], QString("10,000"));
        QCOMPARE(shown[5], QString("1st-rate Corp.(100,000 $ Per Win)"));
        // Redrawing the box writes its state back: AutoRest stays on.
        QVERIFY(W().CheckBoxAutoRest()->isChecked() && Me().IsSettingActive(SettingAutoRest));
    }

    // Type-ahead in the roster skips the rows when no cell of the column can start
    // with the text; what it finds must be what reading every row finds.
    void typeAheadFindsWhatReadingEveryRowFinds() {
        SelectRows({RowOf(9), RowOf(1)});
        W().Run(TCommand::Game); // two rows show "Won"
        QAbstractItemModel& rows = *Players().model();
        const QStringList texts = {" ",  "\b",  "n", "No", "w", "WON", "x",       "9",
                                   "99", "9,9", "-", ",",  "u", "UNK", "unknown", "unknowns"};
        for (int column : {0, 1}) {
            const QModelIndex start = rows.index(499, column);
            for (const QString& text : texts) {
                for (Qt::MatchFlags flags : {Qt::MatchStartsWith | Qt::MatchWrap,
                                             Qt::MatchStartsWith | Qt::MatchCaseSensitive}) {
                    const QModelIndexList found =
                        rows.match(start, Qt::DisplayRole, text, 1, flags);
                    const QModelIndexList everyRow =
                        rows.QAbstractItemModel::match(start, Qt::DisplayRole, text, 1, flags);
                    QVERIFY2(found == everyRow,
                             qPrintable(QString("column %1, text '%2'").arg(column).arg(text)));
                }
            }
        }
        // Space rests and finds nothing to jump to.
        Players().setCurrentIndex(rows.index(499, 1));
        QTest::keyClick(&Players(), Qt::Key_Space);
        QCOMPARE(Players().currentIndex().row(), 499);
    }

    void restKeys_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("rests");
        QTest::newRow("Space") << int(Qt::Key_Space) << int(Qt::NoModifier) << true;
        QTest::newRow("Backspace") << int(Qt::Key_Backspace) << int(Qt::NoModifier) << true;
        QTest::newRow("keypad 0") << int(Qt::Key_0) << int(Qt::KeypadModifier) << true;
        QTest::newRow("Alt+Left") << int(Qt::Key_Left) << int(Qt::AltModifier) << true;
        QTest::newRow("Left") << int(Qt::Key_Left) << int(Qt::NoModifier) << false;
        QTest::newRow("digit 0") << int(Qt::Key_0) << int(Qt::NoModifier) << false;
    }
    void restKeys() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, rests);
        Me().FMoney = 100;
        Me().FPoint = 10;
        QTest::keyClick(&Players(), static_cast<Qt::Key>(key),
                        static_cast<Qt::KeyboardModifiers>(modifiers));
        QCOMPARE(Me().FMoney, rests ? 50 : 100);
        QCOMPARE(Me().FPoint, rests ? 100000 : 10);
    }

    void buyingByDoubleClickAndEnter() {
        Me().FMoney = 1105;
        W().PageControl1()->setCurrentIndex(1);
        TTvListView& shop = *W().BLVShop();
        QVERIFY(QTest::qWaitForWindowExposed(&shop));
        QSignalSpy panelChanges(W().MainPlayerModel(), &QAbstractItemModel::dataChanged);
        QTest::mouseDClick(shop.viewport(), Qt::LeftButton, {}, RowCentre(shop, 3)); // x2 weight
        QCOMPARE(Me().FOwnedWeights, std::uint16_t{0b11});
        QCOMPARE(Me().FMoney, 1100);
        // Only the money's cell of the panel changed, and only it is announced.
        QCOMPARE(panelChanges.size(), 1);
        QCOMPARE(panelChanges[0][0].toModelIndex(), W().MainPlayerModel()->index(3, 1));
        QCOMPARE(panelChanges[0][1].toModelIndex(), W().MainPlayerModel()->index(3, 1));
        QCOMPARE(W().MainPlayerModel()->Value(3), QString("1,100 $"));
        QCOMPARE(W().ComboBoxWeight()->count(), 2);
        QCOMPARE(Cell(shop, 3, 0), QString("x4 weight"));

        shop.setCurrentIndex(shop.model()->index(1, 0)); // SelfJudging
        QTest::keyClick(&shop, Qt::Key_Return);
        QCOMPARE(Me().FMoney, 100);
        QVERIFY(W().CheckBoxSelfJudging()->isEnabled() && W().CheckBoxSelfJudging()->isChecked());
        W().CheckBoxSelfJudging()->click(); // the user switches it off
        QCOMPARE(Me().FActiveSettings, std::uint8_t{0});

        W().ComboBoxWeight()->setCurrentIndex(1);
        emit W().ComboBoxWeight()->activated(1);
        QCOMPARE(Me().FWeight, std::uint8_t{1});
        QCOMPARE(W().MainPlayerModel()->Value(0), QString("50,000 / 50,000"));
        QVERIFY(!W().Game().Flags().Modified);
    }

    void gameOverGreysGameRestAndBuy() {
        Me().FMaxPoint = Me().FPoint = 2;
        SelectRows({RowOf(9)});
        QTest::keyClick(&Players(), Qt::Key_Return); // lost: the maximum falls below 2
        QCOMPARE(FPrompts->Asked.size(), std::size_t{1});
        QCOMPARE(FPrompts->Asked[0].Text, QString("Too bad!!\nGame over!!"));
        QVERIFY(W().Game().Flags().GameOver);
        QVERIFY(!W().ActGame()->isEnabled() && !W().ActRest()->isEnabled());
        QVERIFY(!W().ActBuy()->isEnabled());
        QVERIFY(W().ActSelectThePoorest()->isEnabled() &&
                W().ActSelectTheNextUnknown()->isEnabled());

        Me().FMoney = 1000;
        Me().FPoint = 1;
        QTest::keyClick(&Players(), Qt::Key_Space);
        QTest::keyClick(&Players(), Qt::Key_Return);
        QCOMPARE(Me().FMoney, 1000);
        W().ActSelectThePoorest()->trigger();
        QCOMPARE(Players().selectionModel()->currentIndex().row(), RowOf(1));

        W().Game().NewGame();
        W().UpdateActions();
        QVERIFY(W().ActGame()->isEnabled() && W().ActBuy()->isEnabled());
    }

    void slotMenusBeforeAndAfterASave() {
        W().ActMILoadExecute();
        W().ActMISaveExecute();
        const QList<QAction*> load = W().LoadMenu()->actions(), save = W().SaveMenu()->actions();
        // Each item: its caption, then the slot's digit as its mnemonic.
        for (int slot = 0; slot < 10; ++slot) {
            QCOMPARE(load[slot]->text(), QString("<empty>\t&%1").arg(slot));
            QVERIFY(!load[slot]->isEnabled());
            QCOMPARE(save[slot]->text(), QString("<empty>\t&%1").arg(slot));
            QVERIFY(save[slot]->isEnabled());
        }
        QVERIFY(load[10]->isSeparator());

        save[3]->trigger(); // the folder does not exist yet
        const QString slot3 = W().SaveFolder() + "03savedata.sav";
        QCOMPARE(FileBytes(slot3).size(), 60153);
        QVERIFY(FPrompts->Asked.empty());
        W().ActMILoadExecute();
        QCOMPARE(load[3]->text(), QString("03savedata.sav\t&3"));
        QVERIFY(load[3]->isEnabled());
        QVERIFY(!load[4]->isEnabled());

        // Rewriting asks first; Cancel keeps the old file.
        const QByteArray before = FileBytes(slot3);
        Me().FMoney = 7;
        FPrompts->Answers = {TMessageResult::Cancel};
        W().SaveData1Click(3);
        QCOMPARE(FPrompts->Asked.back().Text, QString("Rewrite save file?"));
        QCOMPARE(FPrompts->Asked.back().Caption, QString("Confirmation"));
        QVERIFY(FPrompts->Asked.back().Buttons == TMessageButtons::OkCancel);
        QCOMPARE(FileBytes(slot3), before);
        FPrompts->Answers = {TMessageResult::Ok};
        W().SaveData1Click(3);
        QVERIFY(FileBytes(slot3) != before);

        // Ctrl+S after a slot save writes to the slot without a dialog.
        Me().FMoney = 8;
        QTest::keyClick(&W(), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(FPrompts->SaveDialogs, 0);
        QCOMPARE(static_cast<unsigned char>(FileBytes(slot3).at(134)), 8);
    }

    void ctrlSOnAFreshGameOpensTheSaveDialog() {
        const QString path = FFolder->filePath("mine.txt");
        FPrompts->Files = {path};
        QTest::keyClick(&W(), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(FPrompts->SaveDialogs, 1);
        QCOMPARE(FileBytes(path).size(), 60153);
        QCOMPARE(W().CurrentFileName(), path);
        QVERIFY(!W().Game().Flags().FreshGame);
    }

    void unsavedChangesQuestion_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("dialogChoosesFile");
        QTest::addColumn<bool>("newGame");
        QTest::newRow("Cancel") << int(TMessageResult::Cancel) << false << false;
        QTest::newRow("Yes, dialog cancelled") << int(TMessageResult::Yes) << false << false;
        QTest::newRow("Yes, saved") << int(TMessageResult::Yes) << true << true;
        QTest::newRow("No") << int(TMessageResult::No) << false << true;
    }
    void unsavedChangesQuestion() {
        QFETCH(int, answer);
        QFETCH(bool, dialogChoosesFile);
        QFETCH(bool, newGame);
        SelectRows({RowOf(1)});
        W().Run(TCommand::Game);
        QCOMPARE(Me().FWins, 1);
        FPrompts->Answers = {static_cast<TMessageResult>(answer)};
        if (dialogChoosesFile)
            FPrompts->Files = {FFolder->filePath("kept.txt")};
        QTest::keyClick(&W(), Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(FPrompts->Asked.size(), std::size_t{1});
        QCOMPARE(FPrompts->Asked.at(0).Text, QString("It is changed. Save file?"));
        QVERIFY(FPrompts->Asked.at(0).Buttons == TMessageButtons::YesNoCancel);
        QVERIFY(FPrompts->Asked.at(0).Icon == TMessageIcon::Question);
        QCOMPARE(Me().FWins == 0, newGame); // a new game, or the played one kept
        QCOMPARE(W().Game().Flags().Modified, !newGame);
        QCOMPARE(QFile::exists(FFolder->filePath("kept.txt")), dialogChoosesFile);

        // Unmodified: no question at all.
        FPrompts->Asked.clear();
        if (!W().Game().Flags().Modified) {
            QTest::keyClick(&W(), Qt::Key_O, Qt::ControlModifier);
            QVERIFY(FPrompts->Asked.empty());
            QCOMPARE(FPrompts->OpenDialogs, 1);
        }
    }

    void loadRefreshesViewsAndKeepsTheSortMark() {
        ClickHeader(1); // ascending
        SelectRows({RowOf(1)});
        W().Run(TCommand::Game);
        W().SaveData1Click(0);
        W().Game().NewGame(); // descending again
        QCOMPARE(Header(Players(), 1), QString("▼Soccer Point"));
        W().PageControl1()->setCurrentIndex(2);
        W().ActMILoadExecute();
        W().LoadMenu()->actions()[0]->trigger();
        QCOMPARE(Header(Players(), 1), QString("▼Soccer Point")); // the mark stays
        QVERIFY(Roster().Items(0).FUnknown);                      // the rows are the file's
        QCOMPARE(W().MainPlayerModel()->Value(1), QString("1"));
        QCOMPARE(W().BLVShop()->model()->rowCount(), 5);
        QVERIFY(!W().Game().Flags().Modified);

        // A file that is not a save changes nothing and says so.
        const QString bad = FFolder->filePath("bad.txt");
        QFile file(bad);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("not a saved game");
        file.close();
        W().OpenPath(bad);
        QCOMPARE(FPrompts->Asked.back().Text, "Can not open file.\n" + bad);
        QCOMPARE(FPrompts->Asked.back().Caption, QString("Abort"));
        QCOMPARE(W().MainPlayerModel()->Value(1), QString("1"));
        W().OpenPath(FFolder->path()); // a folder: nothing
        W().OpenPath(FFolder->filePath("missing.txt"));
        QCOMPARE(FPrompts->Asked.size(), std::size_t{1});
    }

    void menuHintsGoToTheFirstPanel() {
        QStatusTipEvent tip("Open html of help");
        QCoreApplication::sendEvent(&W(), &tip);
        QCOMPARE(StatusCounts(), QString("Open html of help"));
        QStatusTipEvent none(QString{});
        QCoreApplication::sendEvent(&W(), &none);
        QCOMPARE(StatusCounts(), QString());
    }

    void droppedFilesLoadTheFirstWithoutAQuestion() {
        SelectRows({RowOf(1)});
        W().Run(TCommand::Game); // modified: a drop still asks nothing
        W().SaveData1Click(5);
        W().Game().NewGame();
        const QString slot = W().SaveFolder() + "05savedata.sav";
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(slot), QUrl::fromLocalFile(FFolder->filePath("b.txt")),
                      QUrl::fromLocalFile(FFolder->filePath("c.txt"))});
        const QPoint at = W().rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(&W(), &enter);
        QVERIFY(enter.isAccepted());
        QCOMPARE(enter.dropAction(), Qt::CopyAction);
        QDropEvent drop(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(&W(), &drop);
        QCOMPARE(Me().FWins, 1); // the slot's game
        QVERIFY(FPrompts->Asked.empty());

        // A dropped folder is refused by the load, with its message.
        data.setUrls({QUrl::fromLocalFile(FFolder->path())});
        QDragEnterEvent again(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(&W(), &again);
        QDropEvent folder(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(&W(), &folder);
        QCOMPARE(FPrompts->Asked.size(), std::size_t{1});
        QCOMPARE(FPrompts->Asked[0].Text, "Can not open file.\n" + FFolder->path());
    }

    void selectionCommandsShowTheFoundRow() {
        SelectRows({3, 40});
        W().ActSelectTheNextUnknown()->trigger();
        QCOMPARE(Players().selectionModel()->currentIndex().row(), 500);
        QCOMPARE(Players().selectionModel()->selectedRows().size(), 1);
        QCOMPARE(StatusCounts(), QString("1 Players  (1 Unknowns )"));
        QCOMPARE(W().StatusPanel(1)->text(), QString("501 / 10,000"));
    }
};

QTEST_MAIN(TMainWindowTest)
#include "MainWindowTest.moc"
