// The flag guard over a set: a state flag held for a scope and taken out on
// every way out.
#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>

#include "document/rvset.h"

namespace {

enum TFlag { fA, fB, fC };
using TFlags = TRVSet<TFlag, uint8_t>;

} // namespace

TEST(RVFlagGuard, HoldsTheFlagForTheScopeOnEveryWayOut)
{
    TFlags flags{fB};
    {
        TRVFlagGuard guard(flags, fA);
        EXPECT_TRUE(flags.Contains(fA));
    }
    EXPECT_EQ(flags, TFlags{fB}) << "out again, the other members untouched";
    try {
        TRVFlagGuard guard(flags, fA);
        throw std::runtime_error("step failed");
    } catch (const std::runtime_error&) {
        EXPECT_FALSE(flags.Contains(fA)) << "a failed step leaves no flag behind";
    }
    EXPECT_EQ(flags, TFlags{fB});
}

TEST(RVFlagGuard, KeepIfSetLeavesAnOuterFlagToItsOwner)
{
    struct Case {
        const char* Name;
        TFlags Before;
        bool KeepIfSet;
        bool SetAfter;
    };
    const Case cases[] = {
        {"unset, keeping", TFlags{}, true, false},
        {"set, keeping", TFlags{fC}, true, true},
        {"unset, not keeping", TFlags{}, false, false},
        {"set, not keeping", TFlags{fC}, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TFlags flags = c.Before;
        {
            TRVFlagGuard guard(flags, fC, c.KeepIfSet);
            EXPECT_TRUE(flags.Contains(fC));
        }
        EXPECT_EQ(flags.Contains(fC), c.SetAfter);
    }
}

TEST(RVBoolFlagGuard, HoldsAFieldFlagForTheScopeOnEveryWayOut)
{
    bool flag = false;
    {
        TRVBoolFlagGuard guard(flag);
        EXPECT_TRUE(flag);
    }
    EXPECT_FALSE(flag);
    try {
        TRVBoolFlagGuard guard(flag);
        throw std::runtime_error("step failed");
    } catch (const std::runtime_error&) {
        EXPECT_FALSE(flag) << "a failed step leaves no flag behind";
    }
}
