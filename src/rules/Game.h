#pragma once

#include "game/MainPlayer.h"
#include "game/PlayerList.h"
#include "rules/GameScreen.h"
#include "savedata/SaveStorage.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace goalvanta {

// Where the game stands.
struct TGameFlags {
    bool GameOver = false;  // Game, Rest and Buy are disabled
    bool Activated = false; // the main window has done its start-up work
    bool Modified = false;  // changed since the last new game, save or load
    bool FreshGame = false; // never saved or loaded since the last new game
};

// The game's commands. Each runs through Execute(), which applies the enabling
// rule: while the game is over Game, Rest and Buy do nothing, also when another
// command runs them.
enum class TCommand {
    Game,                 // play the selected opponents
    Rest,                 // refill the points for 50 $
    Restart,              // start a new run after a draw or loss
    SetShopProducts,      // refill the shop
    Buy,                  // buy the focused shop offer
    InvestigatePlayers,   // reveal the hidden opponents below the maximum
    SelectThePoorest,     // select the weakest known unplayed opponent
    SelectTheNextUnknown, // select the next hidden opponent below the focus
    MainPlayerStateView,  // sponsor tier, then redraw the main player panel
    SetStatusBarText,     // redraw the status bar
};

// The whole game: the main player, the roster, the flags, and every rule that
// changes them. The main window turns its events into these calls and draws what
// they hand to the screen.
class TGame {
public:
    static constexpr std::int32_t RestPrice = 50;
    static constexpr std::int32_t InvestigationPrice = 300000;
    static constexpr const char* InvestigationItem = "Investigate Players";
    // The known opponent with 1 point stands here after generation.
    static constexpr std::int32_t StartRow = 499;
    static constexpr int PointsColumn = 1;

    explicit TGame(IGameScreen& screen);
    TGame(IGameScreen& screen, ISaveStorage& storage);

    // The model; both are null until the first NewGame.
    TMainPlayer* MainPlayer() noexcept { return FMainPlayer.get(); }
    const TMainPlayer* MainPlayer() const noexcept { return FMainPlayer.get(); }
    TPlayerList* Roster() noexcept { return FRoster.get(); }
    const TPlayerList* Roster() const noexcept { return FRoster.get(); }
    TGameFlags& Flags() noexcept { return FFlags; }
    const TGameFlags& Flags() const noexcept { return FFlags; }

    bool IsEnabled(TCommand command) const noexcept;
    // Runs `command` when it is enabled; returns whether it ran.
    bool Execute(TCommand command);

    // Throws the old game away and starts a fresh one. Asks nothing.
    void NewGame();

    // The weight selector: wears the owned weight named `name` (any letter case).
    void ChooseWeight(std::string_view name);
    // A setting check box: switches `setting` on or off. Only the owned settings'
    // boxes are enabled, so only those reach here from the user.
    void SwitchSetting(TSetting setting, bool on);

    // Writes the game to `path`; tells the user and returns false when it cannot.
    bool SaveGameFile(const std::string& path);
    // Replaces the game with the one saved at `path`. A file that is not a complete,
    // sound save of this game changes nothing; the user is told and false returned.
    bool LoadGameFile(const std::string& path);

    // What the views show, derived from the model.
    TMainPlayerView MainPlayerView() const;
    static TMainPlayerView MainPlayerView(const TMainPlayer& mainPlayer);
    std::vector<TShopProduct> ShopProducts() const;
    // Sum of the points of the selected known, unplayed opponents.
    std::int64_t SelectedKnownPointsSum();

    static std::string StatusCountsText(std::int32_t selected, std::int32_t unknowns);
    static std::string StatusPositionText(std::int32_t focused, std::int32_t rows);
    // The sponsor that the wins earn; below 0 or above the roster's size it stays.
    static void SponsorTier(TMainPlayer& mainPlayer);

private:
    void PlayMatches();
    void Rest();
    void Restart();
    void SetShopProducts();
    void Buy();
    void InvestigatePlayers();
    void SelectThePoorest();
    void SelectTheNextUnknown();
    void MainPlayerStateView();
    void SetStatusBarText();

    // A match command rests after every win and every rest refreshes the panel: up
    // to 10000 refreshes in one command, of which the user can see only the last.
    // While a hold lasts a refresh keeps a copy of the main player instead of
    // building the panel's texts; that copy is shown once, before a message or the
    // status bar reaches the screen and when the hold ends, so whatever the user
    // sees is exactly what an unheld refresh would have shown.
    class TPanelHold;
    void ShowHeldMainPlayerState();
    TMessageResult ShowMessage(const std::string& text, const char* caption, TMessageIcon icon,
                               TMessageButtons buttons);

    IGameScreen& FScreen;
    std::unique_ptr<ISaveStorage> FOwnStorage; // the default storage, when none was given
    ISaveStorage& FStorage;
    std::unique_ptr<TMainPlayer> FMainPlayer;
    std::unique_ptr<TPlayerList> FRoster;
    TGameFlags FFlags;
    int FPanelHolds = 0;
    std::optional<TMainPlayer> FHeldMainPlayer;
};

} // namespace goalvanta
