// System facts: memory, drives and network interfaces.
#pragma once

#include <QString>
#include <cstdint>
#include <vector>

namespace tk {

// Memory status. Sizes are 64-bit bytes (a 32-bit record cannot describe 4 GiB or more).
struct MEMORYSTATUS {
    uint32_t dwLength = 0;
    uint32_t dwMemoryLoad = 0;
    uint64_t dwTotalPhys = 0;
    uint64_t dwAvailPhys = 0; // what a user calls free: available for new programs
    uint64_t dwTotalPageFile = 0;
    uint64_t dwAvailPageFile = 0;
    uint64_t dwTotalVirtual = 0;
    uint64_t dwAvailVirtual = 0;
};

// Drive types, with the classic values.
enum DriveType : int {
    DRIVE_UNKNOWN = 0,
    DRIVE_NO_ROOT_DIR = 1,
    DRIVE_REMOVABLE = 2,
    DRIVE_FIXED = 3,
    DRIVE_REMOTE = 4,
    DRIVE_CDROM = 5,
    DRIVE_RAMDISK = 6,
};

// One row of the interface table.
struct MIB_IFROW {
    QString bDescr; // description: the interface name on Linux
    uint32_t dwIndex = 0;
    uint32_t dwType = 0;        // 6 wired, 71 wireless, 24 loopback, 23 point-to-point, 28 slip, 1 other
    int64_t dwSpeed = 0;        // bits per second
    uint32_t dwAdminStatus = 0; // 1 up, 2 down
    uint32_t dwOperStatus = 0;  // 5 operational, 2 disconnected, 0 non-operational
};

class System {
public:
    virtual ~System() = default;

    virtual void globalMemoryStatus(MEMORYSTATUS& status) = 0;

    // Drive list: "C:\<NUL>D:\<NUL><NUL>", letters from C in mount order.
    virtual QString logicalDriveStrings() = 0;
    virtual int driveType(const QString& root) = 0; // root like "C:\"
    virtual QString volumeLabel(const QString& root) = 0;
    // Free bytes for the caller, total bytes, total free bytes. False when the query fails.
    virtual bool diskFreeSpaceEx(const QString& root, uint64_t& freeCaller, uint64_t& total, uint64_t& freeTotal) = 0;
    // The classic cluster-based query, kept for systems without the extended one.
    virtual bool diskFreeSpace(const QString& root, int32_t& sectorsPerCluster, int32_t& bytesPerSector,
                               int32_t& freeClusters, int32_t& totalClusters) = 0;
    // Build number of the system; 0 when unknown (the version query failed).
    virtual bool versionBuild(uint32_t& build) = 0;
    // Folder that a drive letter stands for (for the file manager); empty when unknown.
    virtual QString driveFolder(const QString& letter) = 0;

    // Interface table, sorted by index. False when the table cannot be read.
    virtual bool ifTable(std::vector<MIB_IFROW>& rows) = 0;
};

} // namespace tk
