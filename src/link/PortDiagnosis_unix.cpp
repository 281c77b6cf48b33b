// Port diagnosis on Linux: errno of the failed step, the owning group of the device, and the
// process that holds it.
//
// Who holds a device: CSerialPort takes an flock() on the device it opens. flock records no
// owner that the locking call could ask for, but the kernel's lock table /proc/locks lists
// every lock with the process that took it and the device and inode it lies on; that is the
// first place looked at. A program that holds the device without a lock (only with the tty's
// exclusive mode, which makes the next open fail with EBUSY) is found, when open() has failed,
// by looking through /proc/<pid>/fd for a descriptor on the same device; only the processes
// this user may look into can be found that way.
#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

#include "link/PortDiagnosis.h"

namespace veltrin {

namespace {

std::string SystemText(int error) { return std::strerror(error); }

std::string GroupName(gid_t gid) {
    std::vector<char> buf(1024);
    struct group g {};
    struct group* found = nullptr;
    while (::getgrgid_r(gid, &g, buf.data(), buf.size(), &found) == ERANGE && buf.size() < (1u << 20))
        buf.resize(buf.size() * 2);
    return found ? std::string(found->gr_name) : std::to_string(gid);
}

std::string CommandName(long pid) {
    std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    std::getline(comm, name);
    return name;
}

// The process of a lock on this inode in /proc/locks, 0 when there is none (or it does not say:
// open file description locks show -1). Lines: "1: FLOCK  ADVISORY  WRITE 1234 00:1a:5 0 EOF",
// with major and minor in hexadecimal; "1: -> FLOCK ..." is a waiter, not a holder.
long LockHolder(const struct stat& st) {
    std::ifstream locks("/proc/locks");
    std::string line;
    while (std::getline(locks, line)) {
        std::istringstream in(line);
        std::string index, type, kind, mode, where;
        long pid = 0;
        if (!(in >> index >> type)) continue;
        if (type == "->") continue;
        if (!(in >> kind >> mode >> pid >> where)) continue;
        unsigned long maj = 0, min = 0, ino = 0;
        char* end = nullptr;
        maj = std::strtoul(where.c_str(), &end, 16);
        if (*end != ':') continue;
        min = std::strtoul(end + 1, &end, 16);
        if (*end != ':') continue;
        ino = std::strtoul(end + 1, &end, 10);
        if (maj == major(st.st_dev) && min == minor(st.st_dev) && ino == st.st_ino && pid > 0) return pid;
    }
    return 0;
}

// A process with a descriptor open on this character device, 0 when none is found.
long DescriptorHolder(const struct stat& st) {
    if (!S_ISCHR(st.st_mode)) return 0;
    DIR* proc = ::opendir("/proc");
    if (!proc) return 0;
    long holder = 0;
    while (struct dirent* e = ::readdir(proc)) {
        char* end = nullptr;
        long pid = std::strtol(e->d_name, &end, 10);
        if (pid <= 0 || *end != '\0') continue;
        const std::string fdDir = std::string("/proc/") + e->d_name + "/fd";
        DIR* fds = ::opendir(fdDir.c_str());
        if (!fds) continue;  // not ours to look into, or gone
        while (struct dirent* f = ::readdir(fds)) {
            if (f->d_name[0] == '.') continue;
            struct stat target {};
            if (::stat((fdDir + "/" + f->d_name).c_str(), &target) == 0 && S_ISCHR(target.st_mode) &&
                target.st_rdev == st.st_rdev) {
                holder = pid;
                break;
            }
        }
        ::closedir(fds);
        if (holder) break;
    }
    ::closedir(proc);
    return holder;
}

void FindGroup(PortDiagnosis& d) {
    struct stat st {};
    if (::stat(d.device.c_str(), &st) == 0) d.group = GroupName(st.st_gid);
}

void FindHolder(PortDiagnosis& d, bool lookAtDescriptors) {
    struct stat st {};
    if (::stat(d.device.c_str(), &st) != 0) return;
    long pid = LockHolder(st);
    if (!pid && lookAtDescriptors) pid = DescriptorHolder(st);
    if (!pid) return;
    d.holderPid = pid;
    d.holderName = CommandName(pid);
}

// What sysfs says about a character device: "/sys/dev/char/<major>:<minor>" leads to the
// device's class folder; a serial line lies under a "tty" class. Empty when sysfs does not
// know the device (a pseudo-terminal).
std::string SysfsPath(const struct stat& st) {
    const std::string link =
        "/sys/dev/char/" + std::to_string(major(st.st_rdev)) + ":" + std::to_string(minor(st.st_rdev));
    std::vector<char> buf(4096);
    ssize_t n = ::readlink(link.c_str(), buf.data(), buf.size() - 1);
    if (n <= 0) return {};
    return std::string(buf.data(), static_cast<std::size_t>(n));
}

bool SerialCoreWithoutHardware(const struct stat& st) {
    // The serial core gives every port a "type"; 0 is a port without a UART behind it.
    std::ifstream type("/sys/dev/char/" + std::to_string(major(st.st_rdev)) + ":" +
                       std::to_string(minor(st.st_rdev)) + "/type");
    std::string value;
    return std::getline(type, value) && value == "0";
}

}  // namespace

PortDiagnosis DiagnoseOpenFailure(const std::string& device, int systemError) {
    PortDiagnosis d;
    d.device = device;
    d.systemError = systemError;
    d.systemText = SystemText(systemError);
    switch (systemError) {
        case ENOENT:
        case ENOTDIR:
            d.problem = PortProblem::Missing;
            break;
        case EACCES:
        case EPERM:
            d.problem = PortProblem::NoPermission;
            FindGroup(d);
            break;
        case EBUSY:
        case EWOULDBLOCK:
            d.problem = PortProblem::InUse;
            FindHolder(d, true);
            break;
        case ENOTTY:
        case EISDIR:
            d.problem = PortProblem::NotSerial;
            break;
        case EIO:
        case ENXIO:
        case ENODEV:
            d.problem = PortProblem::NoHardware;
            break;
        default:
            d.problem = PortProblem::Other;
            break;
    }
    return d;
}

PortDiagnosis CheckDevice(const std::string& device) {
    PortDiagnosis d;
    d.device = device;
    struct stat st {};
    if (device.empty()) return DiagnoseOpenFailure(device, ENOENT);
    if (::stat(device.c_str(), &st) != 0) return DiagnoseOpenFailure(device, errno);
    if (!S_ISCHR(st.st_mode)) return DiagnoseOpenFailure(device, ENOTTY);
    const std::string sysfs = SysfsPath(st);
    if (!sysfs.empty() && sysfs.find("/tty/") == std::string::npos)
        return DiagnoseOpenFailure(device, ENOTTY);
    if (SerialCoreWithoutHardware(st)) return DiagnoseOpenFailure(device, EIO);
    if (::faccessat(AT_FDCWD, device.c_str(), R_OK | W_OK, AT_EACCESS) != 0 &&
        (errno == EACCES || errno == EPERM))
        return DiagnoseOpenFailure(device, EACCES);
    // Only a lock says for certain that the next open fails; a descriptor alone does not.
    FindHolder(d, false);
    if (d.holderPid > 0) {
        d.problem = PortProblem::InUse;
        d.systemError = EWOULDBLOCK;
        d.systemText = SystemText(EWOULDBLOCK);
    }
    return d;
}

}  // namespace veltrin
