#include <gtest/gtest.h>

#include <string>

#include "types/String.h"

using korvane::types::String;

TEST(StringTest, GrowthRuleExamples) {
    const std::pair<uint32_t, uint32_t> examples[] = {{0, 0},     {1, 64},    {63, 64},   {64, 80},
                                                      {100, 112}, {128, 160}, {200, 224}, {1000, 1024},
                                                      {127, 128}, {79, 80},   {80, 96}};
    for (auto [length, capacity] : examples)
        EXPECT_EQ(String::capacityFor(length), capacity) << "length " << length;
}

TEST(StringTest, EmptyTextHasNoBuffer) {
    String empty("");
    EXPECT_EQ(empty.getCapacity(), 0u);
    EXPECT_STREQ(empty.getText(), "");
    EXPECT_EQ(empty.getLength(), 0u);
    String assigned("abc");
    assigned.assign("");
    EXPECT_EQ(assigned.getCapacity(), 0u);
    EXPECT_STREQ(assigned.getText(), "");
}

TEST(StringTest, AppendAssignAndCopyFollowTheRule) {
    String s(std::string(10, 'a').c_str());
    s.append(std::string(64, 'b').c_str());
    EXPECT_EQ(s.getLength(), 74u);
    EXPECT_EQ(s.getCapacity(), 80u);
    EXPECT_EQ(s.view(), std::string(10, 'a') + std::string(64, 'b'));

    String t(std::string(10, 'x').c_str());
    t.assign(std::string(63, 'y').c_str());
    EXPECT_EQ(t.getCapacity(), 64u);
    t.assign(std::string(64, 'z').c_str());
    EXPECT_EQ(t.getCapacity(), 80u);
    EXPECT_EQ(t.view(), std::string(64, 'z'));

    String big(std::string(200, 'c').c_str());
    EXPECT_EQ(big.getCapacity(), 224u);
    big.assign(std::string(70, 'd').c_str()); // fits: buffer kept
    EXPECT_EQ(big.getCapacity(), 224u);
    String copy(big);
    EXPECT_EQ(copy.getCapacity(), 80u);
    EXPECT_EQ(copy, big);

    copy.assign(copy);
    EXPECT_EQ(copy.view(), std::string(70, 'd'));
    String empty;
    empty.append("");
    EXPECT_EQ(empty.getCapacity(), 0u);
}

TEST(StringTest, ConcatLowerCaseAndObjectSlots) {
    EXPECT_EQ(String::concat(String("Object"), ":Class"), "Object:Class");
    EXPECT_EQ(String::concat(String(), String()).getLength(), 0u);
    EXPECT_EQ(String::concat(String("abc"), ""), "abc");
    EXPECT_EQ(String("Accidental Presidency").toLowerCase(), "accidental presidency");
    EXPECT_EQ(String().toLowerCase().getLength(), 0u);
    String s("hello");
    EXPECT_EQ(s.getName(), "hello");
    EXPECT_EQ(s.toString(), "hello");
    EXPECT_EQ(s.getClassPath(), "Object:String");
}
