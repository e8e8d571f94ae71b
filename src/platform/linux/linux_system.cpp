#include "platform/linux/linux_system.h"

#include <sys/stat.h>

#include "diag/numerique.h"
#include "platform/linux/drive_map.h"
#include "platform/linux/proc_parse.h"

#include <QDir>
#include <QFileInfo>

#include <dirent.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <condition_variable>
#include <ctime>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <system_error>
#include <string_view>
#include <thread>
#include <vector>

namespace tk {

namespace {

// Any build number of 1111 or more makes the program take the 64-bit free
// space query, which is the only one that describes today's disks.
constexpr uint32_t kBuild = 2600;

// How long a share's figures are reused before it is asked again: the
// program asks free, used and total one after the other on every tick.
constexpr auto kShareFresh = std::chrono::milliseconds(500);

// Interfaces whose state files the inventory keeps open (three or four each).
constexpr std::size_t kInterfacesKeptOpen = 16;

// udev escapes unsafe characters of labels as \xHH.
QString decodeLabel(const QString& name) {
    QByteArray raw = name.toUtf8(), out;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\\' && i + 3 < raw.size() && raw[i + 1] == 'x') {
            bool ok = false;
            int byte = raw.mid(i + 2, 2).toInt(&ok, 16);
            if (ok) {
                out += static_cast<char>(byte);
                i += 3;
                continue;
            }
        }
        out += raw[i];
    }
    return QString::fromUtf8(out);
}

int32_t clamp32(uint64_t v) { return v > INT32_MAX ? INT32_MAX : static_cast<int32_t>(v); }

bool exists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

} // namespace

// State of one share, shared with the worker thread that queries it so that
// a thread stuck on a dead server never refers to a destroyed object.
struct LinuxSystem::ShareState {
    std::mutex mutex;
    std::condition_variable done;
    bool running = false;
    bool answered = false; // at least one answer came back
    bool lastOk = false;   // the last answer was a success
    bool haveGood = false;
    Space good; // last figures the share gave
    std::chrono::steady_clock::time_point answeredAt;
};

// Whether a folder may have changed, from inotify: a watch on the folder
// sees its entries come, go and be replaced, and watches on its parents (up
// to `top`) see the folder itself appear, go or be replaced. Without inotify,
// or without a watch on `top`, it cannot tell (`usable`).
class LinuxSystem::FolderWatch {
public:
    FolderWatch(const std::string& folder, const std::string& top) {
        m_fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        std::string path = folder, child;
        for (;;) {
            m_levels.push_back(Level{path, child, -1});
            if (path.size() <= top.size()) break;
            const size_t slash = path.rfind('/');
            if (slash == std::string::npos || slash == 0) break;
            child = path.substr(slash + 1);
            path.resize(slash);
        }
    }
    ~FolderWatch() {
        if (m_fd >= 0) ::close(m_fd);
    }
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    // Sets the watches again (before the folder is read): those on a folder
    // that went are gone, and one that came has none yet.
    void arm() {
        if (m_fd < 0) return;
        constexpr uint32_t kParent =
            IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
        constexpr uint32_t kFolder = kParent | IN_ATTRIB | IN_CLOSE_WRITE;
        for (size_t i = 0; i < m_levels.size(); ++i)
            m_levels[i].wd = ::inotify_add_watch(m_fd, m_levels[i].path.c_str(), i == 0 ? kFolder : kParent);
    }
    bool usable() const { return m_fd >= 0 && !m_levels.empty() && m_levels.back().wd >= 0; }

    // Whether anything that concerns the folder happened since the last
    // call; reads every pending event.
    bool changed() {
        bool any = false;
        alignas(inotify_event) char buf[4096];
        for (;;) {
            const ssize_t n = ::read(m_fd, buf, sizeof buf);
            if (n <= 0) break;
            for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(inotify_event)) <= n;) {
                const auto* ev = reinterpret_cast<const inotify_event*>(buf + at);
                at += static_cast<ssize_t>(sizeof(inotify_event) + ev->len);
                if (ev->mask & IN_Q_OVERFLOW) {
                    any = true;
                    continue;
                }
                for (const Level& l : m_levels) {
                    if (l.wd != ev->wd) continue;
                    if (l.child.empty() || (ev->mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED))) any = true;
                    else if (ev->len > 0 && l.child == std::string_view(ev->name, ::strnlen(ev->name, ev->len)))
                        any = true;
                }
            }
        }
        return any;
    }

private:
    struct Level {
        std::string path;
        std::string child; // the entry of this folder that leads to the watched one
        int wd = -1;
    };
    int m_fd = -1;
    std::vector<Level> m_levels; // the folder first, then its parents
};

LinuxSystem::LinuxSystem(DriveMap& drives, std::string root)
    : m_drives(drives), m_root(std::move(root)), m_meminfo(procfs::joinRoot(m_root, "proc/meminfo")),
      m_shareProbe(&LinuxSystem::statSpace) {}

LinuxSystem::~LinuxSystem() = default;

void LinuxSystem::globalMemoryStatus(MEMORYSTATUS& status) {
    uint32_t length = status.dwLength;
    status = MEMORYSTATUS{};
    status.dwLength = length;
    procfs::MemInfo info;
    if (!m_meminfo.read(m_meminfoText) || !procfs::parseMemInfo(m_meminfoText, info)) return;
    status.dwTotalPhys = info.total;
    status.dwAvailPhys = info.available;
    // The page file of the classic record is the commit space: memory and swap.
    status.dwTotalPageFile = info.total + info.swapTotal;
    status.dwAvailPageFile = info.available + info.swapFree;
    // Virtual memory is what programs may reserve: the kernel's commit limit,
    // less what they have reserved already (over-commit can exceed it).
    status.dwTotalVirtual = info.commitLimit;
    status.dwAvailVirtual = info.commitLimit > info.committed ? info.commitLimit - info.committed : 0;
    if (info.total > 0) {
        double load = 100.0 - static_cast<double>(info.available) / static_cast<double>(info.total) * 100.0;
        status.dwMemoryLoad = static_cast<uint32_t>(std::clamp(arrondi(load), 0.0, 100.0));
    }
}

QString LinuxSystem::logicalDriveStrings() {
    m_drives.refresh();
    // Asked on every tick: made again only when the drives change.
    if (m_driveStrings.isNull() || m_driveStringsGeneration != m_drives.generation()) {
        QString list;
        for (const Drive& d : m_drives.drives()) {
            list += d.letter;
            list += QStringLiteral(":\\");
            list += QChar(0);
        }
        // The list ends with a second terminator (a lone one when there is no drive).
        list += QChar(0);
        m_driveStrings = list;
        m_driveStringsGeneration = m_drives.generation();
    }
    return m_driveStrings;
}

int LinuxSystem::driveType(const QString& root) {
    if (root.isEmpty()) return DRIVE_NO_ROOT_DIR;
    m_drives.refresh();
    const Drive* d = m_drives.find(root[0]);
    return d ? d->type : DRIVE_NO_ROOT_DIR;
}

void LinuxSystem::loadLabels() {
    // The label links are read again when the mounts change, when the folder
    // changes (udev adds, removes or replaces a link in it) and once a minute
    // whatever happens. The folder's changes come from inotify, which costs
    // one read of its descriptor per call. Without inotify, the folder's stat
    // is compared instead; file times move in steps of a few milliseconds, so
    // a folder changed less than two seconds before the last reading may have
    // changed again since under the same time: it is read again until it has
    // been quiet that long.
    const std::string folder = procfs::joinRoot(m_root, "dev/disk/by-label");
    if (!m_labelsWatch) m_labelsWatch = std::make_unique<FolderWatch>(folder, procfs::joinRoot(m_root, "dev"));
    const auto now = std::chrono::steady_clock::now();
    bool again = m_labelsGeneration != m_drives.generation() || now - m_labelsAt >= std::chrono::seconds(60);
    LabelsStamp stamp;
    if (m_labelsWatch->usable()) {
        again = m_labelsWatch->changed() || again;
        if (again) m_labelsWatch->arm();
    } else {
        struct stat st {};
        if (::stat(folder.c_str(), &st) == 0)
            stamp = LabelsStamp{true,
                                static_cast<uint64_t>(st.st_dev),
                                static_cast<uint64_t>(st.st_ino),
                                static_cast<int64_t>(st.st_mtim.tv_sec),
                                static_cast<int64_t>(st.st_mtim.tv_nsec),
                                static_cast<int64_t>(st.st_ctim.tv_sec),
                                static_cast<int64_t>(st.st_ctim.tv_nsec)};
        const bool quiet = !stamp.exists || m_labelsReadAtSec - stamp.mtimeSec >= 2;
        again = again || !(stamp == m_labelsStamp) || !quiet;
        // The watches are set (again) with each reading: the first, or after
        // they could not be.
        if (again) m_labelsWatch->arm();
    }
    if (!again) return;
    m_labelsGeneration = m_drives.generation();
    m_labelsStamp = stamp;
    m_labelsAt = now;
    struct timespec wall {};
    ::clock_gettime(CLOCK_REALTIME, &wall);
    m_labelsReadAtSec = static_cast<int64_t>(wall.tv_sec);
    m_labels.clear();
    QDir dir(QString::fromStdString(folder));
    const QFileInfoList links = dir.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot);
    for (const QFileInfo& link : links) {
        QString target = link.symLinkTarget();
        if (target.isEmpty()) continue;
        m_labels[QFileInfo(target).fileName()] = decodeLabel(link.fileName());
    }
}

QString LinuxSystem::volumeLabel(const QString& root) {
    if (root.isEmpty()) return {};
    m_drives.refresh();
    const Drive* d = m_drives.find(root[0]);
    if (!d) return {};
    if (!d->deviceName.isEmpty()) {
        loadLabels();
        auto it = m_labels.find(d->deviceName);
        if (it != m_labels.end() && !it->second.isEmpty()) return it->second;
    }
    return d->mountPoint;
}

bool LinuxSystem::statSpace(const std::string& path, Space& space) {
    struct statvfs st {};
    if (::statvfs(path.c_str(), &st) != 0) return false;
    uint64_t unit = st.f_frsize ? st.f_frsize : st.f_bsize;
    space.blockSize = unit;
    space.total = static_cast<uint64_t>(st.f_blocks) * unit;
    space.free = static_cast<uint64_t>(st.f_bfree) * unit;
    space.available = static_cast<uint64_t>(st.f_bavail) * unit;
    return true;
}

bool LinuxSystem::shareSpace(const QString& mountPoint, Space& space) {
    auto& slot = m_shares[mountPoint];
    if (!slot) slot = std::make_shared<ShareState>();
    std::shared_ptr<ShareState> state = slot;
    std::unique_lock lock(state->mutex);
    auto now = std::chrono::steady_clock::now();
    bool fresh = state->answered && now - state->answeredAt < kShareFresh;
    if (!fresh && !state->running) {
        state->running = true;
        std::string path = procfs::joinRoot(m_root, mountPoint.toStdString());
        try {
            std::thread([state, path, probe = m_shareProbe] {
                Space s;
                bool ok = probe(path, s);
                std::lock_guard g(state->mutex);
                state->running = false;
                state->answered = true;
                state->lastOk = ok;
                state->answeredAt = std::chrono::steady_clock::now();
                if (ok) {
                    state->good = s;
                    state->haveGood = true;
                }
                state->done.notify_all();
            }).detach();
            state->done.wait_for(lock, m_shareTimeout, [&] { return !state->running; });
        } catch (const std::system_error&) {
            state->running = false; // no thread to be had: try again next time
        }
    }
    // Still waiting for a slow server: its last known figures stand. A server
    // that answered with an error makes the query fail.
    if (state->running) {
        if (!state->haveGood) return false;
        space = state->good;
        return true;
    }
    if (!state->lastOk) return false;
    space = state->good;
    return true;
}

bool LinuxSystem::space(const QString& root, Space& s) {
    if (root.isEmpty()) return false;
    m_drives.refresh();
    const Drive* d = m_drives.find(root[0]);
    if (!d) return false;
    if (d->remote()) return shareSpace(d->mountPoint, s);
    return statSpace(procfs::joinRoot(m_root, d->mountPoint.toStdString()), s);
}

bool LinuxSystem::diskFreeSpaceEx(const QString& root, uint64_t& freeCaller, uint64_t& total, uint64_t& freeTotal) {
    Space s;
    if (!space(root, s)) return false;
    freeCaller = s.available;
    total = s.total;
    freeTotal = s.free;
    return true;
}

bool LinuxSystem::diskFreeSpace(const QString& root, int32_t& sectorsPerCluster, int32_t& bytesPerSector,
                                int32_t& freeClusters, int32_t& totalClusters) {
    Space s;
    if (!space(root, s) || s.blockSize == 0) return false;
    // One cluster is one filesystem block, counted in 512-byte sectors.
    bytesPerSector = 512;
    sectorsPerCluster = clamp32(std::max<uint64_t>(1, s.blockSize / 512));
    uint64_t cluster = static_cast<uint64_t>(sectorsPerCluster) * 512;
    freeClusters = clamp32(s.available / cluster);
    totalClusters = clamp32(s.total / cluster);
    return true;
}

bool LinuxSystem::versionBuild(uint32_t& build) {
    build = kBuild;
    return true;
}

QString LinuxSystem::driveFolder(const QString& letter) {
    if (letter.isEmpty()) return {};
    m_drives.refresh();
    const Drive* d = m_drives.find(letter[0]);
    return d ? d->mountPoint : QString();
}

bool LinuxSystem::ifTable(std::vector<MIB_IFROW>& rows) {
    rows.clear();
    const std::string netDir = procfs::joinRoot(m_root, "sys/class/net");
    // The folder's entries as they are named, in name order. Regular files
    // (bonding_masters) and hidden entries are no interfaces; whatever else
    // is one only when it has a type, which is looked at below.
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(netDir.c_str())) {
        while (const dirent* e = ::readdir(dir))
            if (e->d_name[0] != '.' && e->d_type != DT_REG) names.emplace_back(e->d_name);
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return QString::fromUtf8(a.data(), static_cast<qsizetype>(a.size())) <
               QString::fromUtf8(b.data(), static_cast<qsizetype>(b.size()));
    });
    // What an interface is (its link type, whether it sits on a device and
    // is wireless) stays for as long as it exists, under one index: it is
    // read when an interface first shows under a name and index, and its
    // state on every call, from files kept open under that name and index.
    std::map<std::string, InterfaceKind> kinds;
    // Interfaces whose files are kept open (those that went included: theirs
    // are closed only after this reading).
    std::size_t gardees = static_cast<std::size_t>(std::count_if(
        m_interfaceKinds.begin(), m_interfaceKinds.end(), [](const auto& k) { return k.second.speed != nullptr; }));
    for (const std::string& name : names) {
        const std::string base = netDir + "/" + name + "/";
        const std::string indexText = procfs::readAttribute(base + "ifindex");
        InterfaceKind kind;
        const auto known = m_interfaceKinds.find(name);
        if (!indexText.empty() && known != m_interfaceKinds.end() && known->second.indexText == indexText) {
            kind = std::move(known->second);
        } else {
            if (!exists(base + "type")) continue;
            kind.indexText = indexText;
            procfs::toU64(procfs::readAttribute(base + "type"), kind.arphrd);
            kind.physical = exists(base + "device");
            kind.wireless = exists(base + "wireless") || exists(base + "phy80211");
            // A machine with hundreds of interfaces (containers) would keep
            // hundreds of files open: past the first few, they are opened
            // for each reading.
            if (gardees < kInterfacesKeptOpen) {
                ++gardees;
                kind.speed = std::make_unique<procfs::AttributeFile>(base + "speed");
                kind.flags = std::make_unique<procfs::AttributeFile>(base + "flags");
                kind.operstate = std::make_unique<procfs::AttributeFile>(base + "operstate");
                kind.carrier = std::make_unique<procfs::AttributeFile>(base + "carrier");
            }
        }
        MIB_IFROW row;
        row.bDescr = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
        uint64_t index = 0;
        procfs::toU64(indexText, index);
        row.dwIndex = static_cast<uint32_t>(index);

        const uint64_t arphrd = kind.arphrd;
        const bool physical = kind.physical;
        const bool wireless = kind.wireless;
        if (arphrd == 772) row.dwType = 24;                       // loopback
        else if (arphrd == 512) row.dwType = 23;                  // PPP
        else if (arphrd >= 256 && arphrd <= 259) row.dwType = 28; // SLIP, CSLIP, SLIP6, CSLIP6
        else if (arphrd == 1 && wireless) row.dwType = 71;
        else if (arphrd == 1 && physical) row.dwType = 6;
        else row.dwType = 1; // bridges, veth, tun, ifb, tunnels...

        auto lire = [&](const std::unique_ptr<procfs::AttributeFile>& kept, const char* attribute) {
            return kept ? kept->read() : procfs::readAttribute(base + attribute);
        };
        // Unreadable while the link is down, -1 when unknown.
        std::string speed = lire(kind.speed, "speed");
        long long mbits = speed.empty() ? 0 : std::strtoll(speed.c_str(), nullptr, 10);
        // A figure beyond any link (past what bits per second can hold) counts as unknown.
        row.dwSpeed = mbits > 0 && mbits <= INT64_MAX / 1000000 ? static_cast<int64_t>(mbits) * 1000000 : 0;

        unsigned long flags = std::strtoul(lire(kind.flags, "flags").c_str(), nullptr, 16);
        row.dwAdminStatus = (flags & 0x1) ? 1 : 2; // IFF_UP

        std::string oper = lire(kind.operstate, "operstate");
        if (oper == "up" || (oper == "unknown" && physical && lire(kind.carrier, "carrier") == "1"))
            row.dwOperStatus = 5;
        else if (oper == "down") row.dwOperStatus = 2;
        else row.dwOperStatus = 0;
        rows.push_back(std::move(row));
        if (!indexText.empty()) kinds[name] = std::move(kind);
    }
    m_interfaceKinds.swap(kinds);

    if (rows.empty()) {
        // No sysfs view of the network (some containers): the names of
        // /proc/net/dev, in its order, with what can be said without sysfs.
        std::string text;
        if (!procfs::readFile(procfs::joinRoot(m_root, "proc/net/dev"), text)) return false;
        std::string_view rest = text;
        uint32_t index = 0;
        while (!rest.empty()) {
            std::string_view line = procfs::nextLine(rest);
            size_t colon = line.rfind(':');
            if (colon == std::string_view::npos) continue;
            std::string_view head = line.substr(0, colon);
            std::string_view name = procfs::nextWord(head);
            if (name.empty()) continue;
            MIB_IFROW row;
            row.bDescr = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
            row.dwIndex = ++index;
            row.dwType = name == "lo" ? 24 : 1;
            row.dwAdminStatus = 1;
            rows.push_back(std::move(row));
        }
        if (rows.empty()) return false;
    }
    std::stable_sort(rows.begin(), rows.end(),
                     [](const MIB_IFROW& a, const MIB_IFROW& b) { return a.dwIndex < b.dwIndex; });
    return true;
}

} // namespace tk
