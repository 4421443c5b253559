#include "game/GameTables.h"

#include "game/NumberFormat.h"

#include <algorithm>
#include <cctype>
#include <initializer_list>

namespace goalvanta {

namespace {

void Fill(TIntegerList& table, std::initializer_list<std::int32_t> values) {
    table.Clear();
    for (std::int32_t value : values)
        table.Add(value);
}

// Puts `argument` in place of the first `placeholder`; a text without one is kept.
std::string Substitute(std::string pattern, std::string_view placeholder,
                       const std::string& argument) {
    const auto at = pattern.find(placeholder);
    if (at != std::string::npos)
        pattern.replace(at, placeholder.size(), argument);
    return pattern;
}

TGameTables Build() {
    TGameTables t;

    Fill(t.SettingPrices, {30000, 1000});
    t.SettingNames = {"AutoRest", "SelfJudging"};

    Fill(t.ShoesBonuses, {1, 5, 25, 125, 625, 3125, 15625});
    Fill(t.ShoesPrices, {0, 100, 1000, 10000, 100000, 1000000, 10000000});
    t.ShoesNames = {"Worst shoes (+%s Per Win)", "Worse shoes (+%s Per Win)",
                    "Bad shoes (+%s Per Win)",   "Normal shoes (+%s Per Win)",
                    "Good shoes (+%s Per Win)",  "Better shoes (+%s Per Win)",
                    "Best shoes (+%s Per Win)"};
    for (std::size_t i = 0; i < t.ShoesNames.size(); ++i)
        t.ShoesNames[i] = Substitute(t.ShoesNames[i], "%s",
                                     FormatNumber(t.ShoesBonuses.Items(static_cast<int>(i))));

    Fill(t.SponsorIncomes, {0, 100000, 10000, 1000, 100, 10});
    t.SponsorNames = {"None",
                      "1st-rate Corp.(%s $ Per Win)",
                      "2nd-rate Corp.(%s $ Per Win)",
                      "3rd-rate Corp.(%s $ Per Win)",
                      "4th-rate Corp.(%s $ Per Win)",
                      "5th-rate Corp.(%s $ Per Win)"};
    for (std::size_t i = 0; i < t.SponsorNames.size(); ++i)
        t.SponsorNames[i] = Substitute(t.SponsorNames[i], "%s",
                                       FormatNumber(t.SponsorIncomes.Items(static_cast<int>(i))));

    t.ResultNames = {"None", "Won", "Drew", "Lost"};

    Fill(t.WeightFactors, {1, 2, 4, 8, 16, 32, 64, 128, 256});
    Fill(t.WeightPrices, {0, 5, 50, 500, 5000, 50000, 500000, 5000000, 50000000});
    // One name per factor: "None" for the first, "x<factor> weight" for the rest,
    // with the factor as a plain number (no grouping).
    t.WeightNames = {"None"};
    for (std::int32_t i = 1; i < t.WeightFactors.Count(); ++i)
        t.WeightNames.push_back(
            Substitute("x%d weight", "%d", std::to_string(t.WeightFactors.Items(i))));
    return t;
}

} // namespace

const TGameTables& GameTables() {
    static const TGameTables tables = Build();
    return tables;
}

int IndexOfText(const TStringTable& table, std::string_view text) {
    const auto same = [text](const std::string& entry) {
        return std::equal(
            entry.begin(), entry.end(), text.begin(), text.end(),
            [](unsigned char a, unsigned char b) { return std::tolower(a) == std::tolower(b); });
    };
    const auto it = std::find_if(table.begin(), table.end(), same);
    return it == table.end() ? -1 : static_cast<int>(it - table.begin());
}

} // namespace goalvanta
