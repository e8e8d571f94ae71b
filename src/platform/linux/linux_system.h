// System facts on Linux: memory from /proc/meminfo, drives from the shared
// drive map with sizes from statvfs, the interface table from /sys/class/net.
#pragma once

#include "platform/linux/proc_parse.h"
#include "platform/system.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

namespace tk {

class DriveMap;

class LinuxSystem : public System {
public:
    // Filesystem figures as statvfs gives them, in bytes.
    struct Space {
        uint64_t blockSize = 0;
        uint64_t total = 0;
        uint64_t free = 0;      // including the blocks reserved for root
        uint64_t available = 0; // what an ordinary caller may still use
    };
    using SpaceProbe = std::function<bool(const std::string& path, Space& space)>;

    // `drives` must outlive this object; `root` prefixes every /proc, /sys,
    // /dev and mount-point path ("/" on a real system).
    explicit LinuxSystem(DriveMap& drives, std::string root = "/");
    ~LinuxSystem() override;

    void globalMemoryStatus(MEMORYSTATUS& status) override;
    QString logicalDriveStrings() override;
    int driveType(const QString& root) override;
    QString volumeLabel(const QString& root) override;
    bool diskFreeSpaceEx(const QString& root, uint64_t& freeCaller, uint64_t& total, uint64_t& freeTotal) override;
    bool diskFreeSpace(const QString& root, int32_t& sectorsPerCluster, int32_t& bytesPerSector, int32_t& freeClusters,
                       int32_t& totalClusters) override;
    bool versionBuild(uint32_t& build) override;
    QString driveFolder(const QString& letter) override;
    bool ifTable(std::vector<MIB_IFROW>& rows) override;

    DriveMap& driveMap() { return m_drives; }

    // Network shares are queried on a worker thread; a share that has not
    // answered within this time gives its last known figures.
    void setShareTimeout(std::chrono::milliseconds timeout) { m_shareTimeout = timeout; }
    // Replaces the statvfs call used for shares (tests simulate a slow server).
    void setShareProbe(SpaceProbe probe) { m_shareProbe = std::move(probe); }

    // statvfs of one path.
    static bool statSpace(const std::string& path, Space& space);

private:
    struct ShareState;
    bool space(const QString& root, Space& space);
    bool shareSpace(const QString& mountPoint, Space& space);
    void loadLabels();

    DriveMap& m_drives;
    std::string m_root;
    // /proc/meminfo, kept open: the memory meter reads it on every tick.
    procfs::ProcFile m_meminfo;
    std::string m_meminfoText;
    std::chrono::milliseconds m_shareTimeout{200};
    SpaceProbe m_shareProbe;
    std::map<QString, std::shared_ptr<ShareState>> m_shares;
    QString m_driveStrings; // the last drive list given, for the drives' generation below
    uint64_t m_driveStringsGeneration = 0;
    std::map<QString, QString> m_labels; // device name -> filesystem label
    // What each network interface is, by name, with the index it had then,
    // and the files of its state, kept open for the inventory that reads
    // them every 30 seconds for as long as the bar runs.
    struct InterfaceKind {
        std::string indexText;
        uint64_t arphrd = 0;
        bool physical = false, wireless = false;
        std::unique_ptr<procfs::AttributeFile> speed, flags, operstate, carrier;
    };
    std::map<std::string, InterfaceKind> m_interfaceKinds;
    // Tells when the label folder changes; without it, its stat is compared.
    class FolderWatch;
    std::unique_ptr<FolderWatch> m_labelsWatch;
    uint64_t m_labelsGeneration = UINT64_MAX;
    // What the label folder's stat said when the links were last read.
    struct LabelsStamp {
        bool exists = false;
        uint64_t device = 0, inode = 0;
        int64_t mtimeSec = 0, mtimeNsec = 0, ctimeSec = 0, ctimeNsec = 0;
        bool operator==(const LabelsStamp&) const = default;
    };
    LabelsStamp m_labelsStamp;
    int64_t m_labelsReadAtSec = 0; // wall-clock second of the last reading
    std::chrono::steady_clock::time_point m_labelsAt;
};

} // namespace tk
