#include "platform/unique_resource.h"

#include <gtest/gtest.h>

namespace pellatone {
namespace {

// What was released: how many handles, and their sum.
int releases = 0;
int releasedSum = 0;
void CountRelease(int handle) noexcept {
    ++releases;
    releasedSum += handle;
}
using CountedResource = UniqueResource<int, &CountRelease>;

TEST(UniqueResource, ReleasesEachHandleOnceAndNeverTheEmptyOne) {
    releases = 0;
    {
        CountedResource owner(7);
        owner.Reset(8);
        EXPECT_EQ(releases, 1);
        EXPECT_EQ(owner.Detach(), 8);
        CountedResource empty;
    }
    EXPECT_EQ(releases, 1);
    CountedResource owner(9);
    EXPECT_EQ(owner.Close(), 0);
    EXPECT_EQ(releases, 2);
}

TEST(UniqueResource, ReceiveReleasesWhatWasOwnedAndTakesTheNewHandle) {
    releasedSum = 0;
    {
        CountedResource owned(3);
        int* slot = owned.Receive();
        EXPECT_EQ(releasedSum, 3);
        EXPECT_EQ(*slot, 0);
        *slot = 5;
        EXPECT_EQ(owned.Get(), 5);
    }
    EXPECT_EQ(releasedSum, 8);
}

TEST(UniqueResource, DetachedHandleIsNotReleased) {
    releasedSum = 0;
    {
        CountedResource owned(7);
        EXPECT_EQ(owned.Detach(), 7);
        EXPECT_FALSE(owned);
    }
    EXPECT_EQ(releasedSum, 0);
}

}  // namespace
}  // namespace pellatone
