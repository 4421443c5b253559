#include "components/FileDropTarget.h"

#include <QDropEvent>
#include <QUrl>
#include <algorithm>
#include <array>
#include <mutex>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace goalvanta {

namespace {

struct TStandardFormat {
    std::string_view Name;
    TFormatId Id;
};

constexpr std::array<TStandardFormat, 22> StandardFormats{{
    {"CF_TEXT", 1},
    {"CF_BITMAP", 2},
    {"CF_METAFILEPICT", 3},
    {"CF_SYLK", 4},
    {"CF_DIF", 5},
    {"CF_TIFF", 6},
    {"CF_OEMTEXT", 7},
    {"CF_DIB", 8},
    {"CF_PALETTE", 9},
    {"CF_PENDATA", 10},
    {"CF_RIFF", 11},
    {"CF_WAVE", 12},
    {"CF_UNICODETEXT", 13},
    {"CF_ENHMETAFILE", 14},
    {"CF_HDROP", 15},
    {"CF_LOCALE", 16},
    {"CF_MAX", 17},
    {"CF_OWNERDISPLAY", 128},
    {"CF_DSPTEXT", 129},
    {"CF_DSPBITMAP", 130},
    {"CF_DSPMETAFILEPICT", 131},
    {"CF_DSPENHMETAFILE", 142},
}};

// Every other format name asked for in this process, numbered in the order of first use.
class TFormatRegistry {
public:
    TFormatId IdOf(const std::string& name) {
        const std::lock_guard lock(FMutex);
        const auto [found, added] =
            FIds.try_emplace(name, FirstRegisteredFormat + static_cast<TFormatId>(FNames.size()));
        if (added)
            FNames.push_back(name);
        return found->second;
    }

    std::string NameOf(TFormatId id) {
        const std::lock_guard lock(FMutex);
        if (id < FirstRegisteredFormat || id - FirstRegisteredFormat >= FNames.size())
            return {};
        return FNames[id - FirstRegisteredFormat];
    }

private:
    std::mutex FMutex;
    std::unordered_map<std::string, TFormatId> FIds;
    std::vector<std::string> FNames;
};

TFormatRegistry& FormatRegistry() {
    static TFormatRegistry registry;
    return registry;
}

// What the target does instead when the keys ask for an effect it does not allow.
constexpr std::array FallbackEffects{ekCopy, ekMove, ekLink};

constexpr int CopyBit = Qt::CopyAction;
constexpr int MoveBit = Qt::MoveAction;
constexpr int LinkBit = Qt::LinkAction;

TDragContext ContextOf(const QDropEvent& event) {
    TDragContext context;
    context.DataObject = event.mimeData();
    context.KeyState = event.modifiers();
    context.Buttons = event.buttons();
    const QPoint position = event.position().toPoint();
    context.X = position.x();
    context.Y = position.y();
    return context;
}

// Tells the source what the handlers left in the context: nothing after a failure,
// else the one effect the keys pick among those both the handlers and the source
// allow, or nothing when there is none.
void Answer(QDropEvent& event, const TDragContext& context) {
    if (context.Result < 0) {
        event.ignore();
        return;
    }
    const TDropEffect effect =
        PickDropEffect(EffectsFromDropEffect(context.Effect) &
                           EffectsFromDropEffect(event.possibleActions().toInt()),
                       event.modifiers());
    if (effect == ekNone) {
        event.ignore();
        return;
    }
    event.setDropAction(static_cast<Qt::DropAction>(DropEffectFromEffects({effect})));
    event.accept();
}

QStringList LocalFilesOf(const QMimeData* data) {
    QStringList files;
    if (!data)
        return files;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            files << url.toLocalFile();
    return files;
}

} // namespace

TDropEffects EffectsFromDropEffect(int bits) {
    TDropEffects effects;
    if (bits & CopyBit)
        effects.Include(ekCopy);
    if (bits & MoveBit)
        effects.Include(ekMove);
    if (bits & LinkBit)
        effects.Include(ekLink);
    return effects;
}

int DropEffectFromEffects(TDropEffects effects) {
    int bits = 0;
    if (effects.Contains(ekCopy))
        bits |= CopyBit;
    if (effects.Contains(ekMove))
        bits |= MoveBit;
    if (effects.Contains(ekLink))
        bits |= LinkBit;
    return bits;
}

TDropEffect KeyStateToEffect(Qt::KeyboardModifiers keys) {
    if (!keys.testFlag(Qt::ShiftModifier))
        return ekCopy;
    return keys.testFlag(Qt::ControlModifier) ? ekLink : ekMove;
}

TDropEffect PickDropEffect(TDropEffects usable, Qt::KeyboardModifiers keys) {
    const TDropEffect asked = KeyStateToEffect(keys);
    if (usable.Contains(asked))
        return asked;
    const auto fallback = std::ranges::find_if(
        FallbackEffects, [usable](TDropEffect e) { return usable.Contains(e); });
    return fallback == FallbackEffects.end() ? ekNone : *fallback;
}

TFormatId FormatIdOf(const std::string& name) {
    if (name.empty())
        return 0;
    if (name.starts_with("CF_")) {
        const auto standard = std::ranges::find(StandardFormats, name, &TStandardFormat::Name);
        if (standard != StandardFormats.end())
            return standard->Id;
    }
    return FormatRegistry().IdOf(name);
}

std::string FormatNameOf(TFormatId id) {
    const auto standard = std::ranges::find(StandardFormats, id, &TStandardFormat::Id);
    if (standard != StandardFormats.end())
        return std::string(standard->Name);
    return FormatRegistry().NameOf(id);
}

bool DataHasFormat(const QMimeData* data, TFormatId id) {
    if (!data || id == 0)
        return false;
    switch (id) {
    case FileListFormat: {
        const QList<QUrl> urls = data->urls();
        return std::ranges::any_of(urls, &QUrl::isLocalFile);
    }
    case TextFormat:
    case UnicodeTextFormat:
        return data->hasText();
    default:
        break;
    }
    if (id < FirstRegisteredFormat)
        return false;
    const std::string name = FormatNameOf(id);
    return !name.empty() && data->hasFormat(QString::fromStdString(name));
}

void TDFItems::ResolveFormats() {
    for (TDFItem& item : FItems)
        if (!item.FormatName.empty())
            item.FormatId = FormatIdOf(item.FormatName);
}

// --- TCustomOleDropTarget --------------------------------------------------------

TCustomOleDropTarget::TCustomOleDropTarget(QObject* parent) : TCustomWinMessageSnatcher(parent) {}

TCustomOleDropTarget::~TCustomOleDropTarget() {
    SetTarget(nullptr);
}

TDropEffect TCustomOleDropTarget::ChooseDropEffect(const QMimeData* data,
                                                   Qt::KeyboardModifiers keys, int allowedBits) {
    const TDropEffects allowed = EffectsFromDropEffect(allowedBits);
    for (TDFItem& item : FItems) {
        if (!DataHasFormat(data, item.FormatId))
            continue;
        const TDropEffects usable = item.DropEffects & allowed;
        if (usable.IsEmpty())
            continue;
        // An item that allows only ekNone takes the data but chooses nothing.
        const TDropEffect effect = PickDropEffect(usable, keys);
        if (effect == ekNone)
            return ekNone;
        FCurrentItem = &item;
        return effect;
    }
    return ekNone;
}

void TCustomOleDropTarget::AttachHandle(WId) {
    FAcceptedDropsBefore = Target()->acceptDrops();
    Target()->setAcceptDrops(true);
}

void TCustomOleDropTarget::DetachHandle(WId) {
    Target()->setAcceptDrops(FAcceptedDropsBefore);
}

void TCustomOleDropTarget::PreviewMessage(QEvent* event, bool& handled) {
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        // Keys may change during the drag, so every move decides anew.
        auto& drag = static_cast<QDragMoveEvent&>(*event);
        FCurrentItem = nullptr;
        const TDropEffect effect =
            ChooseDropEffect(drag.mimeData(), drag.modifiers(), drag.possibleActions().toInt());
        TDragContext context = ContextOf(drag);
        context.Effect = DropEffectFromEffects({effect});
        if (event->type() == QEvent::DragEnter)
            DragEnter(context);
        else
            DragOver(context);
        Answer(drag, context);
        handled = true;
        break;
    }
    case QEvent::DragLeave: {
        int result = 0;
        DragLeave(result);
        handled = true;
        break;
    }
    case QEvent::Drop: {
        // The drop goes to the item the last enter or move chose; it is not decided again.
        auto& drop = static_cast<QDropEvent&>(*event);
        TDragContext context = ContextOf(drop);
        Drop(context);
        Answer(drop, context);
        handled = true;
        break;
    }
    default:
        TCustomWinMessageSnatcher::PreviewMessage(event, handled);
        break;
    }
}

void TCustomOleDropTarget::DragEnter(TDragContext& context) {
    if (FCurrentItem && FCurrentItem->OnDragEnter)
        FCurrentItem->OnDragEnter(this, context);
    if (OnDragEnter)
        OnDragEnter(this, context);
}

void TCustomOleDropTarget::DragOver(TDragContext& context) {
    if (FCurrentItem && FCurrentItem->OnDragOver)
        FCurrentItem->OnDragOver(this, context);
    if (OnDragOver)
        OnDragOver(this, context);
}

void TCustomOleDropTarget::DragLeave(int& result) {
    if (OnDragLeave)
        OnDragLeave(this, result);
}

void TCustomOleDropTarget::Drop(TDragContext& context) {
    if (FCurrentItem && FCurrentItem->OnDrop)
        FCurrentItem->OnDrop(this, context);
    if (OnDrop)
        OnDrop(this, context);
}

// --- TFileDropTarget -------------------------------------------------------------

TFileDropTarget::TFileDropTarget(QObject* parent)
    : TCustomOleDropTarget(parent), FFileItem(Items().Add()) {
    FFileItem.DropEffects = {ekCopy};
    FFileItem.FormatName = "CF_HDROP";
    FFileItem.FormatId = FormatIdOf(FFileItem.FormatName);
    FFileItem.OnDragEnter = [this](QObject*, TDragContext& context) {
        if (OnFileDragEnter)
            OnFileDragEnter(*this, context);
    };
    FFileItem.OnDragOver = [this](QObject*, TDragContext& context) {
        if (OnFileDragOver)
            OnFileDragOver(*this, context);
    };
    FFileItem.OnDrop = [this](QObject*, TDragContext& context) {
        FDroppedFiles = LocalFilesOf(context.DataObject);
        if (OnFileDrop)
            OnFileDrop(*this, context);
    };
}

void TFileDropTarget::DragLeave(int& result) {
    // Like entering and dropping, the files' handler comes before the target's.
    if (CurrentItem() && OnFileDragLeave)
        OnFileDragLeave(*this, result);
    TCustomOleDropTarget::DragLeave(result);
}

} // namespace goalvanta
