#include "FaultyLink.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>

namespace {

Datagram Numbered(uint32_t n)
{
    Packet bytes(4);
    bytes.WriteU32(n, 0);
    return {bytes, {}};
}

std::vector<uint32_t> Numbers(const std::vector<Datagram>& datagrams)
{
    std::vector<uint32_t> numbers;
    for (const Datagram& d : datagrams)
        numbers.push_back(d.bytes.ReadU32(0));
    return numbers;
}

// Pushes `count` numbered datagrams, one per hundredth, and collects all that come out,
// letting time run on afterwards until the link is empty.
std::vector<uint32_t> PassThrough(FaultyLink& link, uint32_t count)
{
    std::vector<uint32_t> out;
    uint32_t now = 1000;
    for (uint32_t n = 0; n < count; ++n, ++now) {
        link.Push(Numbered(n), now);
        for (uint32_t got : Numbers(link.Take(now)))
            out.push_back(got);
    }
    for (uint32_t waited = 0; link.Waiting() > 0 && waited < 1000; ++waited, ++now)
        for (uint32_t got : Numbers(link.Take(now)))
            out.push_back(got);
    return out;
}

TEST(FaultyLinkTest, WithoutFaultsEverythingPassesAtOnceInOrder)
{
    FaultyLink link(7);
    for (uint32_t n = 0; n < 5; ++n)
        link.Push(Numbered(n), 50);
    EXPECT_EQ(Numbers(link.Take(50)), (std::vector<uint32_t>{0, 1, 2, 3, 4}));
    EXPECT_EQ(link.Waiting(), 0u);
}

TEST(FaultyLinkTest, LossAndDuplicationFollowTheirProbabilities)
{
    FaultyLink link(42);
    link.SetFaults({0.2, 0.2, 0, 0});
    const std::vector<uint32_t> out = PassThrough(link, 10000);
    const FaultyLink::Counts& counts = link.Tally();
    EXPECT_NEAR(double(counts.lost), 2000, 250);
    EXPECT_NEAR(double(counts.duplicated), 1600, 250); // a fifth of the survivors
    EXPECT_EQ(out.size(), 10000 - counts.lost + counts.duplicated);
    // Without reordering, copies follow each other and the order holds.
    EXPECT_TRUE(std::is_sorted(out.begin(), out.end()));
}

TEST(FaultyLinkTest, ReorderedDatagramsAreOvertakenButAllArrive)
{
    FaultyLink link(3);
    link.SetFaults({0, 0, 0.3, 0});
    const std::vector<uint32_t> out = PassThrough(link, 2000);
    ASSERT_EQ(out.size(), 2000u);
    EXPECT_EQ(std::set<uint32_t>(out.begin(), out.end()).size(), 2000u);
    size_t overtaken = 0;
    for (size_t i = 1; i < out.size(); ++i)
        overtaken += out[i] < out[i - 1] ? 1 : 0;
    EXPECT_GT(overtaken, 300u);
    // None is held back further than three places.
    for (size_t i = 0; i < out.size(); ++i)
        EXPECT_LE(std::abs(int64_t(out[i]) - int64_t(i)), 3) << "at " << i;
}

TEST(FaultyLinkTest, AHeldDatagramOnAQuietLinkGoesOnAfterTheLongestHold)
{
    FaultyLink link(1);
    link.SetFaults({0, 0, 1.0, 0});
    link.Push(Numbered(9), 100);
    EXPECT_TRUE(link.Take(100 + FaultyLink::kMaxHold - 1).empty());
    EXPECT_EQ(Numbers(link.Take(100 + FaultyLink::kMaxHold)), std::vector<uint32_t>{9});
}

TEST(FaultyLinkTest, DelayedDatagramsWaitUntilTheyAreDue)
{
    FaultyLink link(5);
    link.SetFaults({0, 0, 0, 10});
    for (uint32_t n = 0; n < 200; ++n)
        link.Push(Numbered(n), 0);
    size_t seen = 0;
    for (uint32_t now = 0; now <= 10; ++now)
        seen += link.Take(now).size();
    EXPECT_EQ(seen, 200u);
    EXPECT_GT(link.Tally().delayed, 150u);
}

TEST(FaultyLinkTest, ASeedGivesTheSameRunEveryTime)
{
    const LinkFaults faults{0.2, 0.2, 0.2, 3};
    FaultyLink a(11), b(11), c(12);
    a.SetFaults(faults);
    b.SetFaults(faults);
    c.SetFaults(faults);
    const std::vector<uint32_t> first = PassThrough(a, 500);
    EXPECT_EQ(first, PassThrough(b, 500));
    EXPECT_NE(first, PassThrough(c, 500));
}

} // namespace
