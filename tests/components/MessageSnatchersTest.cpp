#include "components/MessageSnatchers.h"

#include <QLineEdit>
#include <QTest>
#include <memory>
#include <optional>
#include <vector>

namespace goalvanta {
namespace {

const auto ProbeEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

// A widget that writes down the probe events and native window changes it processes
// itself, and whose native window a test can destroy and create again.
class TLoggingWidget : public QWidget {
public:
    explicit TLoggingWidget(QStringList& log) : FLog(log) {}

    using QWidget::create;
    using QWidget::destroy;

protected:
    bool event(QEvent* event) override {
        if (event->type() == ProbeEvent)
            FLog << QStringLiteral("widget");
        else if (event->type() == QEvent::WinIdChange)
            FLog << QStringLiteral("widget %1").arg(internalWinId());
        return QWidget::event(event);
    }

private:
    QStringList& FLog;
};

// Writes its name for every probe event and key press it previews, and consumes them
// when told to.
class TProbe : public TCustomMessageSnatcher {
public:
    TProbe(const QString& name, QStringList& log) : FLog(log) { setObjectName(name); }
    ~TProbe() override { SetTarget(nullptr); }

    bool Consume = false;
    QList<QWidget*> Hooks;
    QList<QWidget*> Unhooks;

protected:
    void Hooked(QWidget* target) override { Hooks << target; }
    void Unhooked(QWidget* target) override { Unhooks << target; }
    void PreviewMessage(QEvent* event, bool& handled) override {
        if (event->type() != ProbeEvent && event->type() != QEvent::KeyPress)
            return;
        FLog << objectName();
        handled = Consume;
    }

private:
    QStringList& FLog;
};

// Writes down every native window it attaches to and detaches from.
class TWindowProbe : public TCustomWinMessageSnatcher {
public:
    explicit TWindowProbe(QStringList& log) : FLog(log) {}
    ~TWindowProbe() override { SetTarget(nullptr); }

protected:
    void AttachHandle(WId handle) override { FLog << QStringLiteral("attach %1").arg(handle); }
    void DetachHandle(WId handle) override { FLog << QStringLiteral("detach %1").arg(handle); }

private:
    QStringList& FLog;
};

// Stands in for someone else who installs a handler over the snatchers.
class TForeignHandler final : public IMessageHandler {
public:
    bool HandleMessage(QEvent*) override { return false; }
};

QStringList SendProbe(QWidget& widget, QStringList& log) {
    log.clear();
    QEvent probe(ProbeEvent);
    QCoreApplication::sendEvent(&widget, &probe);
    return log;
}

IMessageHandler* Handler(TCustomMessageSnatcher* snatcher) {
    return snatcher;
}

} // namespace

class TMessageSnatchersTest : public QObject {
    Q_OBJECT

private slots:
    void oneSnatcherHooksAndUnhooks() {
        QStringList log;
        TLoggingWidget widget(log);
        TProbe a(QStringLiteral("A"), log);

        a.SetTarget(&widget);
        QCOMPARE(a.Target(), &widget);
        QCOMPARE(a.Hooks, QList<QWidget*>{&widget});
        QCOMPARE(a.OldWndProc(), WidgetOwnHandler());
        QCOMPARE(MessageHandlerOf(&widget), Handler(&a));
        QCOMPARE(FindMessageSnatcher(&widget), &a);
        QCOMPARE(SendProbe(widget, log), QStringList({"A", "widget"}));

        a.SetTarget(nullptr);
        QCOMPARE(a.Target(), nullptr);
        QCOMPARE(a.OldWndProc(), nullptr);
        QCOMPARE(a.Unhooks, QList<QWidget*>{&widget});
        QCOMPARE(MessageHandlerOf(&widget), WidgetOwnHandler());
        QVERIFY(!HasMessagePath(&widget));
        QCOMPARE(FindMessageSnatcher(&widget), nullptr);
        QCOMPARE(SendProbe(widget, log), QStringList{"widget"});
    }

    void laterSnatcherSeesEventsFirst() {
        QStringList log;
        TLoggingWidget widget(log);
        TProbe a(QStringLiteral("A"), log);
        TProbe b(QStringLiteral("B"), log);
        a.SetTarget(&widget);
        b.SetTarget(&widget);

        QCOMPARE(SendProbe(widget, log), QStringList({"B", "A", "widget"}));
        QCOMPARE(FindMessageSnatcher(&widget), &b);
        QCOMPARE(MessageHandlerOf(&widget), Handler(&b));
        QCOMPARE(b.OldWndProc(), Handler(&a));
        QCOMPARE(a.OldWndProc(), WidgetOwnHandler());
        QCOMPARE(b.Next(), &a);
        QCOMPARE(a.Prev(), &b);
        QCOMPARE(a.Target(), &widget);
        QCOMPARE(b.Target(), &widget);
    }

    // A, B and C hooked in that order (so C sees events first), then removed one by
    // one; after every removal the rest must still form a working chain.
    void snatchersLeaveInAnyOrder_data() {
        QTest::addColumn<QString>("order");
        QTest::addColumn<bool>("byDeleting");
        for (const char* order : {"ABC", "ACB", "BAC", "BCA", "CAB", "CBA"})
            QTest::addRow("%s", order) << QString::fromLatin1(order) << false;
        QTest::newRow("BCA, deleting") << QStringLiteral("BCA") << true;
        QTest::newRow("CBA, deleting") << QStringLiteral("CBA") << true;
    }
    void snatchersLeaveInAnyOrder() {
        QFETCH(QString, order);
        QFETCH(bool, byDeleting);

        QStringList log;
        TLoggingWidget widget(log);
        std::vector<std::unique_ptr<TProbe>> probes;
        for (const char* name : {"A", "B", "C"}) {
            probes.push_back(std::make_unique<TProbe>(QString::fromLatin1(name), log));
            probes.back()->SetTarget(&widget);
        }
        // Outermost first.
        std::vector<TProbe*> hooked{probes[2].get(), probes[1].get(), probes[0].get()};

        for (const QChar name : order) {
            auto& leaving = probes[name.unicode() - 'A'];
            std::erase(hooked, leaving.get());
            if (byDeleting)
                leaving.reset();
            else
                leaving->SetTarget(nullptr);

            QStringList expected;
            for (std::size_t i = 0; i < hooked.size(); ++i) {
                TProbe* probe = hooked[i];
                expected << probe->objectName();
                const IMessageHandler* after =
                    i + 1 < hooked.size() ? Handler(hooked[i + 1]) : WidgetOwnHandler();
                QCOMPARE(probe->OldWndProc(), after);
            }
            expected << QStringLiteral("widget");
            QCOMPARE(SendProbe(widget, log), expected);
            TProbe* outermost = hooked.empty() ? nullptr : hooked.front();
            QCOMPARE(FindMessageSnatcher(&widget), outermost);
            QCOMPARE(MessageHandlerOf(&widget),
                     outermost ? Handler(outermost) : WidgetOwnHandler());
        }
        QVERIFY(!HasMessagePath(&widget));
    }

    // A key press is offered to B (outer), then A (inner), then the line edit, each
    // snatcher through PreviewMessage first and OnMessage second.
    void consumedEventGoesNoFurther_data() {
        QTest::addColumn<QString>("consumer");
        QTest::addColumn<QStringList>("seen");
        QTest::addColumn<QString>("text");
        QTest::newRow("nobody") << "" << QStringList({"B", "B+", "A", "A+"}) << "x";
        QTest::newRow("outer preview") << "B" << QStringList({"B"}) << "";
        QTest::newRow("outer OnMessage") << "B+" << QStringList({"B", "B+"}) << "";
        QTest::newRow("inner preview") << "A" << QStringList({"B", "B+", "A"}) << "";
        QTest::newRow("inner OnMessage") << "A+" << QStringList({"B", "B+", "A", "A+"}) << "";
    }
    void consumedEventGoesNoFurther() {
        QFETCH(QString, consumer);
        QFETCH(QStringList, seen);
        QFETCH(QString, text);

        QStringList log;
        QLineEdit edit;
        TProbe a(QStringLiteral("A"), log);
        TProbe b(QStringLiteral("B"), log);
        for (TProbe* probe : {&a, &b}) {
            probe->Consume = consumer == probe->objectName();
            probe->OnMessage = [&log, &consumer, probe](TCustomMessageSnatcher& sender,
                                                        QEvent* event, bool& handled) {
                if (event->type() != QEvent::KeyPress)
                    return;
                QCOMPARE(&sender, probe);
                log << sender.objectName() + QStringLiteral("+");
                handled = consumer == log.last();
            };
            probe->SetTarget(&edit);
        }

        QTest::keyClick(&edit, Qt::Key_X);
        QCOMPARE(log, seen);
        QCOMPARE(edit.text(), text);
    }

    void foreignHandlerIsLeftInPlace() {
        QStringList log;
        // The widget's storage outlives it, so its address can be looked up after it is gone.
        std::optional<TLoggingWidget> widget(std::in_place, log);
        const QWidget* key = &*widget;
        TProbe a(QStringLiteral("A"), log);
        TForeignHandler foreign;
        a.SetTarget(&*widget);
        SetMessageHandler(&*widget, &foreign);

        a.SetTarget(nullptr);
        QCOMPARE(MessageHandlerOf(key), &foreign);
        QCOMPARE(FindMessageSnatcher(key), nullptr);
        QCOMPARE(SendProbe(*widget, log), QStringList{"widget"});

        // Nothing but the widget's end takes the path away now.
        widget.reset();
        QVERIFY(!HasMessagePath(key));
    }

    void windowSnatcherFollowsNativeWindow() {
        QStringList log;
        TLoggingWidget widget(log);
        TWindowProbe snatcher(log);

        snatcher.SetWinControl(&widget);
        const WId first = widget.internalWinId();
        QVERIFY(first != 0);
        QVERIFY(snatcher.Registered());
        QCOMPARE(snatcher.Handle(), first);
        QCOMPARE(log, QStringList({QStringLiteral("widget %1").arg(first),
                                   QStringLiteral("attach %1").arg(first)}));

        log.clear();
        widget.destroy();
        QVERIFY(!snatcher.Registered());
        QCOMPARE(log, QStringList({QStringLiteral("detach %1").arg(first), "widget 0"}));

        log.clear();
        widget.create();
        const WId second = widget.internalWinId();
        QVERIFY(second != 0);
        QCOMPARE(snatcher.Handle(), second);
        QCOMPARE(log, QStringList({QStringLiteral("attach %1").arg(second),
                                   QStringLiteral("widget %1").arg(second)}));

        log.clear();
        snatcher.SetWinControl(nullptr);
        QVERIFY(!snatcher.Registered());
        QCOMPARE(log, QStringList{QStringLiteral("detach %1").arg(second)});
    }

    void destroyingWidgetUnhooksEverySnatcher() {
        QStringList log;
        std::optional<TLoggingWidget> widget(std::in_place, log);
        QWidget* key = &*widget;
        TProbe a(QStringLiteral("A"), log);
        TWindowProbe window(log);
        TProbe b(QStringLiteral("B"), log);
        a.SetTarget(key);
        window.SetWinControl(key);
        b.SetTarget(key);
        const WId handle = widget->internalWinId();

        log.clear();
        widget.reset();

        QCOMPARE(log, QStringList{QStringLiteral("detach %1").arg(handle)});
        for (TCustomMessageSnatcher* snatcher :
             std::initializer_list<TCustomMessageSnatcher*>{&a, &window, &b}) {
            QCOMPARE(snatcher->Target(), nullptr);
            QCOMPARE(snatcher->OldWndProc(), nullptr);
            QCOMPARE(snatcher->Next(), nullptr);
            QCOMPARE(snatcher->Prev(), nullptr);
        }
        QCOMPARE(a.Unhooks, QList<QWidget*>{key});
        QCOMPARE(b.Unhooks, QList<QWidget*>{key});
        QCOMPARE(FindMessageSnatcher(key), nullptr);
        QVERIFY(!HasMessagePath(key));
    }
};

} // namespace goalvanta

QTEST_MAIN(goalvanta::TMessageSnatchersTest)
#include "MessageSnatchersTest.moc"
