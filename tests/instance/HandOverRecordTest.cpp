#include "instance/HandOverRecord.h"

#include <gtest/gtest.h>

namespace goalvanta {
namespace {

std::vector<std::uint8_t> Bytes(std::initializer_list<int> values) {
    std::vector<std::uint8_t> out;
    for (int v : values)
        out.push_back(static_cast<std::uint8_t>(v));
    return out;
}

TEST(HandOverRecord, ComposedRecordsParseBack) {
    for (const std::string& text : {std::string(), std::string("/home/u/01 game.txt"),
                                    std::string("/tmp/") + std::string(4000, 'x') + "\xC3\xA9"}) {
        const std::vector<std::uint8_t> bytes = ComposeHandOverRecord({1, text});
        ASSERT_EQ(bytes.size(), 8 + text.size() + 1);
        EXPECT_EQ(bytes[4] | bytes[5] << 8, static_cast<int>(text.size() + 1)); // zero counted
        const auto record = ParseHandOverRecord(bytes);
        ASSERT_TRUE(record.has_value());
        EXPECT_EQ(record->Code, 1u);
        EXPECT_EQ(record->Text, text);
    }
    EXPECT_EQ(ComposeHandOverRecord({1, "ab"}), Bytes({1, 0, 0, 0, 3, 0, 0, 0, 'a', 'b', 0}));
}

TEST(HandOverRecord, UnsoundRecordsAreRefused) {
    const std::pair<const char*, std::vector<std::uint8_t>> cases[] = {
        {"empty", {}},
        {"header cut", Bytes({1, 0, 0, 0, 3, 0})},
        {"length 0", Bytes({1, 0, 0, 0, 0, 0, 0, 0})},
        {"text shorter than its length", Bytes({1, 0, 0, 0, 9, 0, 0, 0, 'a', 0})},
        {"no terminating zero", Bytes({1, 0, 0, 0, 2, 0, 0, 0, 'a', 'b'})},
        {"zero inside the text", Bytes({1, 0, 0, 0, 4, 0, 0, 0, 'a', 0, 'b', 0})},
        {"bytes after the record", Bytes({1, 0, 0, 0, 2, 0, 0, 0, 'a', 0, 1})},
        {"megabytes claimed", Bytes({1, 0, 0, 0, 0, 0, 0x10, 0})},
        {"length just above the cap", Bytes({1, 0, 0, 0, 1, 0, 1, 0})},
    };
    for (const auto& [name, bytes] : cases)
        EXPECT_FALSE(ParseHandOverRecord(bytes).has_value()) << name;
    // Any code parses; acting only on code 1 is the receiver's business.
    EXPECT_EQ(ParseHandOverRecord(Bytes({7, 0, 0, 0, 1, 0, 0, 0, 0}))->Code, 7u);
}

TEST(HandOverRecord, ParserAsksForNoByteBeyondTheDeclaredLength) {
    THandOverParser parser;
    EXPECT_EQ(parser.Needed(), 8u);
    parser.Feed(Bytes({1, 0, 0, 0}));
    EXPECT_EQ(parser.Needed(), 4u);
    parser.Feed(Bytes({3, 0, 0, 0}));
    EXPECT_EQ(parser.Needed(), 3u);
    EXPECT_EQ(parser.Feed(Bytes({'x', 'y'})), THandOverParser::TState::NeedMore);
    EXPECT_EQ(parser.Feed(Bytes({0})), THandOverParser::TState::Complete);
    EXPECT_EQ(parser.Needed(), 0u);
    EXPECT_EQ(parser.Record().Text, "xy");

    THandOverParser greedy; // feeding more than asked is refused, not buffered
    EXPECT_EQ(greedy.Feed(Bytes({1, 0, 0, 0, 1, 0, 0, 0, 0})), THandOverParser::TState::Invalid);
}

} // namespace
} // namespace goalvanta
