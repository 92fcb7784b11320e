// Permission of a device node for a given user, from its status.
#include "devices/device_access.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

constexpr mode_t kReadWrite[] = {S_IRUSR | S_IWUSR, S_IRGRP | S_IWGRP, S_IROTH | S_IWOTH};

bool grants(mode_t mode, mode_t bits)
{
    return (mode & bits) == bits;
}

std::string octalMode(mode_t mode)
{
    char text[8];
    std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode & 07777));
    return text;
}

const char* nodeType(mode_t mode)
{
    if (S_ISDIR(mode))
        return "a directory";
    if (S_ISREG(mode))
        return "a regular file";
    if (S_ISBLK(mode))
        return "a block device";
    if (S_ISFIFO(mode))
        return "a named pipe";
    if (S_ISSOCK(mode))
        return "a socket";
    return "something else";
}

} // namespace

std::string AccessProblem(const struct stat& status, const UserIdentity& user)
{
    if (user.uid == 0)
        return {};
    const mode_t mode = status.st_mode;
    // The kernel looks at one class only: the owner's bits for the owner,
    // the group's for a member, the others' for everybody else.
    const bool owner = status.st_uid == user.uid;
    const bool member = !owner && user.InGroup(status.st_gid);
    const mode_t needed = owner ? kReadWrite[0] : member ? kReadWrite[1] : kReadWrite[2];
    if (grants(mode, needed))
        return {};
    if (!owner && !member && grants(mode, kReadWrite[1])) {
        const auto name = GroupName(status.st_gid);
        return "no permission: owned by group " + (name ? "\"" + *name + "\"" : std::to_string(status.st_gid))
               + ", which you are not in";
    }
    const auto name = UserName(status.st_uid);
    return "no permission: owned by " + (name ? *name : "user " + std::to_string(status.st_uid)) + ", mode "
           + octalMode(mode);
}

DeviceCheck CheckDevice(const std::string& path, const UserIdentity& user)
{
    struct stat status
    {
    };
    if (stat(path.c_str(), &status) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return {false, "missing"};
        return {false, std::string("cannot be examined: ") + std::strerror(errno)};
    }
    if (!S_ISCHR(status.st_mode))
        return {true, std::string("not a device: ") + nodeType(status.st_mode)};
    return {true, AccessProblem(status, user)};
}
