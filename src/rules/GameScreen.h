#pragma once

#include "lists/IntegerList.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace goalvanta {

enum class TMessageIcon { Information, Warning, Error, Question };
// The button sets a message can offer. OkCancel defaults to Cancel, YesNoCancel to
// Yes, so that a stray Enter never overwrites a slot.
enum class TMessageButtons { Ok, OkCancel, YesNoCancel };
enum class TMessageResult { Ok, Yes, No, Cancel };

// What the main player panel shows, computed by the rules and drawn by the window.
struct TMainPlayerView {
    struct TRow {
        std::string Name;
        std::string Value;
        friend bool operator==(const TRow&, const TRow&) = default;
    };
    std::array<TRow, 6> Rows; // Soccer Point, Wins, MaxWins, Money, Shoes, Sponsor
    bool AutoRestChecked = false;
    bool AutoRestEnabled = false;
    bool SelfJudgingChecked = false;
    bool SelfJudgingEnabled = false;
    std::vector<std::string> WeightNames; // the owned weights, in weight order
    int SelectedWeight = -1;              // position in WeightNames, -1 for none
};

// One offer of the shop.
struct TShopProduct {
    std::string Item;
    std::string Price;
    friend bool operator==(const TShopProduct&, const TShopProduct&) = default;
};

// Everything the game commands need of the screen. The main window implements it;
// tests fake it. Row numbers are roster positions (row i shows opponent i).
class IGameScreen {
public:
    virtual ~IGameScreen() = default;

    // Roster view.
    // Fills `rows` with the selected row numbers in ascending order.
    virtual void GetSelectedIndices(TIntegerList& rows) = 0;
    // The row with the keyboard focus, or -1.
    virtual std::int32_t FocusedRow() = 0;
    // Repainting of the roster view is suspended between these two calls.
    virtual void BeginRosterUpdate() = 0;
    virtual void EndRosterUpdate() = 0;
    // Repaints the roster rows in view.
    virtual void RefreshVisibleItems() = 0;
    // Puts the roster view in its starting state for a new roster of `rowCount` rows:
    // the sort mark on `sortColumn` (descending when `sortDown`), every row deselected,
    // then `row` focused, selected and scrolled fully into view.
    virtual void ResetRosterView(std::int32_t rowCount, int sortColumn, bool sortDown,
                                 std::int32_t row) = 0;
    // Makes `row` the only selected row, focuses it, scrolls it fully into view and
    // lets the view handle one press of the Left key (which refreshes the status bar).
    virtual void ShowFoundRow(std::int32_t row) = 0;

    // Other views.
    virtual void ShowMainPlayerState(const TMainPlayerView& view) = 0;
    virtual void ShowStatusBar(const std::string& counts, const std::string& position) = 0;
    virtual void ShowShopProducts(const std::vector<TShopProduct>& products) = 0;
    // The item text of the focused shop row, if a row has the focus.
    virtual std::optional<std::string> FocusedShopItem() = 0;
    virtual void ShowPlayersPage() = 0;
    // The file name both file dialogs start from.
    virtual void SetCurrentFileName(const std::string& path) = 0;

    // A modal message; returns the button chosen. Line breaks in `text` are "\r\n".
    virtual TMessageResult ShowMessage(const std::string& text, const std::string& caption,
                                       TMessageIcon icon, TMessageButtons buttons) = 0;

    // The busy cursor is shown between these two calls; they nest.
    virtual void BeginWaitCursor() = 0;
    virtual void EndWaitCursor() = 0;
};

} // namespace goalvanta
