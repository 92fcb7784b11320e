// The process's identity and the names of users and groups.
#include "devices/user_identity.h"

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace {

// The reentrant lookups want a buffer whose size the system suggests, and
// ask for more with ERANGE.
template <typename Entry, typename Lookup>
std::optional<std::string> lookUpName(Lookup lookup, int sizeHint, char* Entry::*nameField)
{
    long size = sysconf(sizeHint);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 1024);
    for (int attempt = 0; attempt < 8; ++attempt) {
        Entry entry{};
        Entry* found = nullptr;
        const int error = lookup(&entry, buffer.data(), buffer.size(), &found);
        if (error == ERANGE) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (error == 0 && found && found->*nameField && *(found->*nameField))
            return found->*nameField;
        break;
    }
    return std::nullopt;
}

} // namespace

bool UserIdentity::InGroup(gid_t group) const
{
    return group == gid || std::find(groups.begin(), groups.end(), group) != groups.end();
}

UserIdentity CurrentUserIdentity()
{
    UserIdentity user;
    user.uid = geteuid();
    user.gid = getegid();
    const int count = getgroups(0, nullptr);
    if (count > 0) {
        user.groups.resize(static_cast<std::size_t>(count));
        const int got = getgroups(count, user.groups.data());
        user.groups.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    }
    return user;
}

std::optional<std::string> UserName(uid_t uid)
{
    return lookUpName<passwd>(
        [uid](passwd* entry, char* buffer, std::size_t size, passwd** found) {
            return getpwuid_r(uid, entry, buffer, size, found);
        },
        _SC_GETPW_R_SIZE_MAX, &passwd::pw_name);
}

std::optional<std::string> GroupName(gid_t gid)
{
    return lookUpName<group>(
        [gid](group* entry, char* buffer, std::size_t size, group** found) {
            return getgrgid_r(gid, entry, buffer, size, found);
        },
        _SC_GETGR_R_SIZE_MAX, &group::gr_name);
}
