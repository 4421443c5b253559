#include "components/TvAbout.h"
#include "components/TvActns.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <optional>

namespace goalvanta {
namespace {

QString AppDir() {
    return QCoreApplication::applicationDirPath();
}

// The About box while it runs modally: the active modal widget, or failing that any
// open About box, so a test can always close it again.
TTvAboutBox* OpenAboutBox() {
    if (auto* box = qobject_cast<TTvAboutBox*>(QApplication::activeModalWidget()))
        return box;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<TTvAboutBox*>(widget); box && box->isVisible())
            return box;
    return nullptr;
}

// What a message box shown by `call` said; it is closed as soon as it is up.
struct TSeenMessage {
    bool Shown = false;
    QString Caption;
    QString Text;
    QMessageBox::Icon Icon = QMessageBox::NoIcon;
    QWidget* Parent = nullptr;
};

template <typename TCall> TSeenMessage MessageShownBy(TCall call) {
    TSeenMessage seen;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || seen.Shown)
            return;
        seen = {true, box->windowTitle(), box->text(), box->icon(), box->parentWidget()};
        box->done(QMessageBox::Ok);
    });
    poll.start();
    call();
    return seen;
}

// A help page beside the test program for as long as the test runs.
class THelpPage {
public:
    explicit THelpPage(const QString& name) : FPath(AppDir() + "/" + name) {
        QFile page(FPath);
        if (page.open(QIODevice::WriteOnly))
            page.write("<html><body>Help</body></html>\n");
    }
    ~THelpPage() { QFile::remove(FPath); }
    QString Path() const { return FPath; }

private:
    QString FPath;
};

} // namespace

class TActionsTest : public QObject {
    Q_OBJECT

    // Everything handed to the desktop; the desktop answers FAccept.
    QList<QUrl> FOpened;
    bool FAccept = true;

private slots:
    void init() {
        FOpened.clear();
        FAccept = true;
        SetUrlOpener([this](const QUrl& url) {
            FOpened << url;
            return FAccept;
        });
    }
    void cleanup() { SetUrlOpener(nullptr); }

    void helpFileNameFor_data() {
        QTest::addColumn<QString>("executable");
        QTest::addColumn<QString>("help");
        QTest::newRow("extension") << "game.exe"
                                   << "game_help.html";
        QTest::newRow("no extension") << "goalvanta"
                                      << "goalvanta_help.html";
        QTest::newRow("folder, several dots") << "/opt/x/my.game.bin"
                                              << "my.game_help.html";
        QTest::newRow("dot only in folder") << "/opt/x.y/goalvanta"
                                            << "goalvanta_help.html";
    }
    void helpFileNameFor() {
        QFETCH(QString, executable);
        QFETCH(QString, help);
        QCOMPARE(TTvViewHelpHtmlAction::HelpFileNameFor(executable), help);
    }

    void helpActionOpensPageBesideExecutable() {
        const THelpPage page(QStringLiteral("goalvanta_help.html"));
        TTvViewHelpHtmlAction action;
        QCOMPARE(action.FileName(), QStringLiteral("actions_tests_help.html"));

        action.SetFileName(QStringLiteral("goalvanta_help.html"));
        const TSeenMessage message = MessageShownBy([&] { action.trigger(); });
        QVERIFY2(!message.Shown, qPrintable(message.Text));
        QCOMPARE(FOpened, QList<QUrl>{QUrl::fromLocalFile(page.Path())});
        QCOMPARE(FOpened.first().toLocalFile(), AppDir() + "/goalvanta_help.html");
    }

    // Help that cannot show its page says so over the window, with the page's path,
    // so that the user can open it by hand.
    void helpActionTellsWhyThePageDidNotOpen_data() {
        QTest::addColumn<bool>("pageExists");
        QTest::addColumn<bool>("desktopAccepts");
        QTest::addColumn<QString>("says");
        QTest::addColumn<bool>("handedToDesktop");
        QTest::newRow("no program for the page")
            << true << false << "No program could open" << true;
        // A launcher given a missing file fails in its own process, unseen.
        QTest::newRow("page missing") << false << true << "cannot be found" << false;
    }
    void helpActionTellsWhyThePageDidNotOpen() {
        QFETCH(bool, pageExists);
        QFETCH(bool, desktopAccepts);
        QFETCH(QString, says);
        QFETCH(bool, handedToDesktop);
        const QString name = QStringLiteral("failing_help.html");
        std::optional<THelpPage> page;
        if (pageExists)
            page.emplace(name);
        FAccept = desktopAccepts;

        QWidget window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* action = new TTvViewHelpHtmlAction(&window);
        action->SetFileName(name);
        const TSeenMessage message = MessageShownBy([&] { action->trigger(); });

        QVERIFY2(message.Shown, "Help failed without a word");
        QCOMPARE(message.Parent, &window);
        QCOMPARE(message.Icon, QMessageBox::Warning);
        QCOMPARE(message.Caption, QStringLiteral("Help"));
        QVERIFY2(message.Text.contains(says), qPrintable(message.Text));
        // The path as the system writes it: with backslashes on Windows.
        QVERIFY2(message.Text.contains(QDir::toNativeSeparators(AppDir() + "/" + name)),
                 qPrintable(message.Text));
        QCOMPARE(FOpened.size(), handedToDesktop ? 1 : 0);
    }

    void openFolderWindow_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("opened");
        QTest::newRow("adds slash") << "/tmp/game"
                                    << "/tmp/game/";
        QTest::newRow("keeps slash") << "/tmp/game/"
                                     << "/tmp/game/";
        QTest::newRow("root") << "/"
                              << "/";
        QTest::newRow("blank in name") << "/tmp/my game"
                                       << "/tmp/my game/";
    }
    void openFolderWindow() {
        QFETCH(QString, folder);
        QFETCH(QString, opened);
        QVERIFY(OpenFolderWindow(folder));
        QCOMPARE(FOpened.size(), 1);
        QVERIFY(FOpened.first().isLocalFile());
        QCOMPARE(FOpened.first().toLocalFile(), opened);
    }

    void openFolderWindowRefusedOrEmpty() {
        FAccept = false;
        QVERIFY(!OpenFolderWindow(QStringLiteral("/tmp/game")));
        QCOMPARE(FOpened.size(), 1);

        FAccept = true;
        QVERIFY(!OpenFolderWindow(QString()));
        QCOMPARE(FOpened.size(), 1);
    }

    void openAppFolderActionOpensExecutableFolder() {
        TTvOpenAppFolderAction action;
        const TSeenMessage message = MessageShownBy([&] { action.trigger(); });
        QVERIFY2(!message.Shown, qPrintable(message.Text));
        QCOMPARE(FOpened, QList<QUrl>{QUrl::fromLocalFile(AppDir() + "/")});
    }

    void openAppFolderActionTellsWhenNoFileManagerOpensIt() {
        FAccept = false;
        QWidget window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* action = new TTvOpenAppFolderAction(&window);
        const TSeenMessage message = MessageShownBy([&] { action->trigger(); });

        QVERIFY2(message.Shown, "OpenAppFolder failed without a word");
        QCOMPARE(message.Parent, &window);
        QCOMPARE(message.Icon, QMessageBox::Warning);
        QVERIFY2(message.Text.contains("No file manager could open"), qPrintable(message.Text));
        QVERIFY2(message.Text.contains(QDir::toNativeSeparators(AppDir())),
                 qPrintable(message.Text));
        QCOMPARE(FOpened.size(), 1);
    }

    void aboutActionShowsFilledBox_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("productLine");
        QTest::newRow("named") << "Goalvanta"
                               << "Goalvanta About"
                               << "Goalvanta  Version 1.00";
        QTest::newRow("empty name") << ""
                                    << " About"
                                    << "  Version 1.00";
    }
    void aboutActionShowsFilledBox() {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QString, productLine);

        QWidget window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* action = new TTvAboutAction(&window);
        action->SetApplicationName(name);
        action->SetApplicationVer(QStringLiteral("1.00"));
        action->SetCopyrightInfo(QStringLiteral("Copyright (C) Goalvanta team"));
        action->SetComment({QStringLiteral("First line"), QString(), QStringLiteral("Third")});
        action->SetLinkHints(QString(), QString());

        QPointer<TTvAboutBox> box;
        bool modal = false;
        QWidget* parent = nullptr;
        QString seenCaption, seenProduct, seenCopyright, seenMemo, seenUrlHint, seenEmailHint;
        QTimer::singleShot(0, [&] {
            box = OpenAboutBox();
            if (!box)
                return;
            modal = box->isModal() && QApplication::activeModalWidget() == box;
            parent = box->parentWidget();
            seenCaption = box->windowTitle();
            seenProduct = box->ProductNameLabel()->text();
            seenCopyright = box->CopyrightLabel()->text();
            seenMemo = box->Memo1()->toPlainText();
            seenUrlHint = box->UrlLabel()->toolTip();
            seenEmailHint = box->EmailLabel()->toolTip();
            box->OkButton()->click();
        });
        action->trigger();

        QVERIFY2(parent, "no About box was shown");
        QVERIFY(modal);
        QCOMPARE(parent, &window);
        QVERIFY2(box.isNull(), "the box outlives its use");
        QCOMPARE(seenCaption, caption);
        QCOMPARE(seenProduct, productLine);
        QCOMPARE(seenCopyright, QStringLiteral("Copyright (C) Goalvanta team"));
        QCOMPARE(seenMemo.split(QLatin1Char('\n')),
                 QStringList({"https://goalvanta.example/", "support@goalvanta.example", "",
                              "First line", "", "Third"}));
        QVERIFY(seenUrlHint.isEmpty());
        QVERIFY(seenEmailHint.isEmpty());
    }

    void aboutBoxLinksOpenThroughOpener_data() {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("hint");
        QTest::addColumn<QUrl>("url");
        QTest::newRow("home page") << "Url"
                                   << "Home page" << QUrl("https://goalvanta.example/");
        QTest::newRow("e-mail") << "Email"
                                << "E-mail" << QUrl("mailto:support@goalvanta.example");
    }
    void aboutBoxLinksOpenThroughOpener() {
        QFETCH(QString, label);
        QFETCH(QString, hint);
        QFETCH(QUrl, url);

        TTvAboutBox box;
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        auto* link = box.findChild<QLabel*>(label);
        QVERIFY(link);
        QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(link->toolTip(), hint);

        QTest::mouseClick(link, Qt::RightButton);
        QVERIFY(FOpened.isEmpty());
        QTest::mouseClick(link, Qt::LeftButton);
        QCOMPARE(FOpened, QList<QUrl>{url});
    }

    void aboutBoxLayout() {
        TTvAboutBox box;
        box.SetProductLine(QStringLiteral("Goalvanta"), QStringLiteral("1.00"));
        box.SetCopyright(QStringLiteral("Copyright (C) 2024 Goalvanta team"));
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));

        QCOMPARE(box.size(), QSize(480, 280));
        QCOMPARE(box.minimumSize(), box.maximumSize());
        QVERIFY(!box.isSizeGripEnabled());
        QVERIFY(box.isModal());

        // Every child lies inside the box, and no label's text is cut off.
        const QRect inside = box.rect();
        for (QWidget* child : box.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            QVERIFY2(inside.contains(child->geometry()), qPrintable(child->objectName()));
        for (QLabel* label :
             {box.ProductNameLabel(), box.CopyrightLabel(), box.UrlLabel(), box.EmailLabel()}) {
            QVERIFY2(label->sizeHint().width() <= label->width(), qPrintable(label->text()));
            QVERIFY2(label->sizeHint().height() <= label->height(), qPrintable(label->text()));
        }

        QVERIFY(box.Memo1()->isReadOnly());
        QCOMPARE(box.Memo1()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(box.Memo1()->toPlainText().split(QLatin1Char('\n')),
                 QStringList({"https://goalvanta.example/", "support@goalvanta.example", ""}));
        QVERIFY(box.OkButton()->isDefault());
    }

    void aboutBoxProgramIcon() {
        QVERIFY(QGuiApplication::windowIcon().isNull());
        TTvAboutBox box;
        QVERIFY(box.ProgramIconLabel()->pixmap().isNull());

        QPixmap big(64, 64);
        big.fill(Qt::red);
        box.SetProgramIcon(QIcon(big));
        QCOMPARE(box.ProgramIconLabel()->pixmap().deviceIndependentSize().toSize(), QSize(32, 32));

        box.SetProgramIcon(QIcon());
        QVERIFY(box.ProgramIconLabel()->pixmap().isNull());
    }

    void aboutBoxClosesAccepted_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("inNote");
        QTest::newRow("Escape") << int(Qt::Key_Escape) << false;
        QTest::newRow("Return") << int(Qt::Key_Return) << false;
        QTest::newRow("Enter") << int(Qt::Key_Enter) << false;
        QTest::newRow("Escape in note") << int(Qt::Key_Escape) << true;
    }
    void aboutBoxClosesAccepted() {
        QFETCH(int, key);
        QFETCH(bool, inNote);

        TTvAboutBox box;
        box.show();
        QVERIFY(QTest::qWaitForWindowActive(&box));
        if (inNote)
            box.Memo1()->setFocus();
        QWidget* focused = QApplication::focusWidget();
        QCOMPARE(focused, inNote ? static_cast<QWidget*>(box.Memo1()) : box.OkButton());

        box.setResult(-1);
        QTest::keyClick(focused, Qt::Key(key));
        QVERIFY(!box.isVisible());
        QCOMPARE(box.result(), int(QDialog::Accepted));
    }

    void aboutBoxCentredOnParent() {
        QWidget window;
        window.setGeometry(100, 100, 600, 400);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        TTvAboutBox box(&window);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        const QPoint offset = box.frameGeometry().center() - window.frameGeometry().center();
        QVERIFY2(offset.manhattanLength() <= 2,
                 qPrintable(QStringLiteral("off by %1,%2").arg(offset.x()).arg(offset.y())));
    }

    void exitActionClosesMainWindowOnly_data() {
        QTest::addColumn<bool>("given");
        QTest::newRow("window given") << true;
        QTest::newRow("owner's window") << false;
    }
    void exitActionClosesMainWindowOnly() {
        QFETCH(bool, given);

        QWidget mainWindow;
        auto* child = new QWidget(&mainWindow);
        QWidget other;
        mainWindow.show();
        other.show();
        QVERIFY(QTest::qWaitForWindowExposed(&other));

        TTvExitAction action(given ? nullptr : child);
        if (given)
            action.SetMainWindow(&mainWindow);
        action.trigger();
        QVERIFY(!mainWindow.isVisible());
        QVERIFY(other.isVisible());
    }
};

} // namespace goalvanta

QTEST_MAIN(goalvanta::TActionsTest)
#include "ActionsTest.moc"
