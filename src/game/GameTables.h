#pragma once

#include "lists/IntegerList.h"

#include <string>
#include <string_view>
#include <vector>

namespace goalvanta {

using TStringTable = std::vector<std::string>;

// Every fixed number of the game and the text that goes with it. The model stores
// only indices into these tables (which shoes, which sponsor, which weight, which
// result, which setting). Within a group the tables share their index:
//   settings  SettingNames / SettingPrices                  2 rows (index = bit in the sets)
//   shoes     ShoesBonuses / ShoesPrices / ShoesNames        7 rows
//   sponsors  SponsorIncomes / SponsorNames                  6 rows (0 = none, 1 = richest)
//   results   ResultNames                                    4 rows (None, Won, Drew, Lost)
//   weights   WeightFactors / WeightPrices / WeightNames     9 rows (index = bit in the set)
struct TGameTables {
    TStringTable SettingNames;
    TIntegerList SettingPrices;
    TIntegerList ShoesBonuses;
    TIntegerList ShoesPrices;
    TStringTable ShoesNames;
    TIntegerList SponsorIncomes;
    TStringTable SponsorNames;
    TStringTable ResultNames;
    TIntegerList WeightFactors;
    TIntegerList WeightPrices;
    TStringTable WeightNames;
};

// The tables, built on first use and never changed afterwards. The program calls
// this once at start-up so that they are in place before any window exists.
const TGameTables& GameTables();

// Index of `text` in `table`, compared without regard to ASCII letter case; -1 when
// absent. The shop and the weight selector map a chosen text back to its index so.
int IndexOfText(const TStringTable& table, std::string_view text);

} // namespace goalvanta
