// A descriptor has one owner: moving it on never closes it, and its last owner closes it once. A
// second close would close whatever file the system gave that number to in between.
#include <fcntl.h>
#include <gtest/gtest.h>

#include <utility>

#include "framework/FileDescriptor.h"
#include "framework/FolderReader.h"
#include "framework/LocalOpen.h"

namespace {

bool IsOpen(int fd) {
    return fd >= 0 && ::fcntl(fd, F_GETFD) != -1;
}

TEST(FileDescriptorTest, TheLastOwnerClosesItAndAMoveDoesNot) {
    int number = -1;
    {
        fw::FileDescriptor first = fw::OpenFolderAt("/");
        ASSERT_TRUE(first);
        number = first.Get();
        fw::FileDescriptor second;
        {
            fw::FileDescriptor moved(std::move(first));
            EXPECT_FALSE(first);
            second = std::move(moved);
        }
        EXPECT_TRUE(IsOpen(number));
        EXPECT_EQ(second.Get(), number);
    }
    EXPECT_FALSE(IsOpen(number));
}

TEST(FileDescriptorTest, AFolderBeingReadIsClosedOnceByItsLastOwner) {
    int number = -1;
    {
        fw::FolderReader reader(fw::OpenFolderAt("/"));
        number = reader.Descriptor().Get();
        ASSERT_TRUE(reader.ReadNext().name.has_value());  // the listing owns it from here on
        fw::FolderReader moved(std::move(reader));
        fw::FolderReader last;
        last = std::move(moved);
        EXPECT_TRUE(IsOpen(number));
        EXPECT_EQ(last.Descriptor().Get(), number);
        EXPECT_EQ(last.ReadNext().error, 0);  // still read through the moved listing
    }
    EXPECT_FALSE(IsOpen(number));
}

}  // namespace
