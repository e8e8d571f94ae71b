#include "platform/linux/drive_map.h"

#include "platform/linux/proc_parse.h"
#include "platform/system.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <set>
#include <utility>

namespace tk {

namespace {

constexpr long kProcMagic = 0x9fa0;

// Filesystems that are never drives, even when something odd gives them a
// device: kernel interfaces, memory filesystems, container layers, images.
bool pseudoFilesystem(std::string_view fs) {
    static const std::set<std::string_view> names = {
        "proc",        "sysfs",      "tmpfs",         "devtmpfs",   "devpts",    "overlay", "overlayfs",
        "squashfs",    "cgroup",     "cgroup2",       "securityfs", "debugfs",   "tracefs", "pstore",
        "bpf",         "mqueue",     "hugetlbfs",     "configfs",   "fusectl",   "autofs",  "binfmt_misc",
        "efivarfs",    "ramfs",      "rpc_pipefs",    "nsfs",       "selinuxfs", "nfsd",    "fuse.gvfsd-fuse",
        "fuse.portal", "fuse.lxcfs", "fuse.snapfuse", "erofs",      "aufs",      "shiftfs", "zonefs"};
    return names.count(fs) != 0;
}

bool networkFilesystem(std::string_view fs) {
    return fs == "nfs" || fs == "nfs4" || fs == "cifs" || fs == "smb3" || fs == "smbfs" || fs == "fuse.sshfs";
}

bool opticalFilesystem(std::string_view fs) { return fs == "iso9660" || fs == "udf"; }

bool startsWith(std::string_view s, std::string_view p) { return s.substr(0, p.size()) == p; }

std::string baseName(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string realPath(const std::string& path) {
    char buf[PATH_MAX];
    if (!::realpath(path.c_str(), buf)) return {};
    return buf;
}

bool parseDevNumbers(std::string_view text, uint32_t& major, uint32_t& minor) {
    size_t colon = text.find(':');
    if (colon == std::string_view::npos) return false;
    uint64_t ma = 0, mi = 0;
    if (!procfs::toU64(text.substr(0, colon), ma) || !procfs::toU64(text.substr(colon + 1), mi)) return false;
    major = static_cast<uint32_t>(ma);
    minor = static_cast<uint32_t>(mi);
    return true;
}

// The block device behind a mount source such as "/dev/sda1" or
// "/dev/mapper/vg-home": the device node's numbers when it is one, else the
// numbers sysfs gives for the kernel name the path resolves to.
bool resolveSource(const std::string& root, const std::string& source, uint32_t& major, uint32_t& minor) {
    if (!startsWith(source, "/dev/")) return false;
    std::string node = procfs::joinRoot(root, source);
    struct stat st {};
    if (::stat(node.c_str(), &st) == 0 && S_ISBLK(st.st_mode)) {
        major = ::major(st.st_rdev);
        minor = ::minor(st.st_rdev);
        return true;
    }
    std::string real = realPath(node);
    std::string name = baseName(real.empty() ? source : real);
    std::string dev = procfs::readAttribute(procfs::joinRoot(root, "sys/class/block/" + name + "/dev"));
    return parseDevNumbers(dev, major, minor);
}

// Kernel name of a block device and whether the disk it belongs to is
// removable (a partition's flag lives on its whole disk).
void deviceFacts(const std::string& root, const std::string& source, uint32_t major, uint32_t minor, std::string& name,
                 bool& removable) {
    removable = false;
    std::string sysPath =
        realPath(procfs::joinRoot(root, "sys/dev/block/" + std::to_string(major) + ":" + std::to_string(minor)));
    if (sysPath.empty()) {
        // No sysfs entry: fall back to the name of the device node.
        std::string real = startsWith(source, "/dev/") ? realPath(procfs::joinRoot(root, source)) : std::string();
        name = startsWith(source, "/dev/") ? baseName(real.empty() ? source : real) : std::string();
        return;
    }
    name = baseName(sysPath);
    std::string disk = sysPath;
    if (::access((sysPath + "/partition").c_str(), F_OK) == 0) disk = sysPath.substr(0, sysPath.rfind('/'));
    removable = procfs::readAttribute(disk + "/removable") == "1";
}

} // namespace

bool Drive::remote() const { return type == DRIVE_REMOTE; }

DriveMap::DriveMap(std::string root)
    : m_root(std::move(root)), m_path(procfs::joinRoot(m_root, "proc/self/mountinfo")) {}

DriveMap::~DriveMap() {
    if (m_fd >= 0) ::close(m_fd);
}

const Drive* DriveMap::find(QChar letter) const {
    // Asked several times a tick; a letter is plain ASCII, whose capital is
    // had without Unicode's tables.
    const char16_t u = letter.unicode();
    letter = u >= u'a' && u <= u'z' ? QChar(u - (u'a' - u'A')) : u < 0x80 ? letter : letter.toUpper();
    for (const Drive& d : m_drives)
        if (d.letter == letter) return &d;
    return nullptr;
}

bool DriveMap::refresh() {
    if (m_fd < 0) {
        m_fd = ::open(m_path.c_str(), O_RDONLY | O_CLOEXEC);
        if (m_fd < 0) {
            bool changed = !m_drives.empty();
            if (changed) {
                m_drives.clear();
                ++m_generation;
            }
            return changed;
        }
        struct statfs fs {};
        m_pollable = ::fstatfs(m_fd, &fs) == 0 && fs.f_type == kProcMagic;
        m_loaded = false;
    }
    if (m_loaded && m_pollable) {
        const auto now = std::chrono::steady_clock::now();
        if (now - m_lastLook < std::chrono::milliseconds(100)) return false;
        m_lastLook = now;
        // The kernel flags the mount table file with a priority event after
        // every mount or unmount; without one there is nothing to read.
        pollfd p{m_fd, POLLPRI, 0};
        if (::poll(&p, 1, 0) <= 0 || !(p.revents & (POLLPRI | POLLERR))) return false;
    }
    std::string text;
    bool ok = true;
    if (::lseek(m_fd, 0, SEEK_SET) == 0) {
        char buf[8192];
        for (;;) {
            ssize_t n = ::read(m_fd, buf, sizeof buf);
            if (n < 0) {
                ok = false;
                break;
            }
            if (n == 0) break;
            text.append(buf, static_cast<size_t>(n));
        }
    } else {
        ok = false;
    }
    if (!ok) {
        // Reopen next time (the file can vanish in a test folder).
        ::close(m_fd);
        m_fd = -1;
        return false;
    }
    if (m_loaded && text == m_text) return false;
    m_loaded = true;
    m_text = std::move(text);
    std::vector<Drive> drives = parse(m_text, m_root);
    bool changed = drives.size() != m_drives.size();
    for (size_t i = 0; !changed && i < drives.size(); ++i) {
        const Drive& a = drives[i];
        const Drive& b = m_drives[i];
        changed = a.letter != b.letter || a.mountPoint != b.mountPoint || a.source != b.source ||
                  a.fsType != b.fsType || a.devMajor != b.devMajor || a.devMinor != b.devMinor || a.type != b.type;
    }
    m_drives = std::move(drives);
    if (changed) ++m_generation;
    return changed;
}

std::vector<Drive> DriveMap::parse(std::string_view mountinfo, const std::string& root) {
    std::vector<Drive> drives;
    std::set<std::pair<uint32_t, uint32_t>> seen; // filesystems already lettered
    char letter = 'C';
    while (!mountinfo.empty() && letter <= 'Z') {
        std::string_view line = procfs::nextLine(mountinfo);
        // id parent major:minor root mount-point options [optional fields] - type source super-options
        procfs::nextWord(line);
        procfs::nextWord(line);
        std::string_view devField = procfs::nextWord(line);
        procfs::nextWord(line);
        std::string mountPoint = procfs::unescapeMountField(procfs::nextWord(line));
        procfs::nextWord(line);
        std::string_view w;
        do {
            w = procfs::nextWord(line);
        } while (!w.empty() && w != "-");
        if (w.empty()) continue; // not a mountinfo line
        std::string fsType = procfs::unescapeMountField(procfs::nextWord(line));
        std::string source = procfs::unescapeMountField(procfs::nextWord(line));

        uint32_t fsMajor = 0, fsMinor = 0;
        if (!parseDevNumbers(devField, fsMajor, fsMinor) || mountPoint.empty()) continue;
        if (pseudoFilesystem(fsType)) continue;
        // A second mount of a filesystem (bind mount, btrfs subvolume) is the
        // same drive: the first one keeps the letter.
        if (seen.count({fsMajor, fsMinor})) continue;

        Drive d;
        d.mountPoint = QString::fromStdString(mountPoint);
        d.source = QString::fromStdString(source);
        d.fsType = QString::fromStdString(fsType);
        if (networkFilesystem(fsType)) {
            // Shares are never touched here: a server that does not answer
            // would hang any access to the mount point.
            d.type = DRIVE_REMOTE;
        } else {
            uint32_t major = fsMajor, minor = fsMinor;
            // Major 0 is the kernel's unnamed devices (btrfs and the like give
            // one per filesystem): the source names the real block device.
            if (major == 0 && !resolveSource(root, source, major, minor)) continue;
            // A file bind-mounted on a file (containers' /etc/hosts) is not a drive.
            struct stat st {};
            if (::stat(procfs::joinRoot(root, mountPoint).c_str(), &st) == 0 && !S_ISDIR(st.st_mode)) continue;
            std::string name;
            bool removable = false;
            deviceFacts(root, source, major, minor, name, removable);
            d.devMajor = major;
            d.devMinor = minor;
            d.deviceName = QString::fromStdString(name);
            if (opticalFilesystem(fsType) || startsWith(name, "sr")) d.type = DRIVE_CDROM;
            else if (removable || startsWith(mountPoint, "/media/") || startsWith(mountPoint, "/run/media/"))
                d.type = DRIVE_REMOVABLE;
            else d.type = DRIVE_FIXED;
        }
        seen.insert({fsMajor, fsMinor});
        d.letter = QChar(letter++);
        drives.push_back(std::move(d));
    }
    return drives;
}

} // namespace tk
