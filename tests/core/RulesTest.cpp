#include "FakeScreen.h"
#include "game/GameTables.h"

#include <gtest/gtest.h>
#include <numeric>

namespace goalvanta::test {
namespace {

struct Rules : ::testing::Test, TGameFixture {};

// Puts known, unplayed opponents with `points` at rows 0, 1, 2, ... and selects them.
void Arrange(TGameFixture& f, std::initializer_list<std::int32_t> points) {
    std::int32_t row = 0;
    std::vector<std::int32_t> rows;
    for (std::int32_t p : points) {
        f.Roster().Items(row) = TPlayer{p, false, ResultNone};
        rows.push_back(row++);
    }
    f.Screen.SelectRows(rows);
}

TEST_F(Rules, NewGameStartingState) {
    TFakeScreen screen;
    TGame game(screen);
    EXPECT_FALSE(game.Execute(TCommand::Game)) << "no game before the first NewGame";
    game.Flags().GameOver = true;
    game.Flags().Modified = true;
    game.NewGame();
    EXPECT_EQ(screen.Selected, std::set<std::int32_t>{499});
    EXPECT_EQ(screen.Focused, 499);
    EXPECT_EQ(game.Roster()->Items(499).FSoccerPoint, 1);
    EXPECT_EQ(screen.RowCount, 10000);
    EXPECT_EQ(screen.SortColumn, 1);
    EXPECT_TRUE(screen.SortDown);
    EXPECT_EQ(screen.Log,
              (std::vector<std::string>{"reset-roster", "players-page", "refresh-rows", "panel"}));
    EXPECT_FALSE(game.Flags().GameOver);
    EXPECT_FALSE(game.Flags().Modified);
    EXPECT_TRUE(game.Flags().FreshGame);
    EXPECT_EQ(screen.WaitDepth, 0);

    const TMainPlayerView& panel = screen.Panel;
    const std::array<TMainPlayerView::TRow, 6> rows = {{{"Soccer Point", "100,000 / 100,000"},
                                                        {"Wins", "0"},
                                                        {"MaxWins", "0"},
                                                        {"Money", "0 $"},
                                                        {"Shoes", "Worst shoes (+1 Per Win)"},
                                                        {"Sponsor", "None"}}};
    EXPECT_EQ(panel.Rows, rows);
    EXPECT_FALSE(panel.AutoRestChecked || panel.AutoRestEnabled || panel.SelfJudgingChecked ||
                 panel.SelfJudgingEnabled);
    EXPECT_EQ(panel.WeightNames, std::vector<std::string>{"None"});
    EXPECT_EQ(panel.SelectedWeight, 0);
}

TEST_F(Rules, WorkedExampleTwoWins) {
    Screen.SelectRows({RowOf(9), RowOf(1)});
    ASSERT_TRUE(Game.Execute(TCommand::Game));
    EXPECT_EQ(Me().GetMaxPoint(), 100002);
    EXPECT_EQ(Me().GetPoint(), 99990);
    EXPECT_EQ(Me().FMoney, 0);
    EXPECT_EQ(Me().FWins, 2);
    EXPECT_EQ(Me().FMaxWins, 2);
    EXPECT_EQ(Roster().Items(RowOf(1)).FResult, ResultWon);
    EXPECT_EQ(Roster().Items(RowOf(9)).FResult, ResultWon);
    EXPECT_TRUE(Game.Flags().Modified);
    EXPECT_EQ(Screen.Log, (std::vector<std::string>{"refresh-rows", "panel", "status"}));
    EXPECT_EQ(Screen.UpdateDepth, 0);
    EXPECT_EQ(Screen.WaitDepth, 0);
}

TEST_F(Rules, DrawOrLossEndsTheRunAndStopsTheCommand) {
    struct Case {
        const char* Name;
        std::int32_t Second; // points of the second selected opponent
        TResult Expected;
    };
    // Current points after the first win (1 point): 99999.
    const Case cases[] = {{"draw", 99999, ResultDrew}, {"loss", 2000000000, ResultLost}};
    for (const Case& c : cases) {
        TGameFixture f;
        Arrange(f, {1, c.Second, 4});
        ASSERT_TRUE(f.Game.Execute(TCommand::Game));
        EXPECT_EQ(f.Roster().Items(0).FResult, ResultNone) << c.Name << ": the restart cleared it";
        EXPECT_EQ(f.Roster().Items(1).FResult, ResultNone) << c.Name;
        EXPECT_FALSE(f.Roster().Items(1).FUnknown);
        EXPECT_EQ(f.Roster().Items(2).FResult, ResultNone) << c.Name << ": never played";
        EXPECT_EQ(f.Me().FMaxPoint, 75000) << c.Name; // (100000 + 1) * 3 / 4
        EXPECT_EQ(f.Me().FPoint, 75000);
        EXPECT_EQ(f.Me().FWins, 0);
        EXPECT_EQ(f.Me().FMaxWins, 1) << c.Name << ": the best run is kept";
        EXPECT_TRUE(f.Game.Flags().Modified);
    }
}

TEST_F(Rules, PlayedOpponentsAreSkippedAndUnknownsRevealed) {
    Arrange(*this, {1, 4, 9});
    Roster().Items(1).FResult = ResultWon;
    Roster().Items(2).FUnknown = true;
    ASSERT_TRUE(Game.Execute(TCommand::Game));
    EXPECT_EQ(Me().FWins, 2);
    EXPECT_EQ(Me().GetPoint(), 100000 - 1 - 9);
    EXPECT_FALSE(Roster().Items(2).FUnknown);
}

TEST_F(Rules, SelfJudgingRefusesWhenKnownPointsReachTheCurrentPoints) {
    for (std::int32_t points : {34, 35}) {
        TGameFixture f;
        f.Me().FOwnedSettings = f.Me().FActiveSettings = 2;
        f.Me().FPoint = points;
        Arrange(f, {9, 25});
        f.Screen.Log.clear();
        f.Game.Execute(TCommand::Game);
        if (points == 34) {
            EXPECT_EQ(f.Me().FWins, 0) << "S = P is refused";
            EXPECT_FALSE(f.Game.Flags().Modified);
            EXPECT_TRUE(f.Screen.Log.empty());
        } else {
            EXPECT_EQ(f.Me().FWins, 2);
            EXPECT_EQ(f.Me().GetPoint(), 1);
            EXPECT_TRUE(f.Game.Flags().Modified);
        }
    }
    // Hidden opponents are not counted but still played.
    TGameFixture f;
    f.Me().FOwnedSettings = f.Me().FActiveSettings = 2;
    Arrange(f, {4, 16});
    f.Roster().Items(0).FUnknown = f.Roster().Items(1).FUnknown = true;
    EXPECT_EQ(f.Game.SelectedKnownPointsSum(), 0);
    f.Game.Execute(TCommand::Game);
    EXPECT_EQ(f.Me().FWins, 2);
}

TEST_F(Rules, ModifiedIsSetByEveryAcceptedMatchCommandOnly) {
    Screen.Selected.clear();
    Me().FMoney = 1000000;
    Me().FPoint = 10;
    Screen.Shop = Game.ShopProducts();
    Screen.FocusShopItem("x2 weight");
    Game.Execute(TCommand::Rest);
    Game.Execute(TCommand::Buy);
    Game.ChooseWeight("x2 weight");
    Game.SwitchSetting(SettingAutoRest, true);
    Game.Execute(TCommand::SelectThePoorest);
    Game.Execute(TCommand::SelectTheNextUnknown);
    Game.Execute(TCommand::SetStatusBarText);
    EXPECT_FALSE(Game.Flags().Modified);
    Screen.Selected.clear();
    Game.Execute(TCommand::Game); // nothing selected: still counts
    EXPECT_TRUE(Game.Flags().Modified);
    EXPECT_EQ(Screen.Log.back(), "status");
}

TEST_F(Rules, AutoRestNeedsFiftyDollars) {
    for (std::int32_t money : {49, 50}) {
        TGameFixture f;
        f.Me().FOwnedSettings = f.Me().FActiveSettings = 1;
        f.Me().FMoney = money;
        Arrange(f, {1000});
        f.Game.Execute(TCommand::Game);
        if (money == 50) {
            EXPECT_EQ(f.Me().GetPoint(), 100001);
            EXPECT_EQ(f.Me().FMoney, 0);
        } else {
            EXPECT_EQ(f.Me().GetPoint(), 99000);
            EXPECT_EQ(f.Me().FMoney, 49);
        }
    }
}

TEST_F(Rules, IncomeIsPaidAtTheTierSetBeforeTheCommandUnlessARefreshRan) {
    // Without AutoRest nothing refreshes inside the command: both wins pay tier 0.
    Me().FWins = 9;
    Arrange(*this, {1, 4});
    Game.Execute(TCommand::Game);
    EXPECT_EQ(Me().FMoney, 0);
    EXPECT_EQ(Me().FSponsor, 5) << "the refresh after the loop sets the tier";

    // With AutoRest, the rest after the 10th win refreshes: the 11th pays 10 $.
    TGameFixture f;
    f.Me().FWins = 9;
    f.Me().FOwnedSettings = f.Me().FActiveSettings = 1;
    f.Me().FMoney = 50;
    Arrange(f, {1, 4});
    f.Game.Execute(TCommand::Game);
    EXPECT_EQ(f.Me().FMoney, 10);
}

TEST_F(Rules, AMatchCommandDrawsThePanelOnceButShowsEveryMessageOverTheLatestRefresh) {
    // AutoRest after each of three wins: one panel, drawn before the status bar.
    TGameFixture wins;
    wins.Me().FOwnedSettings = wins.Me().FActiveSettings = 1;
    wins.Me().FMoney = 1000;
    Arrange(wins, {1, 2, 3});
    wins.Game.Execute(TCommand::Game);
    EXPECT_EQ(wins.Screen.Log, (std::vector<std::string>{"refresh-rows", "panel", "status"}));
    EXPECT_EQ(wins.Screen.Panel.Rows[0].Value, "100,003 / 100,003");
    EXPECT_EQ(wins.Screen.Panel.Rows[3].Value, "850 $");

    // A win and its rest, then the loss that ends the game: the message opens over
    // the panel of that rest, not over the state before the command nor over the
    // half-restarted player of the moment.
    TGameFixture loss;
    loss.Me().FOwnedSettings = loss.Me().FActiveSettings = 1;
    loss.Me().FMoney = 100;
    loss.Me().FMaxPoint = loss.Me().FPoint = 1;
    Arrange(loss, {0, 1000});
    loss.Game.Execute(TCommand::Game);
    ASSERT_TRUE(loss.Game.Flags().GameOver);
    EXPECT_EQ(loss.Screen.Log, (std::vector<std::string>{"refresh-rows", "panel", "message",
                                                         "refresh-rows", "panel", "status"}));
    const TMainPlayerView& under = loss.Screen.Messages.at(0).Panel;
    EXPECT_EQ(under.Rows[0].Value, "2 / 2");
    EXPECT_EQ(under.Rows[1].Value, "1");
    EXPECT_EQ(under.Rows[3].Value, "50 $");
    EXPECT_EQ(loss.Screen.Panel.Rows[0].Value, "2 / 2") << "restarted at the minimum";
    EXPECT_EQ(loss.Screen.Panel.Rows[1].Value, "0");
}

TEST_F(Rules, SponsorTier) {
    const std::pair<std::int32_t, int> cases[] = {
        {0, 0},   {9, 0},    {10, 5},   {49, 5},   {50, 4},    {99, 4},    {100, 3},
        {999, 3}, {1000, 2}, {4999, 2}, {5000, 1}, {10000, 1}, {10001, 4}, {-1, 4}};
    for (auto [wins, sponsor] : cases) {
        TMainPlayer p;
        p.FSponsor = 4; // kept outside 0..10000
        p.FWins = wins;
        TGame::SponsorTier(p);
        EXPECT_EQ(p.FSponsor, sponsor) << wins << " wins";
    }
}

TEST_F(Rules, Rest) {
    struct Case {
        const char* Name;
        std::uint8_t Weight;
        std::int32_t Money, StoredMax, StoredPoint;
        std::int32_t ExpectMoney, ExpectPoint;
    };
    const Case cases[] = {
        {"exactly 50 $", 0, 50, 1000, 10, 0, 1000},
        {"49 $", 0, 49, 1000, 10, 49, 10},
        {"full points", 0, 100, 1000, 1000, 100, 1000},
        {"equal as shown under x4", 2, 100, 1003, 1001, 100, 1001},
        {"refill to a multiple of the factor", 2, 100, 1003, 800, 50, 1000},
    };
    for (const Case& c : cases) {
        TGameFixture f;
        f.Me().FWeight = c.Weight;
        f.Me().FMoney = c.Money;
        f.Me().FMaxPoint = c.StoredMax;
        f.Me().FPoint = c.StoredPoint;
        f.Game.Execute(TCommand::Rest);
        EXPECT_EQ(f.Me().FMoney, c.ExpectMoney) << c.Name;
        EXPECT_EQ(f.Me().FPoint, c.ExpectPoint) << c.Name;
        const bool rested = c.Money != c.ExpectMoney;
        EXPECT_EQ(f.Screen.Log,
                  rested ? std::vector<std::string>{"panel"} : std::vector<std::string>{})
            << c.Name;
        EXPECT_FALSE(f.Game.Flags().Modified);
    }
}

TEST_F(Rules, Restart) {
    struct Case {
        std::uint8_t Weight;
        std::int32_t StoredMax, ExpectMax;
        bool GameOver;
    };
    const Case cases[] = {{0, 100000, 75000, false}, {0, 3, 2, false},   {0, 2, 2, true},
                          {0, 1, 2, true},           {3, 16, 12, false}, {0, -100, 2, true}};
    for (const Case& c : cases) {
        TGameFixture f;
        f.Me().FWeight = c.Weight;
        f.Me().FMaxPoint = c.StoredMax;
        f.Me().FPoint = 77;
        f.Me().FMoney = 500;
        f.Me().FWins = 12;
        f.Me().FMaxWins = 30;
        f.Me().FSponsor = 5;
        f.Roster().Items(3).FResult = ResultWon;
        f.Roster().Items(500).FUnknown = false;
        f.Game.Execute(TCommand::Restart);
        const std::string name = std::to_string(c.StoredMax);
        EXPECT_EQ(f.Me().FMaxPoint, c.ExpectMax) << name;
        EXPECT_EQ(f.Me().FPoint, c.ExpectMax) << name;
        EXPECT_EQ(f.Me().FMoney, 0);
        EXPECT_EQ(f.Me().FWins, 0);
        EXPECT_EQ(f.Me().FMaxWins, 30);
        EXPECT_EQ(f.Me().FSponsor, 0);
        EXPECT_EQ(f.Roster().Items(3).FResult, ResultNone);
        EXPECT_FALSE(f.Roster().Items(500).FUnknown) << "revealed opponents stay revealed";
        EXPECT_EQ(f.Game.Flags().GameOver, c.GameOver) << name;
        if (!c.GameOver) {
            EXPECT_EQ(f.Screen.Log, (std::vector<std::string>{"refresh-rows", "panel"}));
            continue;
        }
        EXPECT_EQ(f.Screen.Log, (std::vector<std::string>{"refresh-rows", "message", "panel"}));
        const TFakeScreen::TMessage& m = f.Screen.Messages.at(0);
        EXPECT_EQ(m.Text, "Too bad!!\r\nGame over!!");
        EXPECT_EQ(m.Caption, "Information");
        EXPECT_EQ(m.Icon, TMessageIcon::Information);
        // While the message is open: results cleared and maximum scaled, but points,
        // money and wins not yet reset, and the game not yet over.
        EXPECT_EQ(m.MainPlayer.FMaxPoint, 2);
        EXPECT_EQ(m.MainPlayer.FPoint, 77);
        EXPECT_EQ(m.MainPlayer.FMoney, 500);
        EXPECT_EQ(m.MainPlayer.FWins, 12);
        EXPECT_FALSE(m.Flags.GameOver);
        // Game over disables Game, Rest and Buy, and only those.
        EXPECT_FALSE(f.Game.Execute(TCommand::Game));
        EXPECT_FALSE(f.Game.Execute(TCommand::Rest));
        EXPECT_FALSE(f.Game.Execute(TCommand::Buy));
        EXPECT_TRUE(f.Game.Execute(TCommand::SelectThePoorest));
        f.Game.NewGame();
        EXPECT_TRUE(f.Game.IsEnabled(TCommand::Game)) << "a new game enables play again";
    }
}

TEST_F(Rules, TenThousandWinsEndTheGameWithTheCongratulation) {
    for (std::int32_t i = 0; i < Roster().Count(); ++i)
        Roster().Items(i).FResult = ResultWon;
    Roster().Items(499).FResult = ResultNone; // the 1-point opponent is left
    Me().FWins = 9999;
    Screen.Select({499});
    Game.Execute(TCommand::Game);
    EXPECT_EQ(Me().FWins, 10000);
    EXPECT_EQ(Screen.Log, (std::vector<std::string>{"refresh-rows", "panel", "status", "message"}));
    const TFakeScreen::TMessage& m = Screen.Messages.at(0);
    EXPECT_EQ(m.Text, "Congratulations!!\r\nYou are the No.1 soccer player!!");
    EXPECT_EQ(m.Caption, "Information");
    EXPECT_EQ(m.Buttons, TMessageButtons::Ok);
    EXPECT_FALSE(m.Flags.GameOver);
    EXPECT_TRUE(m.Flags.Modified);
    EXPECT_TRUE(Game.Flags().GameOver);
    EXPECT_FALSE(Game.Execute(TCommand::Game));
    EXPECT_EQ(Screen.Messages.size(), 1u);
}

TEST_F(Rules, ShopOffers) {
    const std::vector<TShopProduct> fresh = {{"AutoRest", "30,000 $"},
                                             {"SelfJudging", "1,000 $"},
                                             {"Worse shoes (+5 Per Win)", "100 $"},
                                             {"x2 weight", "5 $"},
                                             {"Investigate Players", "300,000 $"}};
    EXPECT_EQ(Game.ShopProducts(), fresh);
    Me().FShoes = 6;
    Me().FOwnedWeights = 0x1FF;
    Me().FOwnedSettings = 1;
    EXPECT_EQ(Game.ShopProducts(),
              (std::vector<TShopProduct>{{"SelfJudging", "1,000 $"},
                                         {"Investigate Players", "300,000 $"}}));
    Me().FOwnedWeights = 0b1011;
    EXPECT_EQ(Game.ShopProducts().at(1), (TShopProduct{"x4 weight", "50 $"}));
}

TEST_F(Rules, Buying) {
    struct Case {
        const char* Item;
        std::int32_t Money;
        std::int32_t ExpectMoney;
        std::uint8_t OwnedSettings, ActiveSettings, Shoes;
        std::uint16_t OwnedWeights;
    };
    const Case cases[] = {
        {"x2 weight", 5, 0, 0, 0, 0, 0b11},
        {"x2 weight", 4, 4, 0, 0, 0, 0b1},
        {"SelfJudging", 1000, 0, 2, 2, 0, 0b1},
        {"AutoRest", 30000, 0, 1, 0, 0, 0b1},
        {"Worse shoes (+5 Per Win)", 150, 50, 0, 0, 1, 0b1},
        {"Investigate Players", 299999, 299999, 0, 0, 0, 0b1},
    };
    for (const Case& c : cases) {
        TGameFixture f;
        f.Me().FMoney = c.Money;
        f.Game.Execute(TCommand::SetShopProducts);
        ASSERT_TRUE(f.Screen.FocusShopItem(c.Item));
        f.Screen.Log.clear();
        f.Game.Execute(TCommand::Buy);
        EXPECT_EQ(f.Me().FMoney, c.ExpectMoney) << c.Item;
        EXPECT_EQ(f.Me().FOwnedSettings, c.OwnedSettings) << c.Item;
        EXPECT_EQ(f.Me().FActiveSettings, c.ActiveSettings) << c.Item;
        EXPECT_EQ(f.Me().FShoes, c.Shoes) << c.Item;
        EXPECT_EQ(f.Me().FOwnedWeights, c.OwnedWeights) << c.Item;
        EXPECT_EQ(f.Me().FWeight, 0) << "buying a weight does not put it on";
        EXPECT_EQ(f.Screen.Log, (std::vector<std::string>{"panel", "shop"})) << c.Item;
        EXPECT_FALSE(f.Game.Flags().Modified);
    }

    // The refilled shop offers the next weight.
    Me().FMoney = 5;
    Game.Execute(TCommand::SetShopProducts);
    Screen.FocusShopItem("x2 weight");
    Game.Execute(TCommand::Buy);
    EXPECT_EQ(Screen.Shop.at(3), (TShopProduct{"x4 weight", "50 $"}));

    // No focused row: nothing at all.
    Screen.ShopFocused = -1;
    Screen.Log.clear();
    Game.Execute(TCommand::Buy);
    EXPECT_TRUE(Screen.Log.empty());
}

TEST_F(Rules, InvestigationRevealsHiddenOpponentsBelowTheStoredMaximum) {
    Me().FWeight = 1; // shown maximum 50000, stored 100000
    Me().FMoney = 300000;
    const std::int32_t equal = 500;
    Roster().Items(equal) = TPlayer{100000, true, ResultNone};
    std::vector<bool> hidden;
    for (std::int32_t i = 0; i < Roster().Count(); ++i)
        hidden.push_back(Roster().Items(i).FUnknown);
    Game.Execute(TCommand::SetShopProducts);
    Screen.FocusShopItem("Investigate Players");
    Screen.Log.clear();
    Game.Execute(TCommand::Buy);
    EXPECT_EQ(Me().FMoney, 0);
    for (std::int32_t i = 0; i < Roster().Count(); ++i) {
        const TPlayer& p = Roster().Items(i);
        ASSERT_EQ(p.FUnknown, hidden[static_cast<std::size_t>(i)] && p.FSoccerPoint >= 100000)
            << "row " << i;
    }
    EXPECT_TRUE(Roster().Items(equal).FUnknown);
    EXPECT_EQ(Screen.Log, (std::vector<std::string>{"players-page", "panel", "shop"}));
}

TEST_F(Rules, SelectThePoorest) {
    Roster().SortByPoints(false); // the 1-point opponent moves to row 9500
    Game.Execute(TCommand::SelectThePoorest);
    EXPECT_EQ(Screen.Selected, std::set<std::int32_t>{9500});
    EXPECT_EQ(Roster().Items(9500).FSoccerPoint, 1);
    EXPECT_EQ(Screen.StatusCounts, "1 Players  (0 Unknowns )");

    // Equal lowest points: the lower position wins.
    Roster().Items(9600).FSoccerPoint = 1;
    Roster().Items(9600).FUnknown = false;
    Roster().Items(9700) = TPlayer{1, false, ResultNone};
    Game.Execute(TCommand::SelectThePoorest);
    EXPECT_EQ(Screen.Selected, std::set<std::int32_t>{9500});

    // Nothing known and unplayed: the selection stays.
    for (std::int32_t i = 0; i < Roster().Count(); ++i)
        if (!Roster().Items(i).FUnknown)
            Roster().Items(i).FResult = ResultLost;
    Screen.Select({3, 4});
    Screen.Log.clear();
    Game.Execute(TCommand::SelectThePoorest);
    EXPECT_EQ(Screen.Selected, (std::set<std::int32_t>{3, 4}));
    EXPECT_TRUE(Screen.Log.empty());
    EXPECT_EQ(Screen.WaitDepth, 0);
}

TEST_F(Rules, SelectTheNextUnknown) {
    Roster().Items(57).FUnknown = true;
    struct Case {
        std::set<std::int32_t> Selected;
        std::int32_t Focused, Expect;
    };
    const Case cases[] = {
        {{10, 40, 300}, 40, 57}, // from the focus, not the selection
        {{}, -1, 57},            // no focus: from the top
        {{57}, 57, 500},
        {{9999}, 9999, -1}, // nothing below: no wrap
    };
    for (const Case& c : cases) {
        Screen.Selected = c.Selected;
        Screen.Focused = c.Focused;
        Game.Execute(TCommand::SelectTheNextUnknown);
        if (c.Expect == -1) {
            EXPECT_EQ(Screen.Selected, c.Selected);
        } else {
            EXPECT_EQ(Screen.Selected, std::set<std::int32_t>{c.Expect}) << c.Focused;
            EXPECT_EQ(Screen.Focused, c.Expect);
        }
    }
}

TEST_F(Rules, WeightAndSettings) {
    Me().FOwnedWeights = 0b111;
    Game.ChooseWeight("x4 weight");
    EXPECT_EQ(Me().FWeight, 2);
    EXPECT_EQ(Screen.Panel.Rows[0].Value, "25,000 / 25,000");
    EXPECT_EQ(Screen.Panel.WeightNames,
              (std::vector<std::string>{"None", "x2 weight", "x4 weight"}));
    EXPECT_EQ(Screen.Panel.SelectedWeight, 2);
    Game.ChooseWeight("x8 weight"); // not owned
    Game.ChooseWeight("heavy");     // no such weight
    EXPECT_EQ(Me().FWeight, 2);
    EXPECT_EQ(Me().FMaxPoint, 100000) << "choosing a weight does not rescale";

    Me().FActiveSettings = 3;
    Screen.Log.clear();
    Game.SwitchSetting(SettingAutoRest, false);
    EXPECT_EQ(Me().FActiveSettings, 2);
    Game.SwitchSetting(SettingAutoRest, true);
    Game.SwitchSetting(SettingSelfJudging, false);
    EXPECT_EQ(Me().FActiveSettings, 1);
    EXPECT_TRUE(Screen.Log.empty()) << "a switch refreshes nothing";
}

TEST_F(Rules, StatusBarTexts) {
    std::vector<std::int32_t> all(10000);
    std::iota(all.begin(), all.end(), 0);
    Screen.SelectRows(all);
    Screen.Focused = 0;
    Game.Execute(TCommand::SetStatusBarText);
    EXPECT_EQ(Screen.StatusCounts, "10,000 Players  (9,500 Unknowns )");
    EXPECT_EQ(Screen.StatusPosition, "1 / 10,000");
    Screen.Focused = -1;
    Game.Execute(TCommand::SetStatusBarText);
    EXPECT_EQ(Screen.StatusPosition, "");
    EXPECT_EQ(TGame::StatusPositionText(499, 10000), "500 / 10,000");
}

} // namespace
} // namespace goalvanta::test
