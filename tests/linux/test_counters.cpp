// Counters: path handling and rate arithmetic on fixture /proc files, then
// the real machine's processor, disk and loopback figures.
#include "platform/linux/drive_map.h"
#include "platform/linux/linux_counters.h"
#include "platform/system.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <thread>

using namespace tk;
using Clock = std::chrono::steady_clock;

namespace {

const QString kCpu = QStringLiteral(u"\\Processeur(_Total)\\% Temps processeur");
const QString kCpuVista = QStringLiteral(u"\\Processeur(_Total)\\Pourcentage de temps processeur");
QString diskWrite(QChar l) { return QStringLiteral(u"\\Disque logique(%1:)\\Écritures disque, octets/s").arg(l); }
QString diskWriteNoAccent(QChar l) {
    return QStringLiteral(u"\\Disque logique(%1:)\\Ecritures disque, octets/s").arg(l);
}
QString diskRead(QChar l) { return QStringLiteral(u"\\Disque logique(%1:)\\Lectures disque, octets/s").arg(l); }
QString netIn(const QString& n) { return QStringLiteral(u"\\Interface réseau(%1)\\Octets reçus/s").arg(n); }
QString netOut(const QString& n) { return QStringLiteral(u"\\Interface réseau(%1)\\Octets envoyés/s").arg(n); }

// A folder standing for "/", with the /proc files a test writes into it.
struct FakeRoot {
    QTemporaryDir dir;
    std::string root() const { return dir.path().toStdString(); }
    void write(const QString& relative, const QByteArray& text) {
        QString path = dir.filePath(relative);
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
    }
};

// Two collections `pause` apart; `between` runs after the first. Returns the
// bounds of the interval the query can have measured, in seconds.
template <typename F>
std::pair<double, double> twoCollections(CounterQuery& q, std::chrono::milliseconds pause, F between) {
    auto a = Clock::now();
    q.collect();
    auto b = Clock::now();
    between();
    std::this_thread::sleep_for(pause);
    auto c = Clock::now();
    q.collect();
    auto d = Clock::now();
    return {std::chrono::duration<double>(c - b).count(), std::chrono::duration<double>(d - a).count()};
}

} // namespace

TEST(Counters, KnownPathsGetDistinctHandlesUnknownOnesLeaveTheHandleAlone) {
    DriveMap drives;
    LinuxCounters counters(drives);
    auto q = counters.openQuery();
    std::vector<int32_t> handles;
    for (const QString& p : {kCpu, kCpuVista, diskWrite('C'), diskWriteNoAccent('C'), diskRead('D'), netIn("eth0"),
                             netOut("A[B] C_D _2")}) {
        int32_t h = 0;
        EXPECT_EQ(q->addCounter(p, h), PDH_OK) << p.toStdString();
        EXPECT_NE(h, 0);
        for (int32_t old : handles) EXPECT_NE(h, old);
        handles.push_back(h);
    }
    struct Bad {
        QString path;
        int32_t status;
    };
    for (const Bad& b :
         {Bad{QStringLiteral(u"\\Processor(_Total)\\% Processor Time"), PDH_CSTATUS_NO_OBJECT},
          Bad{QStringLiteral(u"\\Processeur(_Total)\\% Temps utilisateur"), PDH_CSTATUS_NO_COUNTER},
          Bad{QStringLiteral(u"\\Processeur(0)\\% Temps processeur"), PDH_CSTATUS_NO_OBJECT},
          Bad{QStringLiteral(u"\\Disque logique(CD:)\\Lectures disque, octets/s"), PDH_CSTATUS_NO_OBJECT},
          Bad{QStringLiteral(u"\\Disque logique(C:)\\Lectures disque/s"), PDH_CSTATUS_NO_COUNTER},
          Bad{QStringLiteral(u"\\Interface réseau()\\Octets reçus/s"), PDH_CSTATUS_NO_OBJECT},
          Bad{QStringLiteral(u"\\Interface réseau(eth0)\\Paquets reçus/s"), PDH_CSTATUS_NO_COUNTER},
          Bad{QString(), PDH_CSTATUS_NO_OBJECT}, Bad{QStringLiteral(u"RAM"), PDH_CSTATUS_NO_OBJECT}}) {
        int32_t h = 4242;
        EXPECT_EQ(q->addCounter(b.path, h), b.status) << b.path.toStdString();
        EXPECT_EQ(h, 4242) << b.path.toStdString();
    }
    int32_t status = 0;
    EXPECT_EQ(q->value(99, status), 0.0);
    EXPECT_EQ(status, PDH_INVALID_HANDLE);
    // A decomposed accent (e + combining acute) names the same counter.
    int32_t h = 0;
    EXPECT_EQ(q->addCounter(QStringLiteral(u"\\Disque logique(C:)\\E\u0301critures disque, octets/s"), h), PDH_OK);
}

TEST(Counters, ProcessorShareCountsIowaitAsIdleAndStealAsBusy) {
    FakeRoot fs;
    //                 user nice system idle iowait irq softirq steal guest guest_nice
    fs.write("proc/stat", "cpu  1000 10 500 8000 400 5 5 20 300 0\ncpu0 1 2 3 4 5 6 7 8 9 10\n");
    DriveMap drives(fs.root());
    LinuxCounters counters(drives, fs.root());
    auto q = counters.openQuery();
    int32_t h = 0, status = 0;
    ASSERT_EQ(q->addCounter(kCpu, h), PDH_OK);
    q->collect();
    EXPECT_EQ(q->value(h, status), 0.0) << "no figure before two collections";
    // +30 user, +10 system, +5 steal, +40 idle, +15 iowait; guest time (+20)
    // is already inside user and is not counted twice: busy 45 of 100.
    fs.write("proc/stat", "cpu  1030 10 510 8040 415 5 5 25 320 0\n");
    q->collect();
    EXPECT_DOUBLE_EQ(q->value(h, status), 45.0);
    EXPECT_EQ(status, PDH_OK);
    // Nothing elapsed (same figures): 0, not a division by zero.
    q->collect();
    EXPECT_EQ(q->value(h, status), 0.0);
}

TEST(Counters, DriveRatesComeFromTheMountsOwnDeviceOnly) {
    FakeRoot fs;
    // C is an LVM volume (dm-0, 254:0) on sda2; sda and sda2 see the same
    // writes as dm-0 and must not be added to it.
    fs.write("proc/self/mountinfo", "25 1 0:30 / / rw - overlay overlay rw\n"
                                    "26 1 254:0 / /data rw - ext4 /dev/mapper/vg-data rw\n"
                                    "27 1 0:40 / /net rw - nfs4 srv:/x rw\n");
    const qint64 base = 5000000000000LL; // beyond 32 bits
    auto stats = [&](qint64 dmRead, qint64 dmWritten) {
        return QStringLiteral("   8       0 sda 1 0 %1 0 1 0 %2 0 0 0 0\n"
                              "   8       2 sda2 1 0 %1 0 1 0 %2 0 0 0 0\n"
                              " 254       0 dm-0 1 0 %3 0 1 0 %4 0 0 0 0 0 0 0 0 0 0\n")
            .arg(dmRead * 2)
            .arg(dmWritten * 2)
            .arg(dmRead)
            .arg(dmWritten)
            .toUtf8();
    };
    fs.write("proc/diskstats", stats(base, base));
    DriveMap drives(fs.root());
    LinuxCounters counters(drives, fs.root());
    auto q = counters.openQuery();
    int32_t w = 0, r = 0, remote = 0, none = 0, status = 0;
    ASSERT_EQ(q->addCounter(diskWrite('C'), w), PDH_OK);
    ASSERT_EQ(q->addCounter(diskRead('C'), r), PDH_OK);
    ASSERT_EQ(q->addCounter(diskWrite('D'), remote), PDH_OK);
    ASSERT_EQ(q->addCounter(diskWrite('Q'), none), PDH_OK);
    auto [shortest, longest] = twoCollections(*q, std::chrono::milliseconds(50),
                                              [&] { fs.write("proc/diskstats", stats(base + 100, base + 2048)); });
    double written = 2048.0 * 512, read = 100.0 * 512;
    EXPECT_GE(q->value(w, status), written / longest);
    EXPECT_LE(q->value(w, status), written / shortest);
    EXPECT_GE(q->value(r, status), read / longest);
    EXPECT_LE(q->value(r, status), read / shortest);
    EXPECT_EQ(q->value(remote, status), 0.0) << "a share has no block device";
    EXPECT_EQ(q->value(none, status), 0.0) << "a letter without a drive";
    // A device whose counts went back (re-created) reads 0 for that interval, not a huge rate.
    fs.write("proc/diskstats", stats(10, 10));
    q->collect();
    EXPECT_EQ(q->value(w, status), 0.0);
}

// A device's counts come from its own stat file in sysfs when it has one (the
// list of every device then is not read for it); a device without one is
// found in that list.
TEST(Counters, DriveCountsComeFromTheDevicesOwnStatFileElseFromTheListOfEveryDevice) {
    FakeRoot fs;
    fs.write("proc/self/mountinfo", "26 1 254:0 / /data rw - ext4 /dev/mapper/vg-data rw\n"
                                    "27 1 8:2 / /home rw - ext4 /dev/sda2 rw\n");
    auto ligne = [](qint64 read, qint64 written) {
        return QStringLiteral("1 0 %1 0 1 0 %2 0 0 0 0 0 0 0 0 0 0\n").arg(read).arg(written).toUtf8();
    };
    auto liste = [](qint64 dm, qint64 sda2) {
        return QStringLiteral(" 254       0 dm-0 1 0 %1 0 1 0 %1 0 0 0 0\n"
                              "   8       2 sda2 1 0 %2 0 1 0 %2 0 0 0 0\n")
            .arg(dm)
            .arg(sda2)
            .toUtf8();
    };
    fs.write("sys/dev/block/254:0/stat", ligne(1000, 5000));
    fs.write("proc/diskstats", liste(7, 3000));
    DriveMap drives(fs.root());
    LinuxCounters counters(drives, fs.root());
    auto q = counters.openQuery();
    int32_t cw = 0, cr = 0, dw = 0, status = 0;
    ASSERT_EQ(q->addCounter(diskWrite('C'), cw), PDH_OK);
    ASSERT_EQ(q->addCounter(diskRead('C'), cr), PDH_OK);
    ASSERT_EQ(q->addCounter(diskWrite('D'), dw), PDH_OK);
    auto [shortest, longest] = twoCollections(*q, std::chrono::milliseconds(50), [&] {
        fs.write("sys/dev/block/254:0/stat", ligne(1000 + 10, 5000 + 400));
        fs.write("proc/diskstats", liste(7 + 999999, 3000 + 64)); // dm-0's line here is not looked at
    });
    EXPECT_GE(q->value(cw, status), 400 * 512 / longest);
    EXPECT_LE(q->value(cw, status), 400 * 512 / shortest);
    EXPECT_GE(q->value(cr, status), 10 * 512 / longest);
    EXPECT_LE(q->value(cr, status), 10 * 512 / shortest);
    EXPECT_GE(q->value(dw, status), 64 * 512 / longest);
    EXPECT_LE(q->value(dw, status), 64 * 512 / shortest);
    // A stat file that does not read as one: the list is used for that device.
    fs.write("sys/dev/block/254:0/stat", "garbage\n");
    fs.write("proc/diskstats", liste(5000 + 400 + 128, 3000 + 64));
    q->collect();
    EXPECT_GT(q->value(cw, status), 0.0) << "128 sectors more in the list";
}

TEST(Counters, InterfacesAreFoundByTheirCleanedNames) {
    FakeRoot fs;
    auto netdev = [](qint64 rx, qint64 tx, qint64 loTx) {
        return QStringLiteral("Inter-|   Receive                                                |  Transmit\n"
                              " face |bytes    packets errs drop fifo frame compressed multicast|bytes    packets errs "
                              "drop fifo colls carrier compressed\n"
                              "    lo:    100       1    0    0    0     0          0         0      %3       1    0  "
                              "  0    0     0       0          0\n"
                              "wl(a)#1: %1 9 0 0 0 0 0 0 %2 9 0 0 0 0 0 0\n")
            .arg(rx)
            .arg(tx)
            .arg(loTx)
            .toUtf8();
    };
    fs.write("proc/net/dev", netdev(1000, 5000, 100));
    DriveMap drives(fs.root());
    LinuxCounters counters(drives, fs.root());
    auto q = counters.openQuery();
    // Each counter reads its own interface's line, whatever the order they
    // were added in.
    int32_t in = 0, out = 0, loIn = 0, loOut = 0, status = 0;
    ASSERT_EQ(q->addCounter(netIn("wl[a]_1"), in), PDH_OK);
    ASSERT_EQ(q->addCounter(netIn("lo"), loIn), PDH_OK);
    ASSERT_EQ(q->addCounter(netOut("wl[a]_1"), out), PDH_OK);
    ASSERT_EQ(q->addCounter(netOut("lo"), loOut), PDH_OK);
    auto [shortest, longest] = twoCollections(*q, std::chrono::milliseconds(50), [&] {
        fs.write("proc/net/dev", netdev(1000 + 30000, 5000 + 9000, 100 + 600));
    });
    EXPECT_GE(q->value(in, status), 30000 / longest);
    EXPECT_LE(q->value(in, status), 30000 / shortest);
    EXPECT_GE(q->value(out, status), 9000 / longest);
    EXPECT_LE(q->value(out, status), 9000 / shortest);
    EXPECT_EQ(q->value(loIn, status), 0.0);
    EXPECT_GE(q->value(loOut, status), 600 / longest);
    EXPECT_LE(q->value(loOut, status), 600 / shortest);
}

// ---- The real machine ----

TEST(CountersOnThisMachine, ProcessorLoadLiesBetween0And100) {
    DriveMap drives;
    LinuxCounters counters(drives);
    auto q = counters.openQuery();
    int32_t h = 0, status = 0;
    ASSERT_EQ(q->addCounter(kCpu, h), PDH_OK);
    twoCollections(*q, std::chrono::milliseconds(100), [] {
        volatile double x = 0;
        for (int i = 0; i < 2000000; ++i) x = x + i * 0.5;
    });
    double v = q->value(h, status);
    EXPECT_GE(v, 0.0);
    EXPECT_LE(v, 100.0);
    EXPECT_EQ(status, PDH_OK);
}

TEST(CountersOnThisMachine, WritingAndSyncingAFileRaisesTheDrivesWriteRate) {
    DriveMap drives;
    drives.refresh();
    // The first drive with a block device and a folder we may write into.
    const Drive* target = nullptr;
    QString folder;
    for (const Drive& d : drives.drives()) {
        if (d.devMajor == 0 || d.type == DRIVE_CDROM) continue;
        // Prefer the temporary folder when it lies on this filesystem.
        struct stat mp {
        }, tmp{};
        bool sameAsTmp = ::stat(d.mountPoint.toLocal8Bit().constData(), &mp) == 0 &&
                         ::stat(QDir::tempPath().toLocal8Bit().constData(), &tmp) == 0 && mp.st_dev == tmp.st_dev;
        QString f = sameAsTmp ? QDir::tempPath() : d.mountPoint;
        if (::access(f.toLocal8Bit().constData(), W_OK) == 0) {
            target = &d;
            folder = f;
            break;
        }
    }
    if (!target) GTEST_SKIP() << "no writable drive backed by a block device on this machine";

    LinuxCounters counters(drives);
    auto q = counters.openQuery();
    int32_t h = 0, status = 0;
    ASSERT_EQ(q->addCounter(diskWrite(target->letter), h), PDH_OK);
    QTemporaryFile file(folder + "/tarvik-write-XXXXXX");
    ASSERT_TRUE(file.open());
    twoCollections(*q, std::chrono::milliseconds(300), [&] {
        QByteArray block(1 << 20, 'x');
        for (int i = 0; i < 4; ++i) file.write(block);
        file.flush();
        ::fsync(file.handle());
    });
    EXPECT_GT(q->value(h, status), 0.0) << "drive " << QString(target->letter).toStdString() << " on "
                                        << target->mountPoint.toStdString();
}

TEST(CountersOnThisMachine, LoopbackTrafficRaisesItsReceivedRate) {
    DriveMap drives;
    LinuxCounters counters(drives);
    auto q = counters.openQuery();
    int32_t h = 0, status = 0;
    ASSERT_EQ(q->addCounter(netIn("lo"), h), PDH_OK);
    int rx = ::socket(AF_INET, SOCK_DGRAM, 0), tx = ::socket(AF_INET, SOCK_DGRAM, 0);
    ASSERT_GE(rx, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(rx, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    socklen_t len = sizeof addr;
    ::getsockname(rx, reinterpret_cast<sockaddr*>(&addr), &len);
    twoCollections(*q, std::chrono::milliseconds(100), [&] {
        char payload[1000] = {};
        for (int i = 0; i < 50; ++i)
            ::sendto(tx, payload, sizeof payload, 0, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    });
    ::close(rx);
    ::close(tx);
    EXPECT_GE(q->value(h, status), 50000.0 / 1.0) << "at least 50 kB in well under a second";
}
