// System facts: drive lettering, types and labels, memory and interfaces on
// fixture files, then the same facts read on the real machine.
#include "platform/linux/drive_map.h"
#include "platform/linux/linux_system.h"
#include "platform/linux/proc_parse.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <net/if.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/statvfs.h>
#include <sys/sysinfo.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

using namespace tk;
using namespace std::chrono_literals;

namespace {

struct FakeRoot {
    QTemporaryDir dir;
    std::string root() const { return dir.path().toStdString(); }
    QString path(const QString& relative) const { return dir.filePath(relative); }
    void write(const QString& relative, const QByteArray& text) {
        QDir().mkpath(QFileInfo(path(relative)).path());
        QFile f(path(relative));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
    }
    void link(const QString& target, const QString& relative) {
        QDir().mkpath(QFileInfo(path(relative)).path());
        ASSERT_TRUE(QFile::link(target, path(relative)));
    }
    void mkdir(const QString& relative) { QDir().mkpath(path(relative)); }
};

const QByteArray kMounts = "21 26 0:20 / /proc rw,relatime - proc proc rw\n"
                           "22 26 0:21 / /sys rw,relatime - sysfs sysfs rw\n"
                           "24 23 0:22 / /dev/shm rw,relatime - tmpfs tmpfs rw\n"
                           "25 1 0:30 / / rw,relatime - overlay overlay rw,lowerdir=/a:/b\n"
                           "26 25 8:2 / /data rw,relatime shared:1 - ext4 /dev/sda2 rw\n"
                           "27 25 8:2 /sub /srv/bind rw,relatime - ext4 /dev/sda2 rw\n"
                           "28 25 0:40 / /mnt/nfs rw,relatime - nfs4 server:/export rw,vers=4.2\n"
                           "29 25 11:0 / /media/cdrom ro,relatime - iso9660 /dev/sr0 ro\n"
                           "30 25 0:41 /@home /home rw,relatime - btrfs /dev/mapper/crypt rw\n"
                           "31 25 0:41 /@snap /var/snapshots rw,relatime - btrfs /dev/mapper/crypt rw\n"
                           "32 25 7:0 / /snap/core/1 ro,relatime - squashfs /dev/loop0 ro\n"
                           "33 25 8:17 / /run/media/u/My\\040Stick rw,relatime - vfat /dev/sdb1 rw\n"
                           "34 25 8:33 / /mnt/usb rw,relatime - ext4 /dev/sdc1 rw\n"
                           "35 25 8:48 /x /etc/hostname rw,relatime - ext4 /dev/sdd rw\n"
                           "36 25 0:50 / /mnt/ssh rw,relatime - fuse.sshfs u@host: rw\n"
                           "37 22 0:27 / /sys/fs/cgroup rw,relatime - cgroup2 cgroup2 rw\n";

// The fixture system: devices, labels and sysfs entries behind kMounts.
void buildSystem(FakeRoot& fs) {
    fs.write("proc/self/mountinfo", kMounts);
    fs.write("dev/sda2", "");
    fs.write("dev/dm-1", "");
    fs.link("../dm-1", "dev/mapper/crypt");
    fs.write("sys/class/block/dm-1/dev", "254:1\n");
    fs.link("../../sda2", "dev/disk/by-label/DATA");
    fs.link("../../sdb1", "dev/disk/by-label/My\\x20Stick");
    // sdc1 is a partition of a disk flagged removable.
    fs.write("sys/devices/pci0/usb1/block/sdc/removable", "1\n");
    fs.write("sys/devices/pci0/usb1/block/sdc/sdc1/partition", "1\n");
    fs.link("../../devices/pci0/usb1/block/sdc/sdc1", "sys/dev/block/8:33");
    fs.write("etc/hostname", "box\n"); // a file bind-mounted over a file
}

QString drivesOf(LinuxSystem& sys) {
    QString list = sys.logicalDriveStrings();
    list.replace(QChar(0), QLatin1Char('|'));
    return list;
}

} // namespace

TEST(Drives, OnlyRealFilesystemsGetLettersInMountOrderWithTheirTypes) {
    FakeRoot fs;
    buildSystem(fs);
    DriveMap map(fs.root());
    LinuxSystem sys(map, fs.root());
    EXPECT_EQ(drivesOf(sys), QStringLiteral("C:\\|D:\\|E:\\|F:\\|G:\\|H:\\|I:\\||"));
    struct Want {
        char letter;
        const char* folder;
        int type;
        const char* label;
    };
    for (const Want& w :
         {Want{'C', "/data", DRIVE_FIXED, "DATA"}, Want{'D', "/mnt/nfs", DRIVE_REMOTE, "/mnt/nfs"},
          Want{'E', "/media/cdrom", DRIVE_CDROM, "/media/cdrom"}, Want{'F', "/home", DRIVE_FIXED, "/home"},
          Want{'G', "/run/media/u/My Stick", DRIVE_REMOVABLE, "My Stick"},
          Want{'H', "/mnt/usb", DRIVE_REMOVABLE, "/mnt/usb"}, Want{'I', "/mnt/ssh", DRIVE_REMOTE, "/mnt/ssh"}}) {
        QString root = QStringLiteral("%1:\\").arg(QChar(w.letter));
        EXPECT_EQ(sys.driveFolder(QString(QChar(w.letter))), QString::fromUtf8(w.folder)) << w.letter;
        EXPECT_EQ(sys.driveType(root), w.type) << w.letter;
        EXPECT_EQ(sys.volumeLabel(root), QString::fromUtf8(w.label)) << w.letter;
    }
    // btrfs names its device through the mount source: dm-1 behind /dev/mapper/crypt.
    const Drive* f = map.find('F');
    ASSERT_TRUE(f);
    // A letter is found whatever its case; a letter outside A-Z never is.
    EXPECT_EQ(map.find('f'), f);
    EXPECT_FALSE(map.find(QChar(0xC9)));
    EXPECT_FALSE(map.find('['));
    EXPECT_EQ(f->devMajor, 254u);
    EXPECT_EQ(f->devMinor, 1u);
    EXPECT_EQ(sys.driveType(QStringLiteral("J:\\")), DRIVE_NO_ROOT_DIR);
    EXPECT_EQ(sys.driveType(QString()), DRIVE_NO_ROOT_DIR);
    EXPECT_EQ(sys.driveFolder(QStringLiteral("J")), QString());
    uint64_t a = 1, b = 1, c = 1;
    EXPECT_FALSE(sys.diskFreeSpaceEx(QStringLiteral("J:\\"), a, b, c));

    // A drive relabelled while mounted (udev replaces its link) shows its new
    // name at the next read; a label that goes leaves the folder's name.
    ASSERT_TRUE(QFile::remove(fs.path("dev/disk/by-label/DATA")));
    fs.link("../../sda2", "dev/disk/by-label/ARCHIVES");
    EXPECT_EQ(sys.volumeLabel(QStringLiteral("C:\\")), "ARCHIVES");
    ASSERT_TRUE(QFile::remove(fs.path("dev/disk/by-label/ARCHIVES")));
    EXPECT_EQ(sys.volumeLabel(QStringLiteral("C:\\")), "/data");
    // The whole folder goes with the last labelled disk, and comes back.
    ASSERT_TRUE(QDir(fs.path("dev/disk")).removeRecursively());
    EXPECT_EQ(sys.volumeLabel(QStringLiteral("G:\\")), "/run/media/u/My Stick");
    fs.link("../../sda2", "dev/disk/by-label/BACKUP");
    EXPECT_EQ(sys.volumeLabel(QStringLiteral("C:\\")), "BACKUP");
    ASSERT_TRUE(QFile::rename(fs.path("dev/disk/by-label/BACKUP"), fs.path("dev/disk/by-label/SPARE")));
    EXPECT_EQ(sys.volumeLabel(QStringLiteral("C:\\")), "SPARE");
}

// A system whose device folder is not there at first (nothing to watch):
// the labels show once it comes, and follow a relabel from then on.
TEST(Drives, LabelsShowOnceTheDeviceFolderComes) {
    FakeRoot fs;
    fs.write("proc/self/mountinfo", kMounts);
    DriveMap map(fs.root());
    LinuxSystem sys(map, fs.root());
    EXPECT_EQ(sys.volumeLabel(QStringLiteral("C:\\")), "/data");
    fs.link("../../sda2", "dev/disk/by-label/DATA");
    EXPECT_EQ(sys.volumeLabel(QStringLiteral("C:\\")), "DATA");
    ASSERT_TRUE(QFile::remove(fs.path("dev/disk/by-label/DATA")));
    fs.link("../../sda2", "dev/disk/by-label/ARCHIVES");
    EXPECT_EQ(sys.volumeLabel(QStringLiteral("C:\\")), "ARCHIVES");
}

TEST(Drives, LettersStayWhileTheMountsStayAndFollowAChange) {
    FakeRoot fs;
    buildSystem(fs);
    DriveMap map(fs.root());
    EXPECT_TRUE(map.refresh());
    uint64_t gen = map.generation();
    EXPECT_FALSE(map.refresh());
    EXPECT_EQ(map.generation(), gen);
    LinuxSystem sys(map, fs.root());
    EXPECT_EQ(drivesOf(sys), QStringLiteral("C:\\|D:\\|E:\\|F:\\|G:\\|H:\\|I:\\||"));
    EXPECT_EQ(drivesOf(sys), QStringLiteral("C:\\|D:\\|E:\\|F:\\|G:\\|H:\\|I:\\||"));
    // The share is unmounted: the drives after it move up one letter.
    QByteArray without = kMounts;
    without.replace("28 25 0:40 / /mnt/nfs rw,relatime - nfs4 server:/export rw,vers=4.2\n", "");
    fs.write("proc/self/mountinfo", without);
    EXPECT_EQ(drivesOf(sys), QStringLiteral("C:\\|D:\\|E:\\|F:\\|G:\\|H:\\||"));
    EXPECT_FALSE(map.refresh());
    EXPECT_GT(map.generation(), gen);
    ASSERT_TRUE(map.find('D'));
    EXPECT_EQ(map.find('D')->mountPoint, QStringLiteral("/media/cdrom"));
    EXPECT_FALSE(map.find('I'));
    // Every drive gone: the lone terminator.
    fs.write("proc/self/mountinfo", "");
    EXPECT_EQ(drivesOf(sys), QStringLiteral("|"));
}

TEST(Drives, ASlowShareNeverHoldsTheCallerAndKeepsItsLastFigures) {
    FakeRoot fs;
    buildSystem(fs);
    DriveMap map(fs.root());
    LinuxSystem sys(map, fs.root());
    sys.setShareTimeout(100ms);
    // The probe answers at once the first time, then hangs for 2 s.
    auto calls = std::make_shared<std::atomic<int>>(0);
    sys.setShareProbe([calls](const std::string&, LinuxSystem::Space& s) {
        if ((*calls)++ > 0) std::this_thread::sleep_for(2s);
        s.total = 1000;
        s.free = 400;
        s.available = 300;
        s.blockSize = 1;
        return true;
    });
    uint64_t freeCaller = 0, total = 0, freeTotal = 0;
    ASSERT_TRUE(sys.diskFreeSpaceEx(QStringLiteral("D:\\"), freeCaller, total, freeTotal));
    EXPECT_EQ(freeCaller, 300u);
    EXPECT_EQ(total, 1000u);
    EXPECT_EQ(freeTotal, 400u);
    std::this_thread::sleep_for(600ms); // past the freshness of the answer
    for (int i = 0; i < 3; ++i) {
        freeCaller = total = freeTotal = 0;
        auto start = std::chrono::steady_clock::now();
        ASSERT_TRUE(sys.diskFreeSpaceEx(QStringLiteral("D:\\"), freeCaller, total, freeTotal));
        EXPECT_LT(std::chrono::steady_clock::now() - start, 500ms);
        EXPECT_EQ(total, 1000u);
        EXPECT_EQ(freeCaller, 300u);
    }
    EXPECT_EQ(*calls, 2) << "one query at a time per share";

    // A share that has never answered fails quickly instead of blocking.
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(sys.diskFreeSpaceEx(QStringLiteral("I:\\"), freeCaller, total, freeTotal));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 500ms);
}

TEST(Memory, SizesAre64BitAndTheLoadRoundsHalvesToEven) {
    FakeRoot fs;
    DriveMap map(fs.root());
    LinuxSystem sys(map, fs.root());
    // 16 GiB total, 4 GiB available: sizes a 32-bit record could not hold.
    fs.write("proc/meminfo", "MemTotal:       16777216 kB\nMemFree:          100000 kB\n"
                             "MemAvailable:    4194304 kB\nBuffers: 1 kB\nCached: 2 kB\n"
                             "SwapTotal: 1024 kB\nSwapFree: 512 kB\n"
                             "CommitLimit: 9000000 kB\nCommitted_AS: 3000000 kB\n");
    MEMORYSTATUS m;
    m.dwLength = 32;
    sys.globalMemoryStatus(m);
    EXPECT_EQ(m.dwLength, 32u);
    EXPECT_EQ(m.dwTotalPhys, 16ull << 30);
    EXPECT_EQ(m.dwAvailPhys, 4ull << 30);
    EXPECT_EQ(m.dwMemoryLoad, 75u);
    EXPECT_EQ(m.dwTotalPageFile, (16ull << 30) + (1ull << 20));
    EXPECT_EQ(m.dwTotalVirtual, 9000000ull * 1024); // the commit limit
    EXPECT_EQ(m.dwAvailVirtual, 6000000ull * 1024); // less what is committed
    // 87.5 % goes to 88, 86.5 % to 86.
    fs.write("proc/meminfo", "MemTotal: 1000 kB\nMemAvailable: 125 kB\n");
    sys.globalMemoryStatus(m);
    EXPECT_EQ(m.dwMemoryLoad, 88u);
    fs.write("proc/meminfo", "MemTotal: 1000 kB\nMemAvailable: 135 kB\n");
    sys.globalMemoryStatus(m);
    EXPECT_EQ(m.dwMemoryLoad, 86u);
    // Without MemAvailable (old kernels): free + buffers + cached.
    fs.write("proc/meminfo", "MemTotal: 1000 kB\nMemFree: 100 kB\nBuffers: 50 kB\nCached: 100 kB\n");
    sys.globalMemoryStatus(m);
    EXPECT_EQ(m.dwAvailPhys, 250u * 1024);
    // Nothing readable in it: all zero, which the caller's division reports.
    fs.write("proc/meminfo", "");
    sys.globalMemoryStatus(m);
    EXPECT_EQ(m.dwTotalPhys, 0u);
    // Missing from the start (the file is kept open once found): the same.
    FakeRoot vide;
    DriveMap map2(vide.root());
    LinuxSystem sys2(map2, vide.root());
    sys2.globalMemoryStatus(m);
    EXPECT_EQ(m.dwTotalPhys, 0u);
    vide.write("proc/meminfo", "MemTotal: 1000 kB\nMemAvailable: 125 kB\n");
    sys2.globalMemoryStatus(m);
    EXPECT_EQ(m.dwTotalPhys, 1000u * 1024);
}

TEST(Interfaces, TypesSpeedsAndStatesFromSysfsSortedByIndex) {
    FakeRoot fs;
    struct Iface {
        const char* name;
        int index;
        int type;
        const char* flags;
        const char* oper;
        const char* carrier;
        const char* speed;
        bool device;
        bool wireless;
    };
    for (const Iface& i : {Iface{"wlan0", 3, 1, "0x1003", "down", "0", nullptr, true, true},
                           Iface{"eth0", 2, 1, "0x1003", "up", "1", "10000", true, false},
                           Iface{"lo", 1, 772, "0x9", "unknown", "1", nullptr, false, false},
                           Iface{"ppp0", 5, 512, "0x10d1", "unknown", "1", nullptr, false, false},
                           Iface{"br-1", 4, 1, "0x1002", "down", "0", "-1", false, false},
                           Iface{"enp1s0", 6, 1, "0x1003", "unknown", "1", "1000", true, false},
                           Iface{"sl0", 7, 256, "0x1091", "lowerlayerdown", "0", nullptr, false, false}}) {
        QString base = QStringLiteral("sys/class/net/%1/").arg(i.name);
        fs.write(base + "ifindex", QByteArray::number(i.index) + "\n");
        fs.write(base + "type", QByteArray::number(i.type) + "\n");
        fs.write(base + "flags", QByteArray(i.flags) + "\n");
        fs.write(base + "operstate", QByteArray(i.oper) + "\n");
        fs.write(base + "carrier", QByteArray(i.carrier) + "\n");
        if (i.speed) fs.write(base + "speed", QByteArray(i.speed) + "\n");
        if (i.device) fs.mkdir(base + "device");
        if (i.wireless) fs.mkdir(base + "wireless");
    }
    DriveMap map(fs.root());
    LinuxSystem sys(map, fs.root());
    std::vector<MIB_IFROW> rows;
    ASSERT_TRUE(sys.ifTable(rows));
    ASSERT_EQ(rows.size(), 7u);
    struct Want {
        const char* name;
        uint32_t type;
        int64_t speed;
        uint32_t admin;
        uint32_t oper;
    };
    const Want want[] = {
        {"lo", 24, 0, 1, 0},   {"eth0", 6, 10000000000LL, 1, 5}, {"wlan0", 71, 0, 1, 2}, {"br-1", 1, 0, 2, 2},
        {"ppp0", 23, 0, 1, 0}, {"enp1s0", 6, 1000000000, 1, 5},  {"sl0", 28, 0, 1, 0}};
    for (size_t k = 0; k < rows.size(); ++k) {
        SCOPED_TRACE(want[k].name);
        EXPECT_EQ(rows[k].bDescr, QString::fromUtf8(want[k].name));
        EXPECT_EQ(rows[k].dwIndex, k + 1);
        EXPECT_EQ(rows[k].dwType, want[k].type);
        EXPECT_EQ(rows[k].dwSpeed, want[k].speed);
        EXPECT_EQ(rows[k].dwAdminStatus, want[k].admin);
        EXPECT_EQ(rows[k].dwOperStatus, want[k].oper);
    }
}

// The inventory runs every 30 seconds for as long as the bar does: a link
// going down, a new speed and an interface replaced under the same name
// (another index, another kind) all show on the next reading.
TEST(Interfaces, ALaterReadingSeesNewStatesAndReplacedInterfaces) {
    FakeRoot fs;
    auto iface = [&](const char* name, int index, int type, const char* oper, const char* speed, bool device,
                     bool wireless) {
        const QString base = QStringLiteral("sys/class/net/%1/").arg(name);
        QDir(fs.path(base)).removeRecursively();
        fs.write(base + "ifindex", QByteArray::number(index) + "\n");
        fs.write(base + "type", QByteArray::number(type) + "\n");
        fs.write(base + "flags", "0x1003\n");
        fs.write(base + "operstate", QByteArray(oper) + "\n");
        fs.write(base + "speed", QByteArray(speed) + "\n");
        if (device) fs.mkdir(base + "device");
        if (wireless) fs.mkdir(base + "wireless");
    };
    iface("eth0", 2, 1, "up", "1000", true, false);
    iface("wlan0", 3, 1, "up", "300", true, true);
    DriveMap map(fs.root());
    LinuxSystem sys(map, fs.root());
    std::vector<MIB_IFROW> rows;
    ASSERT_TRUE(sys.ifTable(rows));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].dwType, 6u);
    EXPECT_EQ(rows[1].dwType, 71u);

    // eth0 goes down at another speed; wlan0 is replaced by a tunnel of the same name.
    fs.write("sys/class/net/eth0/operstate", "down\n");
    fs.write("sys/class/net/eth0/speed", "100\n");
    fs.write("sys/class/net/eth0/flags", "0x1002\n");
    iface("wlan0", 9, 512, "unknown", "0", false, false);
    ASSERT_TRUE(sys.ifTable(rows));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].bDescr, QStringLiteral("eth0"));
    EXPECT_EQ(rows[0].dwType, 6u);
    EXPECT_EQ(rows[0].dwOperStatus, 2u);
    EXPECT_EQ(rows[0].dwAdminStatus, 2u);
    EXPECT_EQ(rows[0].dwSpeed, 100000000);
    EXPECT_EQ(rows[1].bDescr, QStringLiteral("wlan0"));
    EXPECT_EQ(rows[1].dwIndex, 9u);
    EXPECT_EQ(rows[1].dwType, 23u);

    // Gone, then back as an Ethernet card under its old index.
    QDir(fs.path(QStringLiteral("sys/class/net/wlan0"))).removeRecursively();
    ASSERT_TRUE(sys.ifTable(rows));
    ASSERT_EQ(rows.size(), 1u);
    iface("wlan0", 3, 1, "up", "1000", true, false);
    ASSERT_TRUE(sys.ifTable(rows));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].dwIndex, 3u);
    EXPECT_EQ(rows[1].dwType, 6u);
}

// Each interface's state files stay open between readings, but only for a
// bounded number of interfaces: a host with hundreds of container links
// must not run out of descriptors. The others are read afresh, and every
// one of them shows a change of state.
TEST(Interfaces, ManyInterfacesKeepABoundedNumberOfFilesOpenAndAllShowTheirState) {
    FakeRoot fs;
    const int n = 40;
    auto nom = [](int k) { return QStringLiteral("if%1").arg(k, 2, 10, QLatin1Char('0')); };
    for (int k = 0; k < n; ++k) {
        const QString base = QStringLiteral("sys/class/net/%1/").arg(nom(k));
        fs.write(base + "ifindex", QByteArray::number(k + 1) + "\n");
        fs.write(base + "type", "1\n");
        fs.write(base + "flags", "0x1003\n");
        fs.write(base + "operstate", "up\n");
        fs.write(base + "speed", "1000\n");
        fs.mkdir(base + "device");
    }
    auto ouverts = [] {
        return QDir(QStringLiteral("/proc/self/fd"))
            .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)
            .size();
    };
    DriveMap map(fs.root());
    LinuxSystem sys(map, fs.root());
    std::vector<MIB_IFROW> rows;
    const qsizetype avant = ouverts();
    ASSERT_TRUE(sys.ifTable(rows));
    ASSERT_TRUE(sys.ifTable(rows));
    ASSERT_EQ(rows.size(), static_cast<size_t>(n));
    EXPECT_LE(ouverts() - avant, 16 * 4);
    EXPECT_GE(ouverts() - avant, 16);

    for (int k : {0, n - 1}) {
        fs.write(QStringLiteral("sys/class/net/%1/operstate").arg(nom(k)), "down\n");
        fs.write(QStringLiteral("sys/class/net/%1/speed").arg(nom(k)), "100\n");
    }
    ASSERT_TRUE(sys.ifTable(rows));
    for (int k = 0; k < n; ++k) {
        SCOPED_TRACE(nom(k).toStdString());
        const bool change = k == 0 || k == n - 1;
        EXPECT_EQ(rows[static_cast<size_t>(k)].dwOperStatus, change ? 2u : 5u);
        EXPECT_EQ(rows[static_cast<size_t>(k)].dwSpeed, change ? 100000000 : 1000000000);
    }
}

TEST(Interfaces, NamesAreCleanedForCounterPaths) {
    EXPECT_EQ(procfs::cleanInterfaceName(std::string_view("A(B) C/D #2")), "A[B] C_D _2");
}

// ---- The real machine ----

namespace {

struct MountLine {
    std::string mountPoint, fsType;
};
std::vector<MountLine> realMounts() {
    std::vector<MountLine> out;
    std::ifstream in("/proc/self/mountinfo");
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string w, mp;
        for (int i = 0; i < 5; ++i) words >> w;
        mp = procfs::unescapeMountField(w);
        while (words >> w && w != "-") {}
        std::string fs;
        words >> fs;
        out.push_back({mp, fs});
    }
    return out;
}

} // namespace

TEST(DrivesOnThisMachine, TheRootIsDriveCWithSizesAsDfReportsThem) {
    DriveMap map;
    LinuxSystem sys(map);
    QStringList list = sys.logicalDriveStrings().split(QChar(0));
    if (list.size() < 3) GTEST_SKIP() << "this machine has no drive (no block-device filesystem)";
    EXPECT_EQ(list.first(), QStringLiteral("C:\\"));
    EXPECT_TRUE(list.at(list.size() - 1).isEmpty() && list.at(list.size() - 2).isEmpty());
    QString folder = sys.driveFolder(QStringLiteral("C"));
    bool rootIsDrive = false;
    for (const Drive& d : map.drives()) rootIsDrive |= d.mountPoint == QStringLiteral("/");
    if (rootIsDrive) {
        EXPECT_EQ(folder, QStringLiteral("/"));
        EXPECT_EQ(sys.driveType(QStringLiteral("C:\\")), DRIVE_FIXED);
    }

    uint32_t build = 0;
    ASSERT_TRUE(sys.versionBuild(build));
    EXPECT_GE(build & 0xFFFF, 1111u);

    // df's size, used and available columns, read at the same moment.
    QProcess df;
    df.start(QStringLiteral("df"), {QStringLiteral("-B1"), QStringLiteral("--output=size,used,avail"), folder});
    if (!df.waitForFinished(10000) || df.exitCode() != 0) GTEST_SKIP() << "df cannot be run here";
    uint64_t freeCaller = 0, total = 0, freeTotal = 0;
    ASSERT_TRUE(sys.diskFreeSpaceEx(QStringLiteral("C:\\"), freeCaller, total, freeTotal));
    QStringList figures = QString::fromUtf8(df.readAllStandardOutput()).split('\n').value(1).simplified().split(' ');
    ASSERT_EQ(figures.size(), 3);
    uint64_t dfSize = figures[0].toULongLong(), dfUsed = figures[1].toULongLong(), dfAvail = figures[2].toULongLong();
    EXPECT_EQ(total, dfSize);
    const double slack = 64.0 * 1024 * 1024; // other programs write meanwhile
    EXPECT_NEAR(double(total - freeTotal), double(dfUsed), slack) << "used";
    EXPECT_NEAR(double(freeCaller), double(dfAvail), slack) << "free for the caller";
    // total = used + free for the caller + blocks reserved for root: the free
    // space counts the reserved blocks, free for the caller does not.
    EXPECT_LE(freeCaller, freeTotal);
    EXPECT_LE(freeTotal, total);
    struct statvfs st {};
    ASSERT_EQ(::statvfs(folder.toLocal8Bit().constData(), &st), 0);
    EXPECT_EQ(total, uint64_t(st.f_blocks) * st.f_frsize);
    EXPECT_NEAR(double(freeTotal), double(uint64_t(st.f_bfree) * st.f_frsize), slack) << "free with reserved";
}

TEST(DrivesOnThisMachine, KernelAndMemoryFilesystemsAreNotDrives) {
    DriveMap map;
    map.refresh();
    for (const Drive& d : map.drives()) {
        EXPECT_NE(d.mountPoint, QStringLiteral("/proc"));
        EXPECT_NE(d.mountPoint, QStringLiteral("/sys"));
        EXPECT_FALSE(d.mountPoint.startsWith(QStringLiteral("/sys/")));
        for (const MountLine& m : realMounts()) {
            if (m.fsType == "tmpfs" || m.fsType == "proc" || m.fsType == "sysfs" || m.fsType == "overlay") {
                EXPECT_NE(d.mountPoint.toStdString(), m.mountPoint) << m.fsType;
            }
        }
        EXPECT_NE(d.letter, QChar('A'));
        EXPECT_NE(d.letter, QChar('B'));
    }
}

TEST(MemoryOnThisMachine, TotalMatchesTheKernelsFigure) {
    DriveMap map;
    LinuxSystem sys(map);
    MEMORYSTATUS m;
    sys.globalMemoryStatus(m);
    struct sysinfo si {};
    ASSERT_EQ(::sysinfo(&si), 0);
    EXPECT_EQ(m.dwTotalPhys, uint64_t(si.totalram) * si.mem_unit);
    EXPECT_GT(m.dwAvailPhys, 0u);
    EXPECT_LE(m.dwAvailPhys, m.dwTotalPhys);
    EXPECT_LE(m.dwMemoryLoad, 100u);
}

TEST(InterfacesOnThisMachine, LoopbackIsType24AndTheDefaultRouteInterfaceShowsItsRealState) {
    DriveMap map;
    LinuxSystem sys(map);
    std::vector<MIB_IFROW> rows;
    ASSERT_TRUE(sys.ifTable(rows));
    for (size_t k = 1; k < rows.size(); ++k) EXPECT_LT(rows[k - 1].dwIndex, rows[k].dwIndex);
    auto row = [&](const QString& name) -> const MIB_IFROW* {
        for (const MIB_IFROW& r : rows)
            if (r.bDescr == name) return &r;
        return nullptr;
    };
    const MIB_IFROW* lo = row(QStringLiteral("lo"));
    ASSERT_TRUE(lo);
    EXPECT_EQ(lo->dwType, 24u);

    // The default route's interface, from the routing table.
    std::ifstream routes("/proc/net/route");
    std::string line, name, dest;
    std::getline(routes, line);
    QString gateway;
    while (routes >> name >> dest) {
        if (dest == "00000000") {
            gateway = QString::fromStdString(name);
            break;
        }
        std::getline(routes, line);
    }
    if (gateway.isEmpty()) GTEST_SKIP() << "no default route on this machine";
    const MIB_IFROW* r = row(gateway);
    ASSERT_TRUE(r) << gateway.toStdString();
    // Compare with what the kernel answers through the socket interface.
    int s = ::socket(AF_INET, SOCK_DGRAM, 0);
    ifreq req{};
    std::strncpy(req.ifr_name, gateway.toLocal8Bit().constData(), IFNAMSIZ - 1);
    ASSERT_EQ(::ioctl(s, SIOCGIFFLAGS, &req), 0);
    ::close(s);
    EXPECT_EQ(r->dwAdminStatus, (req.ifr_flags & IFF_UP) ? 1u : 2u);
    if (r->dwType == 6 || r->dwType == 71) {
        EXPECT_EQ(r->dwOperStatus, (req.ifr_flags & IFF_RUNNING) ? 5u : 2u);
    }
    EXPECT_GE(r->dwSpeed, 0);
}

// The inventory keeps the files of each interface's state open and reads
// them again every 30 seconds: a second reading must give what the kernel
// says then, and a file whose object went must read as nothing, never as
// the last text it gave.
TEST(InterfacesOnThisMachine, KeptFilesGiveTheKernelsTextNowAndNothingOnceTheirObjectWent) {
    DriveMap map;
    LinuxSystem sys(map);
    std::vector<MIB_IFROW> first, second;
    ASSERT_TRUE(sys.ifTable(first));
    ASSERT_TRUE(sys.ifTable(second));
    ASSERT_EQ(first.size(), second.size());
    for (size_t k = 0; k < first.size(); ++k) {
        SCOPED_TRACE(first[k].bDescr.toStdString());
        EXPECT_EQ(second[k].bDescr, first[k].bDescr);
        EXPECT_EQ(second[k].dwIndex, first[k].dwIndex);
        EXPECT_EQ(second[k].dwType, first[k].dwType);
        EXPECT_EQ(second[k].dwAdminStatus, first[k].dwAdminStatus);
    }

    procfs::AttributeFile index("/sys/class/net/lo/ifindex");
    EXPECT_EQ(index.read(), std::to_string(::if_nametoindex("lo")));
    EXPECT_EQ(index.read(), std::to_string(::if_nametoindex("lo")));
    // The loopback has no link speed: the kernel refuses the read, each time.
    procfs::AttributeFile speed("/sys/class/net/lo/speed");
    EXPECT_EQ(speed.read(), "");
    EXPECT_EQ(speed.read(), "");

    QProcess child;
    child.start(QStringLiteral("sleep"), {QStringLiteral("60")});
    ASSERT_TRUE(child.waitForStarted());
    procfs::AttributeFile name("/proc/" + std::to_string(child.processId()) + "/comm");
    EXPECT_EQ(name.read(), "sleep");
    child.kill();
    ASSERT_TRUE(child.waitForFinished());
    EXPECT_EQ(name.read(), "");
}
