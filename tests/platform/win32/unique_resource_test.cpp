#include "platform/win32/unique_resource.h"

#include <gtest/gtest.h>

namespace pellatone::win32 {
namespace {

int releasedSum = 0;
void CountRelease(int handle) noexcept { releasedSum += handle; }
using CountedResource = UniqueResource<int, &CountRelease>;

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
}  // namespace pellatone::win32
