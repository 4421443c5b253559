#include "components/FileDropTarget.h"

#include <QDropEvent>
#include <QPointer>
#include <QTest>
#include <QUrl>
#include <memory>

namespace goalvanta {
namespace {

constexpr int AllActions = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
const QString SaveMime = QStringLiteral("application/x-goalvanta-save");

std::unique_ptr<QMimeData> UrlData(const QStringList& urls) {
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> list;
    for (const QString& url : urls)
        list << QUrl(url);
    data->setUrls(list);
    return data;
}

std::unique_ptr<QMimeData> FileData(const QStringList& paths) {
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << QUrl::fromLocalFile(path);
    data->setUrls(urls);
    return data;
}

// A widget that counts the drag events that reach it, and whose native window a
// test can destroy and create again.
class TDropWidget : public QWidget {
public:
    using QWidget::create;
    using QWidget::destroy;

    int DragEvents = 0;

protected:
    void dragEnterEvent(QDragEnterEvent*) override { ++DragEvents; }
    void dragMoveEvent(QDragMoveEvent*) override { ++DragEvents; }
    void dragLeaveEvent(QDragLeaveEvent*) override { ++DragEvents; }
    void dropEvent(QDropEvent*) override { ++DragEvents; }
};

// What a drag event told the source.
struct TAnswer {
    bool Accepted = false;
    Qt::DropAction Action = Qt::IgnoreAction;
};

TAnswer Send(QWidget& widget, QDropEvent& event) {
    QCoreApplication::sendEvent(&widget, &event);
    return {event.isAccepted(), event.dropAction()};
}

// A file drop target on a widget, and the drag events a source would send it.
struct TDrop {
    TDropWidget Widget;
    TFileDropTarget Target;

    TDrop() { Target.SetWinControl(&Widget); }

    TAnswer Enter(const QMimeData& data, int actions, Qt::KeyboardModifiers keys = {},
                  QPoint at = {5, 5}) {
        QDragEnterEvent event(at, Qt::DropActions::fromInt(actions), &data, Qt::LeftButton, keys);
        return Send(Widget, event);
    }
    TAnswer Move(const QMimeData& data, int actions, Qt::KeyboardModifiers keys = {}) {
        QDragMoveEvent event({6, 6}, Qt::DropActions::fromInt(actions), &data, Qt::LeftButton,
                             keys);
        return Send(Widget, event);
    }
    TAnswer Drop(const QMimeData& data, int actions = AllActions,
                 Qt::KeyboardModifiers keys = Qt::NoModifier) {
        QDropEvent event(QPointF(7, 7), Qt::DropActions::fromInt(actions), &data, Qt::NoButton,
                         keys);
        return Send(Widget, event);
    }
    void Leave() {
        QDragLeaveEvent event;
        QCoreApplication::sendEvent(&Widget, &event);
    }
};

} // namespace

class TFileDropTargetTest : public QObject {
    Q_OBJECT

private slots:
    void formatIds_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("id"); // 0: a registered format
        QTest::newRow("CF_UNICODETEXT") << "CF_UNICODETEXT" << 13;
        QTest::newRow("CF_WAVE") << "CF_WAVE" << 12;
        QTest::newRow("CF_TEXT") << "CF_TEXT" << 1;
        QTest::newRow("CF_HDROP") << "CF_HDROP" << 15;
        QTest::newRow("CF_MAX") << "CF_MAX" << 17;
        QTest::newRow("CF_OWNERDISPLAY") << "CF_OWNERDISPLAY" << 128;
        QTest::newRow("CF_DSPENHMETAFILE") << "CF_DSPENHMETAFILE" << 142;
        QTest::newRow("lower case") << "cf_text" << 0;
        QTest::newRow("unknown CF_ name") << "CF_GAME" << 0;
        QTest::newRow("MIME type") << "text/uri-list" << 0;
    }
    void formatIds() {
        QFETCH(QString, name);
        QFETCH(int, id);
        const std::string text = name.toStdString();

        const TFormatId found = FormatIdOf(text);
        if (id != 0)
            QCOMPARE(found, TFormatId(id));
        else
            QVERIFY(found >= FirstRegisteredFormat);
        QCOMPARE(FormatIdOf(text), found);
        QCOMPARE(FormatNameOf(found), text);
    }

    void registeredFormatsDiffer() {
        const TFormatId first = FormatIdOf("application/x-first");
        QVERIFY(first >= FirstRegisteredFormat);
        QVERIFY(FormatIdOf("application/x-second") != first);
        QCOMPARE(FormatIdOf(""), TFormatId(0));
        QCOMPARE(FormatNameOf(0x7FFF'FFFF), std::string());
    }

    void dropEffectBits_data() {
        QTest::addColumn<int>("bits");
        QTest::addColumn<int>("effects"); // TDropEffects::Bits()
        QTest::addColumn<int>("back");
        QTest::newRow("none") << 0 << 0 << 0;
        QTest::newRow("copy") << 1 << 0b0010 << 1;
        QTest::newRow("move") << 2 << 0b0100 << 2;
        QTest::newRow("link") << 4 << 0b1000 << 4;
        QTest::newRow("all") << 7 << 0b1110 << 7;
        QTest::newRow("other bits ignored")
            << int(Qt::MoveAction | Qt::TargetMoveAction) << 0b0100 << 2;
    }
    void dropEffectBits() {
        QFETCH(int, bits);
        QFETCH(int, effects);
        QFETCH(int, back);
        const TDropEffects set = EffectsFromDropEffect(bits);
        QCOMPARE(int(set.Bits()), effects);
        QCOMPARE(DropEffectFromEffects(set), back);
        QCOMPARE(DropEffectFromEffects(TDropEffects(set).Include(ekNone)), back);
    }

    void keyStateToEffect_data() {
        QTest::addColumn<Qt::KeyboardModifiers>("keys");
        QTest::addColumn<int>("effect");
        QTest::newRow("none") << Qt::KeyboardModifiers() << int(ekCopy);
        QTest::newRow("Control") << Qt::KeyboardModifiers(Qt::ControlModifier) << int(ekCopy);
        QTest::newRow("Alt") << Qt::KeyboardModifiers(Qt::AltModifier) << int(ekCopy);
        QTest::newRow("Shift") << Qt::KeyboardModifiers(Qt::ShiftModifier) << int(ekMove);
        QTest::newRow("Shift+Alt") << (Qt::ShiftModifier | Qt::AltModifier) << int(ekMove);
        QTest::newRow("Shift+Control") << (Qt::ShiftModifier | Qt::ControlModifier) << int(ekLink);
    }
    void keyStateToEffect() {
        QFETCH(Qt::KeyboardModifiers, keys);
        QFETCH(int, effect);
        QCOMPARE(int(KeyStateToEffect(keys)), effect);
    }

    void dataHasFormat_data() {
        QTest::addColumn<QStringList>("urls");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("format");
        QTest::addColumn<bool>("has");
        const QStringList files{"file:///games/a.sav"};
        const QStringList web{"https://goalvanta.example/a.sav"};
        QTest::newRow("files as CF_HDROP") << files << ""
                                           << "CF_HDROP" << true;
        QTest::newRow("web link only") << web << ""
                                       << "CF_HDROP" << false;
        QTest::newRow("web link and file") << (web + files) << ""
                                           << "CF_HDROP" << true;
        // Qt offers the URLs of a file list as its text too.
        QTest::newRow("files read as text") << files << ""
                                            << "CF_UNICODETEXT" << true;
        QTest::newRow("CF_TEXT") << QStringList() << "hello"
                                 << "CF_TEXT" << true;
        QTest::newRow("CF_UNICODETEXT") << QStringList() << "hello"
                                        << "CF_UNICODETEXT" << true;
        QTest::newRow("text is no file") << QStringList() << "hello"
                                         << "CF_HDROP" << false;
        QTest::newRow("registered MIME type") << files << ""
                                              << "text/uri-list" << true;
        QTest::newRow("other standard format") << files << "hello"
                                               << "CF_BITMAP" << false;
    }
    void dataHasFormat() {
        QFETCH(QStringList, urls);
        QFETCH(QString, text);
        QFETCH(QString, format);
        QFETCH(bool, has);
        const auto data = UrlData(urls);
        if (!text.isEmpty())
            data->setText(text);
        QCOMPARE(DataHasFormat(data.get(), FormatIdOf(format.toStdString())), has);
        QVERIFY(!DataHasFormat(nullptr, FormatIdOf(format.toStdString())));
    }

    // The file target allows copying only, whatever the keys ask for.
    void fileDragEffect_data() {
        QTest::addColumn<int>("allowed");
        QTest::addColumn<Qt::KeyboardModifiers>("keys");
        QTest::addColumn<int>("effect");
        QTest::newRow("no key") << AllActions << Qt::KeyboardModifiers() << 1;
        QTest::newRow("Shift") << AllActions << Qt::KeyboardModifiers(Qt::ShiftModifier) << 1;
        QTest::newRow("Shift+Control")
            << AllActions << (Qt::ShiftModifier | Qt::ControlModifier) << 1;
        QTest::newRow("source moves only") << int(Qt::MoveAction) << Qt::KeyboardModifiers() << 0;
        QTest::newRow("source links only")
            << int(Qt::LinkAction) << Qt::KeyboardModifiers(Qt::ShiftModifier) << 0;
    }
    void fileDragEffect() {
        QFETCH(int, allowed);
        QFETCH(Qt::KeyboardModifiers, keys);
        QFETCH(int, effect);

        TDrop drop;
        QList<int> entered, over;
        int x = -1, y = -1;
        drop.Target.OnFileDragEnter = [&](TFileDropTarget&, TDragContext& context) {
            entered << context.Effect;
            x = context.X;
            y = context.Y;
        };
        drop.Target.OnFileDragOver = [&](TFileDropTarget&, TDragContext& context) {
            over << context.Effect;
        };
        const bool chosen = effect != 0;
        const auto data = FileData({"/games/a.sav"});

        const TAnswer enter = drop.Enter(*data, allowed, keys, {12, 34});
        QCOMPARE(enter.Accepted, chosen);
        QCOMPARE(drop.Target.CurrentItem(), chosen ? &drop.Target.FileItem() : nullptr);
        QCOMPARE(entered, chosen ? QList<int>{effect} : QList<int>());
        if (!chosen)
            return;
        QCOMPARE(int(enter.Action), effect);
        QCOMPARE(x, 12);
        QCOMPARE(y, 34);

        const TAnswer move = drop.Move(*data, allowed, keys);
        QVERIFY(move.Accepted);
        QCOMPARE(int(move.Action), effect);
        QCOMPARE(over, QList<int>{effect});
        QCOMPARE(drop.Widget.DragEvents, 0);
    }

    // Every drop follows an earlier one, whose files it must replace.
    void droppedFiles_data() {
        QTest::addColumn<QStringList>("urls");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<int>("handlerEffect");
        const QStringList three{"/games/first.sav", "/home/ann/My Saves/Größe 2.sav",
                                "/games/third.sav"};
        QStringList urls;
        for (const QString& file : three)
            urls << QUrl::fromLocalFile(file).toString();
        urls.insert(1, QStringLiteral("https://goalvanta.example/skipped.sav"));
        QTest::newRow("three files") << urls << three << 0;
        QTest::newRow("handler copies") << urls << three << 1;
        const QString longName =
            QStringLiteral("/games/") + QString(310, QLatin1Char('n')) + ".sav";
        QTest::newRow("long name")
            << QStringList{QUrl::fromLocalFile(longName).toString()} << QStringList{longName} << 0;
    }
    void droppedFiles() {
        QFETCH(QStringList, urls);
        QFETCH(QStringList, files);
        QFETCH(int, handlerEffect);

        TDrop drop;
        const auto earlier = FileData({"/games/earlier.sav"});
        drop.Enter(*earlier, AllActions);
        drop.Drop(*earlier);
        QCOMPARE(drop.Target.DroppedFiles(), QStringList{"/games/earlier.sav"});

        QStringList seen;
        int seenEffect = -1;
        drop.Target.OnFileDrop = [&](TFileDropTarget& target, TDragContext& context) {
            seen = target.DroppedFiles();
            seenEffect = context.Effect;
            context.Effect = handlerEffect;
        };
        const auto data = UrlData(urls);
        drop.Enter(*data, AllActions);
        const TAnswer answer = drop.Drop(*data);

        QCOMPARE(seenEffect, 0);
        QCOMPARE(seen, files);
        QCOMPARE(drop.Target.DroppedFiles(), files);
        QCOMPARE(answer.Accepted, handlerEffect != 0);
        if (handlerEffect != 0)
            QCOMPARE(answer.Action, Qt::CopyAction);
    }

    // The file target with a second item for saves, which moves or links, after the
    // file item. The drop goes to the item the last enter or move chose. (Qt routes the
    // move, leave and drop only to a widget that accepted the enter.)
    void dropGoesToLastChoice_data() {
        QTest::addColumn<bool>("withSave");
        QTest::addColumn<int>("enterActions");
        QTest::addColumn<int>("moveActions");
        QTest::addColumn<int>("dropActions");
        QTest::addColumn<QString>("dropped");
        const int all = AllActions;
        const int copy = Qt::CopyAction;
        const int move = Qt::MoveAction;
        QTest::newRow("files") << false << all << all << all << "files";
        QTest::newRow("files refused on the way") << false << all << move << all << "";
        QTest::newRow("save chosen on the way") << true << all << move << all << "save";
        QTest::newRow("drop not decided again") << true << move << copy << move << "files";
    }
    void dropGoesToLastChoice() {
        QFETCH(bool, withSave);
        QFETCH(int, enterActions);
        QFETCH(int, moveActions);
        QFETCH(int, dropActions);
        QFETCH(QString, dropped);

        TDrop drop;
        TDFItem& saveItem = drop.Target.Items().Add();
        saveItem.FormatName = SaveMime.toStdString();
        saveItem.DropEffects = {ekMove, ekLink};
        drop.Target.Items().ResolveFormats();
        QString seen;
        saveItem.OnDrop = [&](QObject*, TDragContext&) { seen += QStringLiteral("save"); };
        drop.Target.OnFileDrop = [&](TFileDropTarget&, TDragContext&) {
            seen += QStringLiteral("files");
        };
        const auto data = FileData({"/games/a.sav"});
        if (withSave)
            data->setData(SaveMime, "save");

        QVERIFY(drop.Enter(*data, enterActions).Accepted);
        drop.Move(*data, moveActions);
        drop.Drop(*data, dropActions);
        QCOMPARE(seen, dropped);
        QCOMPARE(drop.Target.DroppedFiles().isEmpty(), dropped != QStringLiteral("files"));
    }

    // Leaving raises the files' handler only while files were being taken: here the
    // files are refused on the way when the source comes to allow moving only.
    void dragLeave_data() {
        QTest::addColumn<int>("moveActions");
        QTest::addColumn<bool>("fileHandler");
        QTest::addColumn<int>("fileLeaves");
        QTest::newRow("files dragged") << AllActions << true << 1;
        QTest::newRow("files refused") << int(Qt::MoveAction) << true << 0;
        QTest::newRow("no handler") << AllActions << false << 0;
    }
    void dragLeave() {
        QFETCH(int, moveActions);
        QFETCH(bool, fileHandler);
        QFETCH(int, fileLeaves);

        TDrop drop;
        int leaves = 0;
        if (fileHandler)
            drop.Target.OnFileDragLeave = [&](TFileDropTarget&, int& result) {
                QCOMPARE(result, 0);
                ++leaves;
            };
        QList<int> results;
        drop.Target.OnDragLeave = [&](QObject* sender, int& result) {
            QCOMPARE(sender, &drop.Target);
            results << result;
        };
        const auto data = FileData({"/games/a.sav"});
        QVERIFY(drop.Enter(*data, AllActions).Accepted);
        drop.Move(*data, moveActions);
        TDFItem* current = drop.Target.CurrentItem();
        drop.Leave();

        QCOMPARE(leaves, fileLeaves);
        QCOMPARE(results, QList<int>{0});
        QCOMPARE(drop.Target.CurrentItem(), current);
    }

    // A save item that moves or links, before a file item that copies.
    void chooseAmongItems_data() {
        QTest::addColumn<bool>("save");
        QTest::addColumn<bool>("files");
        QTest::addColumn<Qt::KeyboardModifiers>("keys");
        QTest::addColumn<int>("allowed");
        QTest::addColumn<int>("effect");
        QTest::addColumn<int>("item"); // -1: none
        const Qt::KeyboardModifiers none;
        const Qt::KeyboardModifiers shift = Qt::ShiftModifier;
        const Qt::KeyboardModifiers link = Qt::ShiftModifier | Qt::ControlModifier;
        const int copy = Qt::CopyAction;
        QTest::newRow("save, copy asked")
            << true << false << none << AllActions << int(ekMove) << 0;
        QTest::newRow("save, link asked")
            << true << false << link << AllActions << int(ekLink) << 0;
        QTest::newRow("save, copy only") << true << false << none << copy << int(ekNone) << -1;
        QTest::newRow("both, copy only") << true << true << none << copy << int(ekCopy) << 1;
        QTest::newRow("both, first wins")
            << true << true << shift << AllActions << int(ekMove) << 0;
        QTest::newRow("files, move asked")
            << false << true << shift << AllActions << int(ekCopy) << 1;
        QTest::newRow("neither") << false << false << none << AllActions << int(ekNone) << -1;
    }
    void chooseAmongItems() {
        QFETCH(bool, save);
        QFETCH(bool, files);
        QFETCH(Qt::KeyboardModifiers, keys);
        QFETCH(int, allowed);
        QFETCH(int, effect);
        QFETCH(int, item);

        TCustomOleDropTarget target;
        TDFItem& saveItem = target.Items().Add();
        saveItem.FormatName = SaveMime.toStdString();
        saveItem.DropEffects = {ekMove, ekLink};
        TDFItem& fileItem = target.Items().Add();
        fileItem.FormatName = "CF_HDROP";
        target.Items().ResolveFormats();
        QVERIFY(saveItem.FormatId >= FirstRegisteredFormat);
        QCOMPARE(fileItem.FormatId, FileListFormat);

        const auto data = files ? FileData({"/games/a.sav"}) : std::make_unique<QMimeData>();
        if (save)
            data->setData(SaveMime, "save");
        data->setText(QStringLiteral("text nobody takes"));

        QCOMPARE(int(target.ChooseDropEffect(data.get(), keys, allowed)), effect);
        QCOMPARE(target.CurrentItem(), item < 0 ? nullptr : &target.Items()[std::size_t(item)]);
    }

    // Item handlers run before the target's, and what the handlers leave in the context
    // is what the source is told.
    void handlersDecideAnswer() {
        TDrop drop;
        TCustomOleDropTarget& target = drop.Target;
        QStringList log;
        auto logAs = [&log, &target](const QString& name, int setEffect) {
            return [&log, &target, name, setEffect](QObject* sender, TDragContext& context) {
                QCOMPARE(sender, &target);
                log << QStringLiteral("%1 %2").arg(name).arg(context.Effect);
                if (setEffect >= 0)
                    context.Effect = setEffect;
            };
        };
        TDFItem& item = drop.Target.FileItem();
        item.OnDragEnter = logAs("item enter", -1);
        item.OnDragOver = logAs("item over", -1);
        item.OnDrop = logAs("item drop", -1);
        target.OnDragEnter = logAs("target enter", Qt::LinkAction);
        target.OnDragOver = logAs("target over", 0);
        target.OnDrop = logAs("target drop", Qt::MoveAction);
        const auto data = FileData({"/games/a.sav"});

        const TAnswer enter = drop.Enter(*data, AllActions);
        QVERIFY(enter.Accepted);
        QCOMPARE(enter.Action, Qt::LinkAction);
        QVERIFY(!drop.Move(*data, AllActions).Accepted);
        const TAnswer dropped = drop.Drop(*data);
        QVERIFY(dropped.Accepted);
        QCOMPARE(dropped.Action, Qt::MoveAction);
        QCOMPARE(log, QStringList({"item enter 1", "target enter 1", "item over 1", "target over 1",
                                   "item drop 0", "target drop 0"}));
    }

    // What the handlers leave in the context decides the answer of the enter, the
    // move and the drop alike: a failure Result refuses, and Effect bits for several
    // effects come down to the one the keys pick among those the source allows.
    void handlersResultAndEffect_data() {
        QTest::addColumn<int>("allowed");
        QTest::addColumn<Qt::KeyboardModifiers>("keys");
        QTest::addColumn<int>("effect"); // what the handlers set
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("answer"); // 0: refused
        const Qt::KeyboardModifiers none;
        const Qt::KeyboardModifiers shift = Qt::ShiftModifier;
        const Qt::KeyboardModifiers link = Qt::ShiftModifier | Qt::ControlModifier;
        const int copy = Qt::CopyAction, move = Qt::MoveAction, linkBit = Qt::LinkAction;
        const int failure = static_cast<int>(0x80004005u); // a failed HRESULT
        QTest::newRow("success") << AllActions << none << copy << 0 << copy;
        QTest::newRow("failure refuses") << AllActions << none << copy << failure << 0;
        QTest::newRow("failure refuses any effect")
            << AllActions << shift << (copy | move) << -1 << 0;
        QTest::newRow("positive result is no failure") << AllActions << none << copy << 1 << copy;
        QTest::newRow("copy or move, no key: copy")
            << AllActions << none << (copy | move) << 0 << copy;
        QTest::newRow("copy or move, Shift: move")
            << AllActions << shift << (copy | move) << 0 << move;
        QTest::newRow("all, Shift+Control: link")
            << AllActions << link << AllActions << 0 << linkBit;
        QTest::newRow("move or link, no key: move")
            << AllActions << none << (move | linkBit) << 0 << move;
        QTest::newRow("copy or link, Shift: copy")
            << AllActions << shift << (copy | linkBit) << 0 << copy;
        QTest::newRow("all, the source copies only") << copy << link << AllActions << 0 << copy;
        QTest::newRow("none of them allowed by the source")
            << copy << none << (move | linkBit) << 0 << 0;
        QTest::newRow("one effect the source does not allow") << copy << none << move << 0 << 0;
        QTest::newRow("no effect") << AllActions << none << 0 << 0 << 0;
    }
    void handlersResultAndEffect() {
        QFETCH(int, allowed);
        QFETCH(Qt::KeyboardModifiers, keys);
        QFETCH(int, effect);
        QFETCH(int, result);
        QFETCH(int, answer);

        const auto decide = [effect, result](QObject*, TDragContext& context) {
            context.Effect = effect;
            context.Result = result;
        };
        const auto data = FileData({"/games/a.sav"});
        // Qt sends the move and the drop only to a widget that took the enter, so
        // each step is decided on its own, the steps before it left as they are.
        for (const int step : {0, 1, 2}) {
            TDrop drop;
            (step == 0   ? drop.Target.OnDragEnter
             : step == 1 ? drop.Target.OnDragOver
                         : drop.Target.OnDrop) = decide;
            TAnswer given = drop.Enter(*data, allowed, keys);
            if (step >= 1) {
                QVERIFY(given.Accepted);
                given = drop.Move(*data, allowed, keys);
            }
            if (step == 2) {
                QVERIFY(given.Accepted);
                given = drop.Drop(*data, allowed, keys);
                // The files are taken all the same; only the source hears otherwise.
                QCOMPARE(drop.Target.DroppedFiles(), QStringList{"/games/a.sav"});
            }
            QCOMPARE(given.Accepted, answer != 0);
            if (answer != 0)
                QCOMPARE(int(given.Action), answer);
        }
    }

    void pickDropEffect_data() {
        QTest::addColumn<int>("usable"); // TDropEffects::Bits()
        QTest::addColumn<Qt::KeyboardModifiers>("keys");
        QTest::addColumn<int>("effect");
        const Qt::KeyboardModifiers shift = Qt::ShiftModifier;
        QTest::newRow("asked and usable")
            << int(TDropEffects{ekMove, ekCopy}.Bits()) << shift << int(ekMove);
        QTest::newRow("asked is not usable")
            << int(TDropEffects{ekLink, ekMove}.Bits()) << Qt::KeyboardModifiers() << int(ekMove);
        QTest::newRow("only none") << int(TDropEffects{ekNone}.Bits()) << shift << int(ekNone);
        QTest::newRow("empty") << 0 << Qt::KeyboardModifiers() << int(ekNone);
    }
    void pickDropEffect() {
        QFETCH(int, usable);
        QFETCH(Qt::KeyboardModifiers, keys);
        QFETCH(int, effect);
        TDropEffects set;
        for (const TDropEffect e : {ekNone, ekCopy, ekMove, ekLink})
            if (usable & (1 << e))
                set.Include(e);
        QCOMPARE(int(PickDropEffect(set, keys)), effect);
    }

    // Hooking makes the widget take drops; unhooking, by hand, by the target's end or
    // across a new native window, gives it back what it had.
    void hookingAcceptsDrops_data() {
        QTest::addColumn<bool>("acceptedBefore");
        QTest::newRow("widget refused drops before") << false;
        QTest::newRow("widget accepted drops before") << true;
    }
    void hookingAcceptsDrops() {
        QFETCH(bool, acceptedBefore);
        TDropWidget widget;
        widget.setAcceptDrops(acceptedBefore);
        const auto data = FileData({"/games/a.sav"});
        {
            TFileDropTarget target;
            target.SetWinControl(&widget);
            QVERIFY(widget.acceptDrops());
            QVERIFY(widget.internalWinId() != 0);
            target.SetWinControl(nullptr);
            QCOMPARE(widget.acceptDrops(), acceptedBefore);

            target.SetWinControl(&widget);
            QVERIFY(widget.acceptDrops());
            widget.destroy();
            widget.create();
            QVERIFY(target.Registered());
            QVERIFY(widget.acceptDrops());
        }
        QCOMPARE(widget.acceptDrops(), acceptedBefore);
        QCOMPARE(FindMessageSnatcher(&widget), nullptr);

        // Unhooked, the drag events are the widget's own again.
        widget.setAcceptDrops(true);
        QDragEnterEvent enter({1, 1}, Qt::DropActions::fromInt(AllActions), data.get(),
                              Qt::LeftButton, {});
        Send(widget, enter);
        QCOMPARE(widget.DragEvents, 1);
    }

    // How the main window uses it: the target belongs to the window it serves.
    void targetOwnedByItsWidget() {
        auto* window = new QWidget;
        auto* target = new TFileDropTarget(window);
        target->SetWinControl(window);
        const QPointer<TFileDropTarget> alive(target);
        delete window;
        QVERIFY(alive.isNull());
    }
};

} // namespace goalvanta

QTEST_MAIN(goalvanta::TFileDropTargetTest)
#include "FileDropTargetTest.moc"
