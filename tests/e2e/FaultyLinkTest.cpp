// The simulated network really does the harm the end-to-end tests count on.

#include "FaultyLink.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

namespace {

TEST(FaultyLinkTest, LossDuplicationAndReorderingHappenAtTheirRatesAndASeedRepeatsThem)
{
    auto run = [](uint32_t seed) {
        FaultyLink link(seed);
        link.SetFaults({0.2, 0.2, 0.2, 3});
        std::vector<uint32_t> out;
        for (uint32_t now = 0; now < 10000 + 1000; ++now) {
            if (now < 10000) {
                Packet bytes(4);
                bytes.WriteU32(now, 0);
                link.Push({bytes, {}}, now);
            }
            for (const Datagram& d : link.Take(now))
                out.push_back(d.bytes.ReadU32(0));
        }
        EXPECT_EQ(link.Waiting(), 0u);
        const FaultyLink::Counts& counts = link.Tally();
        EXPECT_NEAR(double(counts.lost), 2000, 250);
        EXPECT_NEAR(double(counts.duplicated), 1600, 250); // a fifth of the survivors
        EXPECT_EQ(out.size(), 10000 - counts.lost + counts.duplicated);
        size_t overtaken = 0;
        for (size_t i = 1; i < out.size(); ++i)
            overtaken += out[i] < out[i - 1] ? 1 : 0;
        EXPECT_GT(overtaken, 1000u);
        EXPECT_EQ(std::set<uint32_t>(out.begin(), out.end()).size(), 10000 - counts.lost);
        return out;
    };
    const std::vector<uint32_t> first = run(11);
    EXPECT_EQ(first, run(11));
    EXPECT_NE(first, run(12));
}

} // namespace
