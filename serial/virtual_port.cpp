// Pseudo-terminal pair and its published link.
#include "serial/virtual_port.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include "serial/tty_linux.h"

namespace {

std::string EnvDir(const char* name)
{
    const char* value = std::getenv(name);
    // Only an absolute path counts, as the base directory rules say.
    if (!value || value[0] != '/')
        return {};
    return value;
}

std::string SafeName(const std::string& name)
{
    std::string safe = name.empty() ? std::string("pty") : name;
    for (char& c : safe) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '-' || c == '_';
        if (!plain)
            c = '_';
    }
    return safe;
}

int MakeFolder(const std::string& folder)
{
    // Each level, so that a missing cache directory is made as well.
    for (size_t at = 1; at <= folder.size(); ++at) {
        if (at != folder.size() && folder[at] != '/')
            continue;
        const std::string level = folder.substr(0, at);
        if (mkdir(level.c_str(), 0700) != 0 && errno != EEXIST)
            return errno;
    }
    struct stat info{};
    if (stat(folder.c_str(), &info) != 0)
        return errno;
    return S_ISDIR(info.st_mode) ? 0 : ENOTDIR;
}

int Publish(const std::string& target, const std::string& linkPath)
{
    const size_t slash = linkPath.rfind('/');
    if (slash == std::string::npos || slash == 0)
        return EINVAL;
    if (int err = MakeFolder(linkPath.substr(0, slash)))
        return err;
    // Made aside and renamed over the old one, so that a PG never finds the
    // link missing or half made while it is replaced.
    const std::string temporary = linkPath + ".new" + std::to_string(getpid());
    unlink(temporary.c_str());
    if (symlink(target.c_str(), temporary.c_str()) != 0)
        return errno;
    if (rename(temporary.c_str(), linkPath.c_str()) != 0) {
        const int err = errno;
        unlink(temporary.c_str());
        return err;
    }
    return 0;
}

int MakeRaw(int fd)
{
    termios t{};
    if (tcgetattr(fd, &t) != 0)
        return errno;
    cfmakeraw(&t);
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    return tcsetattr(fd, TCSANOW, &t) == 0 ? 0 : errno;
}

} // namespace

std::string VirtualPortLinkPath(const std::string& deviceName)
{
    std::string base = EnvDir("XDG_RUNTIME_DIR");
    if (base.empty()) {
        base = EnvDir("XDG_CACHE_HOME");
        if (base.empty()) {
            const std::string home = EnvDir("HOME");
            base = home.empty() ? std::string("/tmp") : home + "/.cache";
        }
    }
    return base + "/orvane/" + SafeName(deviceName);
}

namespace tty {

int openVirtualPort(const std::string& linkPath, VirtualPort& port)
{
    port = VirtualPort{};
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master < 0)
        return errno;
    char name[PATH_MAX] = {};
    int err = 0;
    if (grantpt(master) != 0 || unlockpt(master) != 0 || ptsname_r(master, name, sizeof name) != 0)
        err = errno ? errno : EIO;
    int slave = -1;
    if (!err) {
        slave = open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (slave < 0)
            err = errno;
    }
    // A PG that leaves the line settings alone finds a raw line.
    if (!err)
        err = MakeRaw(slave);
    if (!err)
        err = Publish(name, linkPath);
    if (err) {
        if (slave >= 0)
            closeFd(slave);
        closeFd(master);
        return err;
    }
    port.master = master;
    port.slave = slave;
    port.slavePath = name;
    port.linkPath = linkPath;
    return 0;
}

void closeVirtualPort(VirtualPort& port)
{
    if (!port.linkPath.empty()) {
        char target[PATH_MAX] = {};
        const ssize_t n = readlink(port.linkPath.c_str(), target, sizeof target - 1);
        // Another run may have published its own port there meanwhile.
        if (n > 0 && port.slavePath == std::string(target, static_cast<size_t>(n)))
            unlink(port.linkPath.c_str());
    }
    if (port.slave >= 0)
        closeFd(port.slave);
    if (port.master >= 0)
        closeFd(port.master);
    port = VirtualPort{};
}

} // namespace tty
