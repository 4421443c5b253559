#pragma once

#include "game/MainPlayer.h"
#include "rules/Game.h"

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <string>
#include <vector>

namespace goalvanta::bench {

// The lightest screen the game can run on: it keeps what it is shown and draws
// nothing, so a command timed on it costs only the rules' own work. The roster
// selection is a sorted vector, as the real view hands it over.
class TBenchScreen final : public IGameScreen {
public:
    TGame* Game = nullptr; // for the status refresh that a found row triggers

    std::vector<std::int32_t> Selected;
    std::int32_t Focused = -1;
    TMainPlayerView Panel;
    std::string StatusCounts, StatusPosition;
    std::vector<TShopProduct> Shop;
    std::int32_t ShopFocused = -1;
    int Messages = 0;

    // Selects rows 0 .. count-1 and focuses the last one.
    void SelectFirst(std::int32_t count) {
        Selected.resize(static_cast<std::size_t>(count));
        std::iota(Selected.begin(), Selected.end(), 0);
        Focused = count - 1;
    }
    // Focuses the shop row offering `item`; false when the shop has none.
    bool FocusShopItem(const std::string& item) {
        const auto it = std::ranges::find(Shop, item, &TShopProduct::Item);
        ShopFocused = it == Shop.end() ? -1 : static_cast<std::int32_t>(it - Shop.begin());
        return ShopFocused != -1;
    }

    void GetSelectedIndices(TIntegerList& rows) override {
        rows.Clear();
        rows.SetCapacity(static_cast<std::int32_t>(Selected.size()));
        for (std::int32_t row : Selected)
            rows.Add(row);
    }
    std::int32_t FocusedRow() override { return Focused; }
    void BeginRosterUpdate() override {}
    void EndRosterUpdate() override {}
    void RefreshVisibleItems() override {}
    void ResetRosterView(std::int32_t, int, bool, std::int32_t row) override {
        Selected = {row};
        Focused = row;
    }
    void ShowFoundRow(std::int32_t row) override {
        Selected = {row};
        Focused = row;
        // The real view refreshes the status bar on the Left key it is handed.
        if (Game != nullptr)
            Game->Execute(TCommand::SetStatusBarText);
    }
    void ShowMainPlayerState(const TMainPlayerView& view) override { Panel = view; }
    void ShowStatusBar(const std::string& counts, const std::string& position) override {
        StatusCounts = counts;
        StatusPosition = position;
    }
    void ShowShopProducts(const std::vector<TShopProduct>& products) override {
        Shop = products;
        ShopFocused = -1;
    }
    std::optional<std::string> FocusedShopItem() override {
        if (ShopFocused < 0 || ShopFocused >= static_cast<std::int32_t>(Shop.size()))
            return std::nullopt;
        return Shop[static_cast<std::size_t>(ShopFocused)].Item;
    }
    void ShowPlayersPage() override {}
    void SetCurrentFileName(const std::string&) override {}
    TMessageResult ShowMessage(const std::string&, const std::string&, TMessageIcon,
                               TMessageButtons) override {
        ++Messages;
        return TMessageResult::Ok;
    }
    void BeginWaitCursor() override {}
    void EndWaitCursor() override {}
};

// Puts `game` where one match command wins every selected opponent, with a rest
// after each win: every result cleared, the main player above the strongest
// opponent with no weight, AutoRest owned and on, and money for all the rests.
inline void PrepareChampion(TGame& game) {
    TPlayerList& roster = *game.Roster();
    for (std::int32_t i = 0; i < roster.Count(); ++i)
        roster.Items(i).FResult = ResultNone;
    TMainPlayer& me = *game.MainPlayer();
    me.Reset();
    me.FMaxPoint = me.FPoint = TMainPlayer::MaxPointCap;
    me.FWeight = 0;
    me.FMoney = 1'000'000'000;
    me.FOwnedSettings = TMainPlayer::WithBit(me.FOwnedSettings, SettingAutoRest, true);
    me.FActiveSettings = TMainPlayer::WithBit(me.FActiveSettings, SettingAutoRest, true);
    game.Flags().GameOver = false;
}

} // namespace goalvanta::bench
