// Whether a user may open a device, decided from the node's owner, group and
// mode as the kernel would for reading and writing, and said in plain words
// when not. Decided from stat rather than access(), which answers for the
// process and not for the user in question (and always yes for root).
// Access control lists are not read: a node that grants more through one is
// reported from its mode bits alone.
#pragma once

#include "devices/user_identity.h"

#include <sys/stat.h>

#include <string>

// Empty when user may open a node of this status for reading and writing;
// else, for example, `no permission: owned by group "dialout", which you are
// not in` (`owned by group 4242, ...` when it has no name) or `no
// permission: owned by root, mode 0600` (`owned by user 4242, ...`). The superuser may open anything.
std::string AccessProblem(const struct stat& status, const UserIdentity& user);

struct DeviceCheck
{
    bool present = false;  // the path (followed through links) exists
    std::string problem;   // why it cannot be opened now; empty when it can
};

// Looks at path (following links): "missing" when it is not there, "cannot
// be examined: <reason>" when stat fails otherwise, "not a device: a
// directory" (a regular file, ...) for anything but a character device, and
// AccessProblem for a device.
DeviceCheck CheckDevice(const std::string& path, const UserIdentity& user);
