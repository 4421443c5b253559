#pragma once

#include <QEvent>
#include <QMetaObject>
#include <QObject>
#include <QWidget>
#include <functional>

namespace goalvanta {

// Whatever an event of a hooked widget is handed to. Returns true when it consumed
// the event, which then reaches neither later handlers nor the widget.
class IMessageHandler {
public:
    virtual bool HandleMessage(QEvent* event) = 0;

protected:
    ~IMessageHandler() = default;
};

// Stands for the widget's own processing: it consumes nothing, so whatever is handed
// to it reaches the widget as if no one had looked at it.
IMessageHandler* WidgetOwnHandler();

// A widget's message path: one event filter per widget that hands every event of the
// widget to the widget's current handler first. A widget without a path is on its
// own processing.
IMessageHandler* MessageHandlerOf(const QWidget* widget);
// Installs the path on first use; going back to the widget's own processing (null or
// WidgetOwnHandler()) removes it again.
void SetMessageHandler(QWidget* widget, IMessageHandler* handler);
bool HasMessagePath(const QWidget* widget);

class TCustomMessageSnatcher;

// The outermost snatcher hooked to `widget`, or null.
TCustomMessageSnatcher* FindMessageSnatcher(const QWidget* widget);

// One link of a doubly linked chain. Prev and Next are not owned.
class TLinkedComponent : public QObject {
    Q_OBJECT
public:
    explicit TLinkedComponent(QObject* parent = nullptr);
    ~TLinkedComponent() override;

    TLinkedComponent* Next() const noexcept { return FNext; }
    TLinkedComponent* Prev() const noexcept { return FPrev; }

    // Leaves the current chain and joins the chain of `other`, directly before it.
    void LinkBefore(TLinkedComponent* other);
    // Leaves the chain; its neighbours become each other's.
    void Unlink();

protected:
    // Called once this one sits between `next` and `prev` (either may be null).
    virtual void Linked(TLinkedComponent* next, TLinkedComponent* prev);
    // Called while this one still sits between `next` and `prev`, before it leaves.
    virtual void Unlinking(TLinkedComponent* next, TLinkedComponent* prev);

private:
    TLinkedComponent* FNext = nullptr;
    TLinkedComponent* FPrev = nullptr;
};

// Intercepts the events of a widget it does not own, without subclassing the widget.
// The snatchers of one widget form a chain: Prev is the one outside (it sees events
// first), Next the one inside. Each passes what it does not consume on to OldWndProc:
// the next snatcher, or the widget's own processing. Snatchers may be removed in any
// order, and a widget that is destroyed first unhooks all of them. A snatcher must
// not be deleted while it handles an event (deleteLater() it instead).
class TCustomMessageSnatcher : public TLinkedComponent, public IMessageHandler {
    Q_OBJECT
public:
    using TMessageEvent = std::function<void(TCustomMessageSnatcher&, QEvent*, bool& handled)>;

    explicit TCustomMessageSnatcher(QObject* parent = nullptr);
    // Subclasses that override Unhooked() must unhook in their own destructor as well:
    // by the time this one runs, their overrides are no longer called.
    ~TCustomMessageSnatcher() override;

    QWidget* Target() const noexcept { return FTarget; }
    // Leaves the current widget, then hooks `widget` as its outermost snatcher.
    // Null only unhooks.
    void SetTarget(QWidget* widget);

    // Where events go after this snatcher; null while unhooked.
    IMessageHandler* OldWndProc() const noexcept { return FOldWndProc; }

    // Called for every event PreviewMessage did not consume; it may consume it too.
    TMessageEvent OnMessage;

    bool HandleMessage(QEvent* event) final { return SnatchWndProc(event); }

protected:
    virtual void Hooked(QWidget* target);
    virtual void Unhooked(QWidget* target);
    virtual void PreviewMessage(QEvent* event, bool& handled);
    // Offers `event` to PreviewMessage, then OnMessage, then whatever comes after
    // this one; true when one of them consumed it.
    virtual bool SnatchWndProc(QEvent* event);

    void Linked(TLinkedComponent* next, TLinkedComponent* prev) override;
    void Unlinking(TLinkedComponent* next, TLinkedComponent* prev) override;

private:
    QWidget* FTarget = nullptr;
    IMessageHandler* FOldWndProc = nullptr;
    QMetaObject::Connection FTargetDestroyed;
};

// A snatcher that also follows the widget's native window: it attaches to the
// window when it hooks the widget (creating the window if there is none yet), and
// detaches from an old window and attaches to a new one as the widget's native window
// is destroyed and created again.
class TCustomWinMessageSnatcher : public TCustomMessageSnatcher {
    Q_OBJECT
public:
    explicit TCustomWinMessageSnatcher(QObject* parent = nullptr);
    // Unhooks here so that UnregisterHandle still reaches DetachHandle. Subclasses
    // overriding DetachHandle must do the same in their destructor.
    ~TCustomWinMessageSnatcher() override;

    QWidget* WinControl() const noexcept { return Target(); }
    void SetWinControl(QWidget* widget) { SetTarget(widget); }

    bool Registered() const noexcept { return FRegistered; }
    // The native window attached to; 0 while not registered.
    WId Handle() const noexcept { return FHandle; }

    void RegisterHandle();
    void UnregisterHandle();

protected:
    virtual void AttachHandle(WId handle);
    virtual void DetachHandle(WId handle);

    void Hooked(QWidget* target) override;
    void Unhooked(QWidget* target) override;
    bool SnatchWndProc(QEvent* event) override;

private:
    bool FRegistered = false;
    WId FHandle = 0;
};

} // namespace goalvanta
