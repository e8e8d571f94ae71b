#include "platform/linux/linux_counters.h"

#include "platform/linux/drive_map.h"
#include "platform/linux/proc_parse.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace tk {

namespace {

enum class Kind { Cpu, DiskWrite, DiskRead, NetReceived, NetSent };

struct Counter {
    Kind kind;
    QChar letter;          // drive counters
    std::string interface; // interface counters: the cleaned name
    uint32_t devMajor = 0; // drive counters: the device read at the last collection
    uint32_t devMinor = 0;
    bool haveDevice = false;
    bool haveLast = false; // a raw count from the previous collection exists
    uint64_t last = 0;
    double value = 0;
};

// Splits "\Object(instance)\counter". False when the path has not that shape.
bool splitPath(const QString& path, QString& object, QString& instance, QString& counter) {
    if (!path.startsWith(QLatin1Char('\\'))) return false;
    qsizetype open = path.indexOf(QLatin1Char('('));
    qsizetype close = path.lastIndexOf(QLatin1String(")\\"));
    if (open < 0 || close < open) return false;
    object = path.mid(1, open - 1);
    instance = path.mid(open + 1, close - open - 1);
    counter = path.mid(close + 2);
    return true;
}

class LinuxCounterQuery : public CounterQuery {
public:
    LinuxCounterQuery(DriveMap& drives, const std::string& root)
        : m_drives(drives), m_root(root), m_stat(procfs::joinRoot(root, "proc/stat")),
          m_diskstats(procfs::joinRoot(root, "proc/diskstats")), m_netdev(procfs::joinRoot(root, "proc/net/dev")) {}

    int32_t addCounter(const QString& path, int32_t& handle) override {
        QString object, instance, name;
        if (!splitPath(path.normalized(QString::NormalizationForm_C), object, instance, name))
            return PDH_CSTATUS_NO_OBJECT;
        Counter c{};
        if (object == QStringLiteral(u"Processeur")) {
            if (instance != QStringLiteral(u"_Total")) return PDH_CSTATUS_NO_OBJECT;
            if (name != QStringLiteral(u"% Temps processeur") &&
                name != QStringLiteral(u"Pourcentage de temps processeur"))
                return PDH_CSTATUS_NO_COUNTER;
            c.kind = Kind::Cpu;
            m_needStat = true;
        } else if (object == QStringLiteral(u"Disque logique")) {
            if (instance.size() != 2 || instance[1] != QLatin1Char(':') ||
                !(instance[0].toUpper() >= QLatin1Char('A') && instance[0].toUpper() <= QLatin1Char('Z')))
                return PDH_CSTATUS_NO_OBJECT;
            if (name == QStringLiteral(u"Écritures disque, octets/s") ||
                name == QStringLiteral(u"Ecritures disque, octets/s"))
                c.kind = Kind::DiskWrite;
            else if (name == QStringLiteral(u"Lectures disque, octets/s")) c.kind = Kind::DiskRead;
            else return PDH_CSTATUS_NO_COUNTER;
            c.letter = instance[0].toUpper();
            m_needDisk = true;
        } else if (object == QStringLiteral(u"Interface réseau")) {
            if (instance.isEmpty()) return PDH_CSTATUS_NO_OBJECT;
            if (name == QStringLiteral(u"Octets reçus/s")) c.kind = Kind::NetReceived;
            else if (name == QStringLiteral(u"Octets envoyés/s")) c.kind = Kind::NetSent;
            else return PDH_CSTATUS_NO_COUNTER;
            // Interfaces are matched by their cleaned names; cleaning the
            // name given as well makes a raw name work too.
            c.interface = procfs::cleanInterfaceName(instance.toUtf8().toStdString());
            m_needNet = true;
        } else {
            return PDH_CSTATUS_NO_OBJECT;
        }
        m_counters.push_back(std::move(c));
        handle = static_cast<int32_t>(m_counters.size());
        return PDH_OK;
    }

    int32_t collect() override {
        const auto now = std::chrono::steady_clock::now();
        const double seconds = m_collected ? std::chrono::duration<double>(now - m_lastTime).count() : 0.0;

        bool statOk = m_needStat && m_stat.read(m_buffer);
        procfs::CpuTimes cpu;
        if (statOk && procfs::parseCpuTimes(m_buffer, cpu)) {
            if (m_haveCpu && cpu.total > m_cpu.total && cpu.busy >= m_cpu.busy)
                m_cpuValue =
                    100.0 * static_cast<double>(cpu.busy - m_cpu.busy) / static_cast<double>(cpu.total - m_cpu.total);
            else m_cpuValue = 0;
            m_cpu = cpu;
            m_haveCpu = true;
        } else {
            m_cpuValue = 0;
            m_haveCpu = false;
        }

        if (m_needDisk) {
            m_drives.refresh();
            m_diskstatsRead = false;
            for (DeviceStat& d : m_deviceStats) d.read = false;
            for (Counter& c : m_counters) {
                if (c.kind != Kind::DiskWrite && c.kind != Kind::DiskRead) continue;
                const Drive* d = m_drives.find(c.letter);
                bool haveDevice = d && d->devMajor != 0;
                uint32_t ma = haveDevice ? d->devMajor : 0, mi = haveDevice ? d->devMinor : 0;
                // A letter that now stands for another device starts over.
                if (haveDevice != c.haveDevice || ma != c.devMajor || mi != c.devMinor) c.haveLast = false;
                c.haveDevice = haveDevice;
                c.devMajor = ma;
                c.devMinor = mi;
                procfs::DiskSectors s;
                bool found = haveDevice && deviceSectors(ma, mi, s);
                uint64_t sectors = c.kind == Kind::DiskWrite ? s.written : s.read;
                update(c, found, sectors, seconds, 512.0);
            }
            // The files of devices no drive stands for any more are closed.
            std::erase_if(m_deviceStats, [](const DeviceStat& d) { return !d.read; });
        }

        bool netOk = false;
        if (m_needNet) {
            netOk = m_netdev.read(m_buffer);
            // An interface's two counters (received, sent) come one after the
            // other: its line is looked for once for both.
            const std::string* looked = nullptr;
            procfs::NetBytes b;
            bool found = false;
            for (Counter& c : m_counters) {
                if (c.kind != Kind::NetReceived && c.kind != Kind::NetSent) continue;
                if (!looked || *looked != c.interface) {
                    looked = &c.interface;
                    b = {};
                    found = netOk && procfs::findNetBytes(m_buffer, c.interface, b);
                }
                update(c, found, c.kind == Kind::NetReceived ? b.received : b.sent, seconds, 1.0);
            }
        }

        for (Counter& c : m_counters)
            if (c.kind == Kind::Cpu) c.value = m_cpuValue;

        m_lastTime = now;
        m_collected = true;
        return PDH_OK;
    }

    double value(int32_t handle, int32_t& status) override {
        if (handle < 1 || static_cast<size_t>(handle) > m_counters.size()) {
            status = PDH_INVALID_HANDLE;
            return 0;
        }
        status = PDH_OK;
        return m_counters[static_cast<size_t>(handle) - 1].value;
    }

private:
    // The sector counts of one block device, read once a collection. They
    // come from the device's own stat file in sysfs, one short line; the
    // whole /proc/diskstats, which the kernel writes out for every block
    // device (loop devices included), is read only when that file cannot be.
    struct DeviceStat {
        uint32_t major = 0, minor = 0;
        std::unique_ptr<procfs::ProcFile> file;
        bool read = false; // read in this collection
        bool found = false;
        procfs::DiskSectors sectors;
    };
    bool deviceSectors(uint32_t major, uint32_t minor, procfs::DiskSectors& sectors) {
        auto it = std::find_if(m_deviceStats.begin(), m_deviceStats.end(),
                               [&](const DeviceStat& d) { return d.major == major && d.minor == minor; });
        if (it == m_deviceStats.end()) {
            DeviceStat d;
            d.major = major;
            d.minor = minor;
            d.file = std::make_unique<procfs::ProcFile>(procfs::joinRoot(
                m_root, "sys/dev/block/" + std::to_string(major) + ":" + std::to_string(minor) + "/stat"));
            m_deviceStats.push_back(std::move(d));
            it = m_deviceStats.end() - 1;
        }
        DeviceStat& d = *it;
        if (!d.read) {
            d.read = true;
            d.sectors = {};
            d.found = d.file->read(m_deviceBuffer) && procfs::parseDeviceStat(m_deviceBuffer, d.sectors);
            if (!d.found) {
                if (!m_diskstatsRead) {
                    m_diskstatsRead = true;
                    m_diskstatsOk = m_diskstats.read(m_buffer);
                }
                d.found = m_diskstatsOk && procfs::findDiskSectors(m_buffer, major, minor, d.sectors);
            }
        }
        sectors = d.sectors;
        return d.found;
    }

    // Rate of a raw count between the last two collections, per second of
    // elapsed time. A count that went backwards (device or interface
    // re-created) gives 0 for that interval.
    static void update(Counter& c, bool found, uint64_t raw, double seconds, double unit) {
        if (!found) {
            c.haveLast = false;
            c.value = 0;
            return;
        }
        if (c.haveLast && seconds > 0 && raw >= c.last) c.value = static_cast<double>(raw - c.last) * unit / seconds;
        else c.value = 0;
        c.last = raw;
        c.haveLast = true;
    }

    DriveMap& m_drives;
    std::string m_root;
    // Each file is read once per collection, and only when a counter needs it.
    procfs::ProcFile m_stat, m_diskstats, m_netdev;
    std::string m_buffer, m_deviceBuffer;
    std::vector<DeviceStat> m_deviceStats;
    bool m_diskstatsRead = false, m_diskstatsOk = false;
    std::vector<Counter> m_counters;
    bool m_needStat = false, m_needDisk = false, m_needNet = false;
    bool m_collected = false;
    std::chrono::steady_clock::time_point m_lastTime;
    procfs::CpuTimes m_cpu;
    bool m_haveCpu = false;
    double m_cpuValue = 0;
};

} // namespace

LinuxCounters::LinuxCounters(DriveMap& drives, std::string root) : m_drives(drives), m_root(std::move(root)) {}

std::unique_ptr<CounterQuery> LinuxCounters::openQuery() {
    return std::make_unique<LinuxCounterQuery>(m_drives, m_root);
}

} // namespace tk
