#pragma once

#include "components/MessageSnatchers.h"

#include <QMimeData>
#include <QStringList>
#include <cstdint>
#include <deque>
#include <functional>
#include <initializer_list>
#include <string>

namespace goalvanta {

enum TDropEffect : std::uint8_t { ekNone = 0, ekCopy = 1, ekMove = 2, ekLink = 3 };

// A set of drop effects in one byte, bit n standing for effect n.
class TDropEffects {
public:
    constexpr TDropEffects() noexcept = default;
    constexpr TDropEffects(std::initializer_list<TDropEffect> effects) noexcept {
        for (const TDropEffect effect : effects)
            Include(effect);
    }

    constexpr std::uint8_t Bits() const noexcept { return FBits; }
    constexpr bool IsEmpty() const noexcept { return FBits == 0; }
    constexpr bool Contains(TDropEffect effect) const noexcept { return FBits & Bit(effect); }
    constexpr TDropEffects& Include(TDropEffect effect) noexcept {
        FBits |= Bit(effect);
        return *this;
    }
    constexpr TDropEffects& Exclude(TDropEffect effect) noexcept {
        FBits &= static_cast<std::uint8_t>(~Bit(effect));
        return *this;
    }

    friend constexpr TDropEffects operator&(TDropEffects a, TDropEffects b) noexcept {
        TDropEffects both;
        both.FBits = a.FBits & b.FBits;
        return both;
    }
    friend constexpr bool operator==(TDropEffects, TDropEffects) noexcept = default;

private:
    static constexpr std::uint8_t Bit(TDropEffect effect) noexcept {
        return static_cast<std::uint8_t>(1u << effect);
    }

    std::uint8_t FBits = 0;
};

// Drop-effect bits, the values of Qt::DropAction: copy 1, move 2, link 4.
TDropEffects EffectsFromDropEffect(int bits);
int DropEffectFromEffects(TDropEffects effects);

// What the keys held during a drag ask for: Shift moves, Shift+Control links, and
// everything else copies.
TDropEffect KeyStateToEffect(Qt::KeyboardModifiers keys);

// The one effect of `usable` to take while `keys` are held: the one the keys ask
// for if it is usable, else the first usable of copy, move and link; ekNone when
// none of them is.
TDropEffect PickDropEffect(TDropEffects usable, Qt::KeyboardModifiers keys);

// Numbers for data formats. The standard "CF_" names have fixed numbers (CF_TEXT 1,
// CF_HDROP 15, ...); any other name gets a number from 0xC000 upward, the same one
// every time it is asked for within the process. Names are case-sensitive. An empty
// name has no number (0).
using TFormatId = std::uint32_t;
inline constexpr TFormatId TextFormat = 1;         // CF_TEXT
inline constexpr TFormatId UnicodeTextFormat = 13; // CF_UNICODETEXT
inline constexpr TFormatId FileListFormat = 15;    // CF_HDROP
inline constexpr TFormatId FirstRegisteredFormat = 0xC000;

TFormatId FormatIdOf(const std::string& name);
// The name of a standard or registered number; empty for any other.
std::string FormatNameOf(TFormatId id);

// Whether `data` offers the format: CF_HDROP when one of its URLs at least is a local
// file, CF_TEXT and CF_UNICODETEXT when it has text, a registered format when it has
// the MIME type of that name. Null data offers nothing.
bool DataHasFormat(const QMimeData* data, TFormatId id);

// One step of a drag over a drop target, as its handlers see it.
struct TDragContext {
    const QMimeData* DataObject = nullptr;
    Qt::KeyboardModifiers KeyState;
    Qt::MouseButtons Buttons;
    // The position in the coordinates of the target's widget.
    int X = 0;
    int Y = 0;
    // Drop-effect bits: what the target will do. Handlers may change it; bits for
    // several effects are narrowed to one (PickDropEffect among those the source
    // allows), and the drag or drop is refused when the source allows none of them.
    int Effect = 0;
    // 0 (success) unless a handler says otherwise; a negative value is a failure,
    // which refuses the drag or drop whatever Effect holds.
    int Result = 0;
};

// One kind of data a drop target takes, with the effects it allows for it.
struct TDFItem {
    using TDragEvent = std::function<void(QObject* sender, TDragContext& context)>;

    TDropEffects DropEffects{ekCopy};
    std::string FormatName;
    // 0 until the name is resolved.
    TFormatId FormatId = 0;
    std::intptr_t Tag = 0;
    TDragEvent OnDragEnter;
    TDragEvent OnDragOver;
    TDragEvent OnDrop;
};

// The items of a drop target, in the order they are asked. An item keeps its address
// for as long as the list lives.
class TDFItems {
public:
    TDFItem& Add() { return FItems.emplace_back(); }
    std::size_t Count() const noexcept { return FItems.size(); }
    TDFItem& operator[](std::size_t index) { return FItems.at(index); }
    const TDFItem& operator[](std::size_t index) const { return FItems.at(index); }
    auto begin() noexcept { return FItems.begin(); }
    auto end() noexcept { return FItems.end(); }
    auto begin() const noexcept { return FItems.begin(); }
    auto end() const noexcept { return FItems.end(); }

    // Gives every item with a format name the number of that name.
    void ResolveFormats();

private:
    std::deque<TDFItem> FItems;
};

// Takes drops on its widget: while hooked, the widget accepts drops (unhooked, it
// accepts them again only if it did before), and the drag events of the widget go
// to this target instead of the widget. On entering and on
// every move, the first item whose format the data offers and whose effects meet the
// ones the source allows becomes the current item; the drop goes to the item chosen
// last.
class TCustomOleDropTarget : public TCustomWinMessageSnatcher {
    Q_OBJECT
public:
    using TDragEvent = std::function<void(QObject* sender, TDragContext& context)>;
    using TDragLeaveEvent = std::function<void(QObject* sender, int& result)>;

    explicit TCustomOleDropTarget(QObject* parent = nullptr);
    ~TCustomOleDropTarget() override;

    TDFItems& Items() noexcept { return FItems; }
    const TDFItems& Items() const noexcept { return FItems; }
    TDFItem* CurrentItem() const noexcept { return FCurrentItem; }

    // Picks the effect for data offered with `allowedBits` while `keys` are held, and
    // makes the item it belongs to current. ekNone, and no new current item, when no
    // item takes the data.
    TDropEffect ChooseDropEffect(const QMimeData* data, Qt::KeyboardModifiers keys,
                                 int allowedBits);

    TDragEvent OnDragEnter;
    TDragEvent OnDragOver;
    TDragEvent OnDrop;
    TDragLeaveEvent OnDragLeave;

protected:
    void AttachHandle(WId handle) override;
    void DetachHandle(WId handle) override;
    void PreviewMessage(QEvent* event, bool& handled) override;

    // Each runs the current item's handler, then the target's.
    virtual void DragEnter(TDragContext& context);
    virtual void DragOver(TDragContext& context);
    virtual void DragLeave(int& result);
    virtual void Drop(TDragContext& context);

private:
    TDFItems FItems;
    TDFItem* FCurrentItem = nullptr;
    // Whether the widget accepted drops before this target attached to it.
    bool FAcceptedDropsBefore = false;
};

// Takes files dropped on its widget, copying by default:
//     auto* drop = new TFileDropTarget(window);
//     drop->SetWinControl(window);
//     drop->OnFileDrop = [](TFileDropTarget& target, TDragContext&) { ... };
class TFileDropTarget : public TCustomOleDropTarget {
    Q_OBJECT
public:
    using TFileDragEvent = std::function<void(TFileDropTarget& sender, TDragContext& context)>;
    using TFileDragLeaveEvent = std::function<void(TFileDropTarget& sender, int& result)>;

    explicit TFileDropTarget(QObject* parent = nullptr);

    // The item for local files; it is one of Items().
    TDFItem& FileItem() noexcept { return FFileItem; }
    TDropEffects DropEffects() const noexcept { return FFileItem.DropEffects; }
    void SetDropEffects(TDropEffects effects) noexcept { FFileItem.DropEffects = effects; }

    // The full paths of the local files of the last drop, in the order of the data's
    // URLs; URLs of anything but local files are left out.
    QStringList DroppedFiles() const { return FDroppedFiles; }

    TFileDragEvent OnFileDragEnter;
    TFileDragEvent OnFileDragOver;
    TFileDragEvent OnFileDrop;
    // Raised only when files were being dragged over the target.
    TFileDragLeaveEvent OnFileDragLeave;

protected:
    void DragLeave(int& result) override;

private:
    TDFItem& FFileItem;
    QStringList FDroppedFiles;
};

} // namespace goalvanta
