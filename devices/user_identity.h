// Who the device list is made for: a user id with its primary and
// supplementary groups. The process's own identity is the default; tests
// give another one, since a test running as root could open anything.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

struct UserIdentity
{
    uid_t uid = 0;
    gid_t gid = 0;
    std::vector<gid_t> groups; // supplementary groups

    bool InGroup(gid_t group) const;
};

// The effective user and group ids of this process and its supplementary
// groups.
UserIdentity CurrentUserIdentity();

// The name of a user or group in the system's databases; empty when it has
// none or the lookup fails.
std::optional<std::string> UserName(uid_t uid);
std::optional<std::string> GroupName(gid_t gid);
