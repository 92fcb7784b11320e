// Permission of a node for a pretended user, from its owner, group and mode.
#include "devices/device_access.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

namespace {

struct AccessCase
{
    const char* what;
    uid_t owner;
    gid_t group;
    mode_t mode;
    const char* problem; // empty: may open
};

TEST(DeviceAccess, OneClassOfBitsDecidesForReadingAndWriting)
{
    UserIdentity user;
    user.uid = 4200;
    user.gid = 4201;
    user.groups = {4202, 4203};
    const AccessCase cases[] = {
        {"owner", 4200, 0, S_IFCHR | 0600, ""},
        {"primary group", 0, 4201, S_IFCHR | 0660, ""},
        {"supplementary group", 0, 4203, S_IFCHR | 0660, ""},
        {"anybody", 0, 0, S_IFCHR | 0666, ""},
        {"not in the group", 0, 0, S_IFCHR | 0660,
         "no permission: owned by group \"root\", which you are not in"},
        {"owner only", 0, 0, S_IFCHR | 0600, "no permission: owned by root, mode 0600"},
        {"member may only read", 0, 4202, S_IFCHR | 0640, "no permission: owned by root, mode 0640"},
        {"others may only read", 0, 0, S_IFCHR | 0604, "no permission: owned by root, mode 0604"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        struct stat status
        {
        };
        status.st_uid = c.owner;
        status.st_gid = c.group;
        status.st_mode = c.mode;
        EXPECT_EQ(AccessProblem(status, user), c.problem);
    }

    UserIdentity root;
    struct stat locked
    {
    };
    locked.st_mode = S_IFCHR | 0000;
    locked.st_uid = 4200;
    EXPECT_EQ(AccessProblem(locked, root), "");
}

TEST(DeviceAccess, OwnersWithoutANameAreGivenByNumber)
{
    constexpr gid_t kNoGroup = 3999999;
    constexpr uid_t kNoUser = 3999998;
    if (getgrgid(kNoGroup) || getpwuid(kNoUser))
        GTEST_SKIP() << "this system names the ids the test takes for nameless";
    UserIdentity user;
    user.uid = 4200;
    user.gid = 4201;
    struct stat status
    {
    };
    status.st_uid = kNoUser;
    status.st_gid = kNoGroup;
    status.st_mode = S_IFCHR | 0660;
    EXPECT_EQ(AccessProblem(status, user), "no permission: owned by group 3999999, which you are not in");
    status.st_mode = S_IFCHR | 0600;
    EXPECT_EQ(AccessProblem(status, user), "no permission: owned by user 3999998, mode 0600");

    // The owner's bits alone count for the owner, whatever the others may.
    user.uid = kNoUser;
    status.st_mode = S_IFCHR | 0066;
    EXPECT_EQ(AccessProblem(status, user), "no permission: owned by user 3999998, mode 0066");
}

} // namespace
