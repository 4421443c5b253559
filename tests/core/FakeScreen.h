#pragma once

#include "rules/Game.h"

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace goalvanta::test {

// A screen that remembers what the game asked of it. The roster "view" is a set of
// selected rows and a focused row; the shop is its list of offers and a focused row.
class TFakeScreen : public IGameScreen {
public:
    struct TMessage {
        std::string Text;
        std::string Caption;
        TMessageIcon Icon;
        TMessageButtons Buttons;
        TMainPlayer MainPlayer; // the model as it stood while the message was open
        TGameFlags Flags;
        TMainPlayerView Panel; // the panel the message opened over
    };

    TGame* Game = nullptr; // to take snapshots while a message is open

    std::set<std::int32_t> Selected;
    std::int32_t Focused = -1;
    std::int32_t RowCount = 0;
    int SortColumn = -1;
    bool SortDown = false;
    int UpdateDepth = 0;
    int WaitDepth = 0;
    std::vector<std::string> Log; // every call that changes what is shown, in order
    TMainPlayerView Panel;
    std::string StatusCounts, StatusPosition;
    std::vector<TShopProduct> Shop;
    std::int32_t ShopFocused = -1;
    std::string CurrentFileName;
    std::vector<TMessage> Messages;
    TMessageResult Answer = TMessageResult::Ok;

    void Select(std::initializer_list<std::int32_t> rows) {
        Selected = rows;
        Focused = rows.size() ? *std::prev(rows.end()) : -1;
    }
    void SelectRows(const std::vector<std::int32_t>& rows) {
        Selected = {rows.begin(), rows.end()};
        Focused = rows.empty() ? -1 : rows.back();
    }
    // Focuses the shop row whose item is `item`; false when the shop has none.
    bool FocusShopItem(const std::string& item) {
        const auto it = std::find_if(Shop.begin(), Shop.end(),
                                     [&](const TShopProduct& p) { return p.Item == item; });
        ShopFocused = it == Shop.end() ? -1 : static_cast<std::int32_t>(it - Shop.begin());
        return ShopFocused != -1;
    }
    int Count(const std::string& entry) const {
        return static_cast<int>(std::count(Log.begin(), Log.end(), entry));
    }

    void GetSelectedIndices(TIntegerList& rows) override {
        rows.Clear();
        for (std::int32_t row : Selected)
            rows.Add(row);
    }
    std::int32_t FocusedRow() override { return Focused; }
    void BeginRosterUpdate() override { ++UpdateDepth; }
    void EndRosterUpdate() override { --UpdateDepth; }
    void RefreshVisibleItems() override { Log.push_back("refresh-rows"); }
    void ResetRosterView(std::int32_t rowCount, int sortColumn, bool sortDown,
                         std::int32_t row) override {
        RowCount = rowCount;
        SortColumn = sortColumn;
        SortDown = sortDown;
        Selected = {row};
        Focused = row;
        Log.push_back("reset-roster");
    }
    void ShowFoundRow(std::int32_t row) override {
        Selected = {row};
        Focused = row;
        Log.push_back("found " + std::to_string(row));
        // The Left key's release refreshes the status bar, as the real view does.
        if (Game)
            Game->Execute(TCommand::SetStatusBarText);
    }
    void ShowMainPlayerState(const TMainPlayerView& view) override {
        Panel = view;
        Log.push_back("panel");
    }
    void ShowStatusBar(const std::string& counts, const std::string& position) override {
        StatusCounts = counts;
        StatusPosition = position;
        Log.push_back("status");
    }
    void ShowShopProducts(const std::vector<TShopProduct>& products) override {
        Shop = products;
        ShopFocused = -1;
        Log.push_back("shop");
    }
    std::optional<std::string> FocusedShopItem() override {
        if (ShopFocused < 0 || ShopFocused >= static_cast<std::int32_t>(Shop.size()))
            return std::nullopt;
        return Shop[static_cast<std::size_t>(ShopFocused)].Item;
    }
    void ShowPlayersPage() override { Log.push_back("players-page"); }
    void SetCurrentFileName(const std::string& path) override { CurrentFileName = path; }
    TMessageResult ShowMessage(const std::string& text, const std::string& caption,
                               TMessageIcon icon, TMessageButtons buttons) override {
        TMessage m{text, caption, icon, buttons, {}, {}, Panel};
        if (Game && Game->MainPlayer())
            m.MainPlayer = *Game->MainPlayer();
        if (Game)
            m.Flags = Game->Flags();
        Messages.push_back(m);
        Log.push_back("message");
        return Answer;
    }
    void BeginWaitCursor() override { ++WaitDepth; }
    void EndWaitCursor() override { --WaitDepth; }
};

// A game on a fake screen, started fresh.
struct TGameFixture {
    TFakeScreen Screen;
    TGame Game{Screen};

    TGameFixture() {
        Screen.Game = &Game;
        Game.NewGame();
        Screen.Log.clear();
    }
    TMainPlayer& Me() { return *Game.MainPlayer(); }
    TPlayerList& Roster() { return *Game.Roster(); }
    // Row of the opponent with `points`, whether known or not; -1 if none.
    std::int32_t RowOf(std::int32_t points) {
        for (std::int32_t i = 0; i < Roster().Count(); ++i)
            if (Roster().Items(i).FSoccerPoint == points)
                return i;
        return -1;
    }
};

} // namespace goalvanta::test
