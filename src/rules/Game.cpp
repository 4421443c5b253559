#include "rules/Game.h"

#include "game/GameTables.h"
#include "game/NumberFormat.h"
#include "savedata/SaveGameData.h"

#include <exception>

namespace goalvanta {

namespace {

// The busy cursor for the life of a command, restored on every way out.
class TWaitCursor {
public:
    explicit TWaitCursor(IGameScreen& screen) : FScreen(screen) { FScreen.BeginWaitCursor(); }
    ~TWaitCursor() { FScreen.EndWaitCursor(); }
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;

private:
    IGameScreen& FScreen;
};

// Roster repainting suspended for the life of a match command.
class TRosterUpdate {
public:
    explicit TRosterUpdate(IGameScreen& screen) : FScreen(screen) { FScreen.BeginRosterUpdate(); }
    ~TRosterUpdate() { FScreen.EndRosterUpdate(); }
    TRosterUpdate(const TRosterUpdate&) = delete;
    TRosterUpdate& operator=(const TRosterUpdate&) = delete;

private:
    IGameScreen& FScreen;
};

} // namespace

// Holds the panel's refreshes for its life; see TGame::MainPlayerStateView.
class TGame::TPanelHold {
public:
    explicit TPanelHold(TGame& game) : FGame(game) { ++FGame.FPanelHolds; }
    ~TPanelHold() {
        if (--FGame.FPanelHolds > 0)
            return;
        // Drawing may throw, which must not happen while an error unwinds.
        if (std::uncaught_exceptions() > FUnwinding)
            FGame.FHeldMainPlayer.reset();
        else
            FGame.ShowHeldMainPlayerState();
    }
    TPanelHold(const TPanelHold&) = delete;
    TPanelHold& operator=(const TPanelHold&) = delete;

private:
    TGame& FGame;
    const int FUnwinding = std::uncaught_exceptions();
};

namespace {

constexpr const char* InformationCaption = "Information";
constexpr const char* AbortCaption = "Abort";

} // namespace

TGame::TGame(IGameScreen& screen)
    : FScreen(screen), FOwnStorage(std::make_unique<TStdSaveStorage>()), FStorage(*FOwnStorage) {}

TGame::TGame(IGameScreen& screen, ISaveStorage& storage) : FScreen(screen), FStorage(storage) {}

bool TGame::IsEnabled(TCommand command) const noexcept {
    if (!FMainPlayer || !FRoster)
        return false;
    switch (command) {
    case TCommand::Game:
    case TCommand::Rest:
    case TCommand::Buy:
        return !FFlags.GameOver;
    default:
        return true;
    }
}

bool TGame::Execute(TCommand command) {
    if (!IsEnabled(command))
        return false;
    switch (command) {
    case TCommand::Game:
        PlayMatches();
        break;
    case TCommand::Rest:
        Rest();
        break;
    case TCommand::Restart:
        Restart();
        break;
    case TCommand::SetShopProducts:
        SetShopProducts();
        break;
    case TCommand::Buy:
        Buy();
        break;
    case TCommand::InvestigatePlayers:
        InvestigatePlayers();
        break;
    case TCommand::SelectThePoorest:
        SelectThePoorest();
        break;
    case TCommand::SelectTheNextUnknown:
        SelectTheNextUnknown();
        break;
    case TCommand::MainPlayerStateView:
        MainPlayerStateView();
        break;
    case TCommand::SetStatusBarText:
        SetStatusBarText();
        break;
    }
    return true;
}

void TGame::NewGame() {
    TWaitCursor wait(FScreen);
    FFlags.GameOver = false;
    FMainPlayer.reset();
    FRoster.reset();
    FMainPlayer = std::make_unique<TMainPlayer>();
    FRoster = std::make_unique<TPlayerList>();
    FRoster->Generate();
    FScreen.ResetRosterView(FRoster->Count(), PointsColumn, true,
                            std::min(StartRow, FRoster->Count() - 1));
    FScreen.ShowPlayersPage();
    FScreen.RefreshVisibleItems();
    Execute(TCommand::MainPlayerStateView);
    FFlags.Modified = false;
    FFlags.FreshGame = true;
}

// --- Match play -----------------------------------------------------------------

std::int64_t TGame::SelectedKnownPointsSum() {
    TIntegerList rows;
    FScreen.GetSelectedIndices(rows);
    std::int64_t sum = 0;
    for (std::int32_t row : rows) {
        const TPlayer& opponent = FRoster->Items(row);
        if (!opponent.FUnknown && opponent.FResult == ResultNone)
            sum += opponent.FSoccerPoint;
    }
    return sum;
}

void TGame::PlayMatches() {
    TWaitCursor wait(FScreen);
    TMainPlayer& me = *FMainPlayer;

    // SelfJudging refuses, silently, a selection whose known points would use up
    // all of the current points. Hidden opponents are not counted but still played.
    if (me.IsSettingActive(SettingSelfJudging) &&
        !(SelectedKnownPointsSum() < std::int64_t{me.GetPoint()}))
        return;

    {
        TIntegerList rows;
        TRosterUpdate update(FScreen);
        TPanelHold hold(*this);
        // The selection is taken once: what the commands run below do to the view
        // does not change who is played.
        FScreen.GetSelectedIndices(rows);
        for (std::int32_t row : rows) {
            TPlayer& opponent = FRoster->Items(row);
            if (opponent.FResult != ResultNone)
                continue; // already played in this run
            opponent.FUnknown = false;
            const std::int32_t p = me.GetPoint();
            const std::int32_t q = opponent.FSoccerPoint;
            opponent.FResult = p == q ? ResultDrew : (p > q ? ResultWon : ResultLost);
            if (opponent.FResult == ResultWon) {
                // Through the scaled setter, so the stored maximum is first truncated
                // to a multiple of the weight factor. The income is the sponsor's as
                // it stands now: the tier is only brought up to date by a refresh.
                // A loaded game may hold any int32 here: the sums wrap as the stored
                // fields would, never overflow.
                me.SetMaxPoint(Wrap32(std::int64_t{me.GetMaxPoint()} + me.GetShoesBonus()));
                me.FMoney = Wrap32(std::int64_t{me.FMoney} +
                                   GameTables().SponsorIncomes.Items(me.FSponsor));
                me.FWins = Wrap32(std::int64_t{me.FWins} + 1);
                if (me.FWins > me.FMaxWins)
                    me.FMaxWins = me.FWins;
            }
            me.SetPoint(Wrap32(std::int64_t{me.GetPoint()} - q));
            if (opponent.FResult != ResultWon) {
                Execute(TCommand::Restart);
                break;
            }
            if (me.IsSettingActive(SettingAutoRest))
                Execute(TCommand::Rest);
        }
        FScreen.RefreshVisibleItems();
        Execute(TCommand::MainPlayerStateView);
        Execute(TCommand::SetStatusBarText);
        FFlags.Modified = true;
    }

    if (me.FWins == FRoster->Count()) {
        ShowMessage("Congratulations!!\r\nYou are the No.1 soccer player!!", InformationCaption,
                    TMessageIcon::Information, TMessageButtons::Ok);
        FFlags.GameOver = true;
    }
}

// --- Rest and restart -------------------------------------------------------------

void TGame::Rest() {
    TMainPlayer& me = *FMainPlayer;
    if (me.FMoney < RestPrice)
        return;
    if (me.GetMaxPoint() == me.GetPoint()) // compared as shown, not as stored
        return;
    me.SetPoint(me.GetMaxPoint());
    me.FMoney -= RestPrice;
    Execute(TCommand::MainPlayerStateView);
}

void TGame::Restart() {
    TMainPlayer& me = *FMainPlayer;
    for (std::int32_t i = 0; i < FRoster->Count(); ++i)
        FRoster->Items(i).FResult = ResultNone;
    FScreen.RefreshVisibleItems();
    // Three quarters of the stored value, weight factor included; exact in 64 bits.
    me.FMaxPoint = static_cast<std::int32_t>(std::int64_t{me.FMaxPoint} * 3 / 4);
    if (me.FMaxPoint < 2) {
        me.FMaxPoint = 2;
        ShowMessage("Too bad!!\r\nGame over!!", InformationCaption, TMessageIcon::Information,
                    TMessageButtons::Ok);
        FFlags.GameOver = true;
    }
    me.FPoint = me.FMaxPoint;
    me.FMoney = 0;
    me.FWins = 0;
    Execute(TCommand::MainPlayerStateView);
}

// --- Shop ---------------------------------------------------------------------------

std::vector<TShopProduct> TGame::ShopProducts() const {
    const TGameTables& t = GameTables();
    const TMainPlayer& me = *FMainPlayer;
    std::vector<TShopProduct> products;
    for (int i = 0; i < static_cast<int>(t.SettingNames.size()); ++i)
        if (!me.OwnsSetting(i))
            products.push_back({t.SettingNames[static_cast<std::size_t>(i)],
                                FormatMoney(t.SettingPrices.Items(i))});
    // Only the next pair of shoes and the cheapest missing weight are offered.
    const int nextShoes =
        me.FShoes + 1 < static_cast<int>(t.ShoesNames.size()) ? me.FShoes + 1 : -1;
    if (nextShoes != -1)
        products.push_back({t.ShoesNames[static_cast<std::size_t>(nextShoes)],
                            FormatMoney(t.ShoesPrices.Items(nextShoes))});
    for (int w = 0; w < static_cast<int>(t.WeightNames.size()); ++w) {
        if (!me.OwnsWeight(w)) {
            products.push_back(
                {t.WeightNames[static_cast<std::size_t>(w)], FormatMoney(t.WeightPrices.Items(w))});
            break;
        }
    }
    products.push_back({InvestigationItem, FormatMoney(InvestigationPrice)});
    return products;
}

void TGame::SetShopProducts() {
    FScreen.ShowShopProducts(ShopProducts());
}

void TGame::Buy() {
    const std::optional<std::string> focused = FScreen.FocusedShopItem();
    if (!focused)
        return;
    const std::string& item = *focused;
    const TGameTables& t = GameTables();
    TMainPlayer& me = *FMainPlayer;

    // Each kind of offer tests the text on its own, with the money left so far.
    if (const int i = IndexOfText(t.SettingNames, item);
        i != -1 && me.FMoney >= t.SettingPrices.Items(i)) {
        me.FMoney -= t.SettingPrices.Items(i);
        me.FOwnedSettings = TMainPlayer::WithBit(me.FOwnedSettings, i, true);
        // SelfJudging is switched on when bought; AutoRest waits for its check box.
        if (i != SettingAutoRest)
            me.FActiveSettings = TMainPlayer::WithBit(me.FActiveSettings, i, true);
    }
    if (const int k = IndexOfText(t.ShoesNames, item);
        k != -1 && me.FMoney >= t.ShoesPrices.Items(k)) {
        me.FMoney -= t.ShoesPrices.Items(k);
        me.FShoes = static_cast<std::uint8_t>(k);
    }
    if (const int w = IndexOfText(t.WeightNames, item);
        w != -1 && me.FMoney >= t.WeightPrices.Items(w)) {
        me.FMoney -= t.WeightPrices.Items(w);
        me.FOwnedWeights = TMainPlayer::WithBit(me.FOwnedWeights, w, true);
    }
    if (item == InvestigationItem && me.FMoney >= InvestigationPrice) {
        me.FMoney -= InvestigationPrice;
        Execute(TCommand::InvestigatePlayers);
    }
    Execute(TCommand::MainPlayerStateView);
    Execute(TCommand::SetShopProducts);
}

void TGame::InvestigatePlayers() {
    // Against the stored maximum, weight factor included: under a weight this reveals
    // up to the player's unweighted strength.
    const std::int32_t limit = FMainPlayer->FMaxPoint;
    for (std::int32_t i = 0; i < FRoster->Count(); ++i) {
        TPlayer& opponent = FRoster->Items(i);
        if (opponent.FUnknown && opponent.FSoccerPoint < limit)
            opponent.FUnknown = false;
    }
    FScreen.ShowPlayersPage();
}

// --- Selection commands and settings -------------------------------------------------

void TGame::SelectThePoorest() {
    TWaitCursor wait(FScreen);
    std::int32_t best = -1;
    for (std::int32_t i = 0; i < FRoster->Count(); ++i) {
        const TPlayer& opponent = FRoster->Items(i);
        if (opponent.FUnknown || opponent.FResult != ResultNone)
            continue;
        if (best == -1 || opponent.FSoccerPoint < FRoster->Items(best).FSoccerPoint)
            best = i;
    }
    if (best != -1)
        FScreen.ShowFoundRow(best);
}

void TGame::SelectTheNextUnknown() {
    TWaitCursor wait(FScreen);
    // From below the focused row (the focus, not the selection), without wrapping.
    const std::int32_t focused = FScreen.FocusedRow();
    for (std::int32_t i = focused < 0 ? 0 : focused + 1; i < FRoster->Count(); ++i) {
        if (FRoster->Items(i).FUnknown) {
            FScreen.ShowFoundRow(i);
            return;
        }
    }
}

void TGame::ChooseWeight(std::string_view name) {
    if (!FMainPlayer)
        return;
    const int i = IndexOfText(GameTables().WeightNames, name);
    if (i == -1 || !FMainPlayer->OwnsWeight(i))
        return;
    FMainPlayer->FWeight = static_cast<std::uint8_t>(i);
    Execute(TCommand::MainPlayerStateView);
}

void TGame::SwitchSetting(TSetting setting, bool on) {
    if (!FMainPlayer)
        return;
    FMainPlayer->FActiveSettings = TMainPlayer::WithBit(FMainPlayer->FActiveSettings, setting, on);
}

// --- Main player panel and status bar ----------------------------------------------

void TGame::SponsorTier(TMainPlayer& mainPlayer) {
    // The fewest wins for each sponsor, richest first. Outside 0..10000 wins the
    // sponsor stays as it is.
    struct TTier {
        std::int32_t Wins;
        std::uint8_t Sponsor;
    };
    static constexpr TTier Tiers[] = {{5000, 1}, {1000, 2}, {100, 3}, {50, 4}, {10, 5}, {0, 0}};
    const std::int32_t wins = mainPlayer.FWins;
    if (wins < 0 || wins > 10000)
        return;
    for (const TTier& tier : Tiers) {
        if (wins >= tier.Wins) {
            mainPlayer.FSponsor = tier.Sponsor;
            return;
        }
    }
}

TMainPlayerView TGame::MainPlayerView() const {
    return MainPlayerView(*FMainPlayer);
}

TMainPlayerView TGame::MainPlayerView(const TMainPlayer& me) {
    const TGameTables& t = GameTables();
    TMainPlayerView view;
    view.Rows = {{
        {"Soccer Point", FormatNumber(me.GetPoint()) + " / " + FormatNumber(me.GetMaxPoint())},
        {"Wins", FormatNumber(me.FWins)},
        {"MaxWins", FormatNumber(me.FMaxWins)},
        {"Money", FormatMoney(me.FMoney)},
        {"Shoes", t.ShoesNames.at(me.FShoes)},
        {"Sponsor", t.SponsorNames.at(me.FSponsor)},
    }};
    view.AutoRestChecked = me.IsSettingActive(SettingAutoRest);
    view.AutoRestEnabled = me.OwnsSetting(SettingAutoRest);
    view.SelfJudgingChecked = me.IsSettingActive(SettingSelfJudging);
    view.SelfJudgingEnabled = me.OwnsSetting(SettingSelfJudging);
    for (int i = 0; i < static_cast<int>(t.WeightNames.size()); ++i) {
        if (!me.OwnsWeight(i))
            continue;
        if (i == me.FWeight)
            view.SelectedWeight = static_cast<int>(view.WeightNames.size());
        view.WeightNames.push_back(t.WeightNames[static_cast<std::size_t>(i)]);
    }
    return view;
}

void TGame::MainPlayerStateView() {
    // The tier is brought up to date on every refresh, held or not: the income of
    // the next win depends on it.
    SponsorTier(*FMainPlayer);
    if (FPanelHolds > 0) {
        FHeldMainPlayer = *FMainPlayer;
        return;
    }
    FScreen.ShowMainPlayerState(MainPlayerView());
}

void TGame::ShowHeldMainPlayerState() {
    if (!FHeldMainPlayer)
        return;
    const TMainPlayer held = *FHeldMainPlayer;
    FHeldMainPlayer.reset();
    FScreen.ShowMainPlayerState(MainPlayerView(held));
}

TMessageResult TGame::ShowMessage(const std::string& text, const char* caption, TMessageIcon icon,
                                  TMessageButtons buttons) {
    ShowHeldMainPlayerState(); // the message opens over the panel as it stands
    return FScreen.ShowMessage(text, caption, icon, buttons);
}

std::string TGame::StatusCountsText(std::int32_t selected, std::int32_t unknowns) {
    return FormatNumber(selected) + " Players " + " (" + FormatNumber(unknowns) + " Unknowns " +
           ")";
}

std::string TGame::StatusPositionText(std::int32_t focused, std::int32_t rows) {
    if (focused < 0)
        return {};
    return FormatNumber(std::int64_t{focused} + 1) + " / " + FormatNumber(rows);
}

void TGame::SetStatusBarText() {
    TWaitCursor wait(FScreen);
    TIntegerList rows;
    FScreen.GetSelectedIndices(rows);
    std::int32_t unknowns = 0;
    for (std::int32_t row : rows)
        unknowns += FRoster->Items(row).FUnknown ? 1 : 0;
    ShowHeldMainPlayerState();
    FScreen.ShowStatusBar(StatusCountsText(rows.Count(), unknowns),
                          StatusPositionText(FScreen.FocusedRow(), FRoster->Count()));
}

// --- Saved games ------------------------------------------------------------------

bool TGame::SaveGameFile(const std::string& path) {
    TWaitCursor wait(FScreen);
    bool saved = false;
    if (FMainPlayer && FRoster) {
        try {
            saved = FStorage.WriteFile(path, ComposeSaveFile(*FMainPlayer, *FRoster));
        } catch (const std::exception&) {
            saved = false;
        }
    }
    if (!saved) {
        ShowMessage("Can not save file.\r\n" + path, AbortCaption, TMessageIcon::Error,
                    TMessageButtons::Ok);
        return false;
    }
    FScreen.SetCurrentFileName(path);
    FFlags.Modified = false;
    FFlags.FreshGame = false;
    return true;
}

bool TGame::LoadGameFile(const std::string& path) {
    TWaitCursor wait(FScreen);
    // The whole file is read and checked before anything of the game changes.
    std::optional<TSaveGame> loaded;
    if (FMainPlayer && FRoster) {
        try {
            const std::int32_t count = FRoster->Count();
            if (const auto bytes = FStorage.ReadFile(path, SaveFileSize(count)))
                loaded = ParseSaveFile(*bytes, count);
        } catch (const std::exception&) {
            loaded.reset();
        }
    }
    if (!loaded) {
        ShowMessage("Can not open file.\r\n" + path, AbortCaption, TMessageIcon::Warning,
                    TMessageButtons::Ok);
        return false;
    }
    *FMainPlayer = loaded->MainPlayer;
    FRoster->AssignRecords(loaded->Opponents);

    FScreen.RefreshVisibleItems();
    Execute(TCommand::SetShopProducts);
    Execute(TCommand::MainPlayerStateView);
    FFlags.GameOver = false;
    FScreen.SetCurrentFileName(path);
    FFlags.Modified = false;
    FFlags.FreshGame = false;
    return true;
}

} // namespace goalvanta
