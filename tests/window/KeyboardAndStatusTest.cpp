// The real window reached by the keyboard alone, and the status bar's texts shown
// whole in the window's font.

#include "components/TvAbout.h"
#include "components/TvActns.h"
#include "components/TvListView.h"
#include "window/FrmGoalvanta.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScopeGuard>
#include <QSet>
#include <QSignalSpy>
#include <QStatusTipEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

using namespace goalvanta;

namespace {

// Every question answered with OK, no file chosen.
class TAgreeingPrompts final : public IPrompts {
public:
    TMessageResult Message(const QString&, const QString&, TMessageIcon, TMessageButtons) override {
        return TMessageResult::Ok;
    }
    std::optional<QString> OpenFileName(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
    std::optional<QString> SaveFileName(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
};

// A menu item's caption as the user reads it: no mnemonic mark, no shortcut column.
QString Caption(const QAction& action) {
    return action.text().section(QLatin1Char('\t'), 0, 0).remove(QLatin1Char('&'));
}

// The key that chooses `action` in its menu, or 0 without a mnemonic.
int Mnemonic(const QAction& action) {
    return QKeySequence::mnemonic(action.text())[0].key();
}

QMenu* MenuTitled(QMenuBar& bar, const QString& title) {
    for (QAction* action : bar.actions())
        if (Caption(*action) == title)
            return action->menu();
    return nullptr;
}

} // namespace

class TKeyboardAndStatusTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> FFolder;
    TAgreeingPrompts FPrompts;
    std::unique_ptr<TFormGoalvanta> FWindow;
    QList<QUrl> FOpened;
    QString FHelpPage;

    TFormGoalvanta& W() { return *FWindow; }

    void OpenWindow() {
        FWindow = std::make_unique<TFormGoalvanta>(FFolder->filePath("savedata"), &FPrompts);
        W().show();
        W().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&W()));
        QVERIFY(W().Game().Flags().Activated);
    }

private slots:
    void initTestCase() {
        // Help finds its page beside the program and hands it to the desktop.
        FHelpPage = TTvViewHelpHtmlAction::HelpFileNameFor(QCoreApplication::applicationFilePath());
        FHelpPage = QCoreApplication::applicationDirPath() + "/" + FHelpPage;
        QFile page(FHelpPage);
        QVERIFY(page.open(QIODevice::WriteOnly));
        page.write("<html><body>Help</body></html>\n");
        SetUrlOpener([this](const QUrl& url) {
            FOpened << url;
            return true;
        });
    }
    void cleanupTestCase() {
        SetUrlOpener(nullptr);
        QFile::remove(FHelpPage);
    }
    void init() {
        FOpened.clear();
        FFolder = std::make_unique<QTemporaryDir>();
        OpenWindow();
    }
    void cleanup() {
        FWindow.reset();
        FFolder.reset();
    }

    // Every item of every menu, the context menus too, has a mnemonic of its own.
    void everyMenuItemHasAMnemonicOfItsOwn() {
        W().ActMILoadExecute();
        W().ActMISaveExecute();
        QList<QMenu*> menus = {W().PlayersMenu(), W().ShopMenu()};
        QList<QAction*> bar;
        for (QAction* action : W().menuBar()->actions()) {
            bar << action;
            menus << action->menu();
        }
        const auto distinct = [](const QList<QAction*>& actions, const QString& where) {
            QSet<int> keys;
            for (const QAction* action : actions) {
                if (action->isSeparator())
                    continue;
                const int key = Mnemonic(*action);
                QVERIFY2(key != 0, qPrintable(where + ": no mnemonic in " + action->text()));
                QVERIFY2(!keys.contains(key),
                         qPrintable(where + ": taken twice, " + action->text()));
                keys.insert(key);
            }
        };
        distinct(bar, "menu bar");
        for (const QMenu* menu : menus)
            distinct(menu->actions(), menu->title());

        // The captions keep their words.
        QStringList titles;
        for (const QAction* action : bar)
            titles << Caption(*action);
        QCOMPARE(titles, QStringList({"Game", "Load", "Save", "Help"}));
        QCOMPARE(Caption(*W().SaveMenu()->actions()[3]), QString("<empty>"));
        QCOMPARE(Caption(*W().ActRest()), QString("Rest 50 $"));
        QCOMPARE(Caption(*W().ActSelectTheNextUnknown()), QString("Select the next unknown"));
    }

    void menusOpenByKeyboard_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("menu");
        QTest::newRow("Alt+G") << int(Qt::Key_G) << int(Qt::AltModifier) << "Game";
        QTest::newRow("Alt+L") << int(Qt::Key_L) << int(Qt::AltModifier) << "Load";
        QTest::newRow("Alt+S") << int(Qt::Key_S) << int(Qt::AltModifier) << "Save";
        QTest::newRow("Alt+H") << int(Qt::Key_H) << int(Qt::AltModifier) << "Help";
        QTest::newRow("F10") << int(Qt::Key_F10) << int(Qt::NoModifier) << "Game";
    }
    void menusOpenByKeyboard() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, menu);
        QMenu* expected = MenuTitled(*W().menuBar(), menu);
        QVERIFY(expected);
        QTest::keyClick(W().BLVPlayers(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QTRY_COMPARE(QApplication::activePopupWidget(), expected);
        // From one menu the arrows reach the next.
        QTest::keyClick(expected, Qt::Key_Right);
        QTRY_VERIFY(QApplication::activePopupWidget() &&
                    QApplication::activePopupWidget() != expected);
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
    }

    // Each item is chosen by opening its menu with Alt and pressing its key.
    void everyItemIsReachedByKeyboard_data() {
        QTest::addColumn<int>("menuKey");
        QTest::addColumn<QString>("menu");
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("itemKey");
        QTest::addColumn<QString>("caption");
        QTest::newRow("New") << int(Qt::Key_G) << "Game" << 0 << int(Qt::Key_N) << "New";
        QTest::newRow("Exit") << int(Qt::Key_G) << "Game" << 2 << int(Qt::Key_X) << "Exit";
        for (int slot = 0; slot < 10; ++slot) {
            const QString name = TFormGoalvanta::SlotFileName(slot);
            QTest::addRow("load slot %d", slot)
                << int(Qt::Key_L) << "Load" << slot << int(Qt::Key_0) + slot << name;
            QTest::addRow("save slot %d", slot)
                << int(Qt::Key_S) << "Save" << slot << int(Qt::Key_0) + slot << name;
        }
        QTest::newRow("Help") << int(Qt::Key_H) << "Help" << 0 << int(Qt::Key_H) << "Help";
        QTest::newRow("OpenAppFolder")
            << int(Qt::Key_H) << "Help" << 2 << int(Qt::Key_O) << "OpenAppFolder";
        QTest::newRow("About") << int(Qt::Key_H) << "Help" << 4 << int(Qt::Key_A) << "About";
    }
    void everyItemIsReachedByKeyboard() {
        QFETCH(int, menuKey);
        QFETCH(QString, menu);
        QFETCH(int, position);
        QFETCH(int, itemKey);
        QFETCH(QString, caption);
        // Every slot holds a save, so that every load item is enabled.
        for (int slot = 0; slot < 10; ++slot)
            W().SaveData1Click(slot);
        QMenu* popup = MenuTitled(*W().menuBar(), menu);
        QVERIFY(popup);
        QAction* item = popup->actions().value(position);
        QVERIFY(item);
        QSignalSpy chosen(item, &QAction::triggered);
        // A dialog the item opens (the About box) is closed as soon as it is up.
        QTimer closer;
        connect(&closer, &QTimer::timeout, [] {
            if (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
        });
        closer.start(20);

        QTest::keyClick(W().BLVPlayers(), Qt::Key(menuKey), Qt::AltModifier);
        QTRY_COMPARE(QApplication::activePopupWidget(), popup);
        QCOMPARE(Caption(*item), caption);
        QVERIFY(item->isEnabled());
        QTest::keyClick(popup, Qt::Key(itemKey));
        QTRY_COMPARE(chosen.count(), 1);
        QVERIFY(!QApplication::activePopupWidget());
        if (caption == "Help")
            QCOMPARE(FOpened, QList<QUrl>{QUrl::fromLocalFile(FHelpPage)});
        if (caption == "Exit")
            QVERIFY(!W().isVisible());
    }

    // Every text a panel shows fits it whole, in the window's font and in a large one.
    void statusPanelsShowTheirTextsWhole_data() {
        QTest::addColumn<qreal>("scale");
        QTest::newRow("window font") << 1.0;
        QTest::newRow("font half as large again") << 1.5;
        QTest::newRow("font twice as large") << 2.0;
    }
    void statusPanelsShowTheirTextsWhole() {
        QFETCH(qreal, scale);
        const QFont original = QApplication::font();
        QFont font = original;
        font.setPointSizeF(original.pointSizeF() * scale);
        QApplication::setFont(font);
        const auto restore = qScopeGuard([&] { QApplication::setFont(original); });
        FWindow.reset();
        OpenWindow();

        const auto fits = [](const QLabel* panel) {
            const int needs = panel->fontMetrics().horizontalAdvance(panel->text());
            QVERIFY2(needs <= panel->contentsRect().width(),
                     qPrintable(QString("%1: \"%2\" needs %3 px, has %4")
                                    .arg(panel->objectName(), panel->text())
                                    .arg(needs)
                                    .arg(panel->contentsRect().width())));
        };
        QCOMPARE(W().StatusPanel(0)->width() >= 200, true);
        QCOMPARE(W().StatusPanel(1)->width() >= 150, true);
        QCOMPARE(W().StatusPanel(2)->width(), 100);

        QTest::keyClick(W().BLVPlayers(), Qt::Key_End);
        W().BLVPlayers()->selectAll(); // the whole roster, with its unknowns
        QTRY_COMPARE(W().StatusPanel(0)->text(), QString("10,000 Players  (9,500 Unknowns )"));
        QTRY_COMPARE(W().StatusPanel(1)->text(), QString("10,000 / 10,000"));
        fits(W().StatusPanel(0));
        fits(W().StatusPanel(1));
        for (const QString& hint :
             {QString("Open html of help"), QString("Open application folder")}) {
            QStatusTipEvent tip(hint);
            QCoreApplication::sendEvent(&W(), &tip);
            QCOMPARE(W().StatusPanel(0)->text(), hint);
            fits(W().StatusPanel(0));
        }
    }
};

QTEST_MAIN(TKeyboardAndStatusTest)
#include "KeyboardAndStatusTest.moc"
