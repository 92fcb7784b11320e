// The built-in virtual serial port: a pseudo-terminal pair whose master
// side the port serves and whose slave a PG program on the same machine
// opens, reached through a stable link in the user's runtime directory.
// Linux-only (posix_openpt, ptsname_r), hence apart from the port's logic.
#pragma once

#include <string>

// The link a virtual port for deviceName ("COM3", "pty") is published as:
// $XDG_RUNTIME_DIR/orvane/<name>, or under the per-user cache directory
// ($XDG_CACHE_HOME, else ~/.cache) when there is no runtime directory.
// Characters other than letters, digits, '-' and '_' in the name become '_'.
std::string VirtualPortLinkPath(const std::string& deviceName);

namespace tty {

struct VirtualPort
{
    int master = -1;        // served by the port
    int slave = -1;         // held open, so the PG may close and reopen its side
    std::string slavePath;  // /dev/pts/N
    std::string linkPath;   // the published link to slavePath
};

// Makes the pair (both ends non-blocking, the slave raw), and replaces
// whatever stood at linkPath by a link to the slave (its folder made with
// mode 0700 if missing). 0 or the errno value; on failure nothing is left
// open and no link is made.
int openVirtualPort(const std::string& linkPath, VirtualPort& port);
// Closes both ends and removes the link if it still points at the slave.
void closeVirtualPort(VirtualPort& port);

} // namespace tty
