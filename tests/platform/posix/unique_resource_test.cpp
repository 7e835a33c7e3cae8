#include "platform/posix/unique_resource.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace pellatone {
namespace {

bool IsOpen(int fd) { return ::fcntl(fd, F_GETFD) != -1; }

int OpenDevNull() { return ::open("/dev/null", O_RDONLY | O_CLOEXEC); }

void OwnUntilReturn(int fd) { const posix::UniqueFd owner(fd); }

TEST(UniqueFd, ClosesTheDescriptorWhenItGoes) {
    const int fd = OpenDevNull();
    ASSERT_GE(fd, 0);
    OwnUntilReturn(fd);
    EXPECT_FALSE(IsOpen(fd));
}

TEST(UniqueFd, MovingHandsOverTheDescriptorOnce) {
    posix::UniqueFd first(OpenDevNull());
    ASSERT_TRUE(first);
    const int fd = first.Get();
    posix::UniqueFd second = std::move(first);
    EXPECT_FALSE(first);  // NOLINT(bugprone-use-after-move): moved-from is empty by design
    EXPECT_EQ(second.Get(), fd);
    EXPECT_TRUE(IsOpen(fd));
    second = posix::UniqueFd();
    EXPECT_FALSE(IsOpen(fd));
}

TEST(UniqueFd, CloseReportsAFailedClose) {
    const int fd = OpenDevNull();
    ASSERT_GE(fd, 0);
    posix::UniqueFd owner(fd);
    ASSERT_EQ(::close(fd), 0);
    EXPECT_EQ(owner.Close(), EBADF);
    EXPECT_FALSE(owner);
    EXPECT_EQ(owner.Close(), 0);
}

}  // namespace
}  // namespace pellatone
