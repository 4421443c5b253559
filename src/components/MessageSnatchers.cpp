#include "components/MessageSnatchers.h"

#include <QHash>

namespace goalvanta {

namespace {

class TWidgetOwnHandler final : public IMessageHandler {
public:
    bool HandleMessage(QEvent*) override { return false; }
};

// The event filter behind one widget's message path. A handler may remove the path
// while it handles one of the path's events (a snatcher unhooking itself, say), so a
// path removed during a dispatch only goes away once that dispatch has returned.
class TMessagePath final : public QObject {
public:
    TMessagePath(QWidget* widget, IMessageHandler* handler) : FWidget(widget), FHandler(handler) {
        widget->installEventFilter(this);
    }

    IMessageHandler* Handler() const noexcept { return FHandler; }
    void SetHandler(IMessageHandler* handler) noexcept { FHandler = handler; }

    // Takes the path off its widget and deletes it as soon as no dispatch is running.
    void Remove() {
        FWidget->removeEventFilter(this);
        FHandler = nullptr;
        if (FDispatching > 0)
            FRemoved = true;
        else
            delete this;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* FWidget;
    IMessageHandler* FHandler;
    int FDispatching = 0;
    bool FRemoved = false;
};

QHash<const QWidget*, TMessagePath*>& MessagePaths() {
    static QHash<const QWidget*, TMessagePath*> paths;
    return paths;
}

// Each hooked widget mapped to its outermost snatcher.
QHash<const QWidget*, TCustomMessageSnatcher*>& OutermostSnatchers() {
    static QHash<const QWidget*, TCustomMessageSnatcher*> snatchers;
    return snatchers;
}

bool TMessagePath::eventFilter(QObject* watched, QEvent* event) {
    if (watched != FWidget || !FHandler)
        return false;
    ++FDispatching;
    const bool handled = FHandler->HandleMessage(event);
    // The last event a widget gets: a handler that is not a snatcher may still be
    // installed, and nothing else would take the path away.
    if (event->type() == QEvent::Destroy && !FRemoved)
        SetMessageHandler(FWidget, nullptr);
    if (--FDispatching == 0 && FRemoved)
        delete this;
    return handled;
}

TCustomMessageSnatcher* AsSnatcher(TLinkedComponent* link) {
    return qobject_cast<TCustomMessageSnatcher*>(link);
}

} // namespace

IMessageHandler* WidgetOwnHandler() {
    static TWidgetOwnHandler handler;
    return &handler;
}

IMessageHandler* MessageHandlerOf(const QWidget* widget) {
    const TMessagePath* path = MessagePaths().value(widget);
    return path ? path->Handler() : WidgetOwnHandler();
}

void SetMessageHandler(QWidget* widget, IMessageHandler* handler) {
    if (!widget)
        return;
    auto& paths = MessagePaths();
    const auto found = paths.find(widget);
    if (!handler || handler == WidgetOwnHandler()) {
        if (found == paths.end())
            return;
        TMessagePath* path = found.value();
        paths.erase(found);
        path->Remove();
    } else if (found != paths.end()) {
        found.value()->SetHandler(handler);
    } else {
        paths.insert(widget, new TMessagePath(widget, handler));
    }
}

bool HasMessagePath(const QWidget* widget) {
    return MessagePaths().contains(widget);
}

TCustomMessageSnatcher* FindMessageSnatcher(const QWidget* widget) {
    return OutermostSnatchers().value(widget);
}

// --- TLinkedComponent ------------------------------------------------------------

TLinkedComponent::TLinkedComponent(QObject* parent) : QObject(parent) {}

TLinkedComponent::~TLinkedComponent() {
    Unlink();
}

void TLinkedComponent::LinkBefore(TLinkedComponent* other) {
    if (!other || other == this)
        return;
    Unlink();
    FNext = other;
    FPrev = other->FPrev;
    if (FPrev)
        FPrev->FNext = this;
    other->FPrev = this;
    Linked(FNext, FPrev);
}

void TLinkedComponent::Unlink() {
    Unlinking(FNext, FPrev);
    if (FPrev)
        FPrev->FNext = FNext;
    if (FNext)
        FNext->FPrev = FPrev;
    FNext = nullptr;
    FPrev = nullptr;
}

void TLinkedComponent::Linked(TLinkedComponent*, TLinkedComponent*) {}

void TLinkedComponent::Unlinking(TLinkedComponent*, TLinkedComponent*) {}

// --- TCustomMessageSnatcher ------------------------------------------------------

TCustomMessageSnatcher::TCustomMessageSnatcher(QObject* parent) : TLinkedComponent(parent) {}

TCustomMessageSnatcher::~TCustomMessageSnatcher() {
    SetTarget(nullptr);
    Unlink();
}

void TCustomMessageSnatcher::SetTarget(QWidget* widget) {
    // Links left over from a chain without a widget would otherwise be taken for
    // neighbours on the new widget.
    if (FTarget || Next() || Prev())
        Unlink();
    if (!widget)
        return;
    if (TCustomMessageSnatcher* outermost = FindMessageSnatcher(widget)) {
        LinkBefore(outermost);
        return;
    }
    FTarget = widget;
    Linked(nullptr, nullptr);
}

void TCustomMessageSnatcher::Hooked(QWidget*) {}

void TCustomMessageSnatcher::Unhooked(QWidget*) {}

void TCustomMessageSnatcher::PreviewMessage(QEvent*, bool&) {}

bool TCustomMessageSnatcher::SnatchWndProc(QEvent* event) {
    bool handled = false;
    PreviewMessage(event, handled);
    if (!handled && OnMessage)
        OnMessage(*this, event, handled);
    if (!handled && FOldWndProc)
        handled = FOldWndProc->HandleMessage(event);
    return handled;
}

void TCustomMessageSnatcher::Linked(TLinkedComponent* next, TLinkedComponent* prev) {
    TCustomMessageSnatcher* inner = AsSnatcher(next);
    TCustomMessageSnatcher* outer = AsSnatcher(prev);
    if (inner)
        FTarget = inner->FTarget;
    else if (outer)
        FTarget = outer->FTarget;
    if (!FTarget)
        return;

    QWidget* widget = FTarget;
    Hooked(widget);
    FTargetDestroyed = connect(widget, &QObject::destroyed, this, [this] { SetTarget(nullptr); });
    FOldWndProc = inner ? static_cast<IMessageHandler*>(inner) : MessageHandlerOf(widget);
    if (outer) {
        outer->FOldWndProc = this;
    } else {
        SetMessageHandler(widget, this);
        OutermostSnatchers().insert(widget, this);
    }
}

void TCustomMessageSnatcher::Unlinking(TLinkedComponent* next, TLinkedComponent* prev) {
    if (!FTarget)
        return;
    QWidget* widget = FTarget;
    TCustomMessageSnatcher* inner = AsSnatcher(next);
    TCustomMessageSnatcher* outer = AsSnatcher(prev);

    // A handler installed over this one by someone else stays; it still passes
    // events on to whatever it found, so only the chain behind it is repaired.
    if (MessageHandlerOf(widget) == this)
        SetMessageHandler(widget, inner ? static_cast<IMessageHandler*>(inner) : FOldWndProc);
    if (outer)
        outer->FOldWndProc = FOldWndProc;
    auto& snatchers = OutermostSnatchers();
    if (snatchers.value(widget) == this) {
        snatchers.remove(widget);
        if (inner)
            snatchers.insert(widget, inner);
    }

    FOldWndProc = nullptr;
    disconnect(FTargetDestroyed);
    Unhooked(widget);
    FTarget = nullptr;
}

// --- TCustomWinMessageSnatcher ---------------------------------------------------

TCustomWinMessageSnatcher::TCustomWinMessageSnatcher(QObject* parent)
    : TCustomMessageSnatcher(parent) {}

TCustomWinMessageSnatcher::~TCustomWinMessageSnatcher() {
    SetTarget(nullptr);
}

void TCustomWinMessageSnatcher::RegisterHandle() {
    QWidget* widget = Target();
    if (FRegistered || !widget)
        return;
    // Creating the native window sends its creation through the message path, where
    // this one may already have registered.
    const WId handle = widget->winId();
    if (FRegistered || handle == 0)
        return;
    FHandle = handle;
    AttachHandle(handle);
    FRegistered = true;
}

void TCustomWinMessageSnatcher::UnregisterHandle() {
    if (!FRegistered)
        return;
    DetachHandle(FHandle);
    FRegistered = false;
    FHandle = 0;
}

void TCustomWinMessageSnatcher::AttachHandle(WId) {}

void TCustomWinMessageSnatcher::DetachHandle(WId) {}

void TCustomWinMessageSnatcher::Hooked(QWidget*) {
    RegisterHandle();
}

void TCustomWinMessageSnatcher::Unhooked(QWidget*) {
    UnregisterHandle();
}

bool TCustomWinMessageSnatcher::SnatchWndProc(QEvent* event) {
    // The widget announces every new native window, and its loss (a null id), after
    // the fact but before it processes the change itself; the id attached to is kept
    // so that the old window can still be named when it is gone.
    if (event->type() == QEvent::WinIdChange) {
        if (QWidget* widget = Target()) {
            const WId handle = widget->internalWinId();
            if (FRegistered && handle != FHandle)
                UnregisterHandle();
            if (handle != 0)
                RegisterHandle();
        }
    }
    return TCustomMessageSnatcher::SnatchWndProc(event);
}

} // namespace goalvanta
