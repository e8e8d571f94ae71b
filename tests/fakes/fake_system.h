// A settable system for unit tests: memory status, a drive table in list
// order, interface rows. Fields are public; set them and run the code.
#pragma once

#include "platform/system.h"

#include <QChar>
#include <QString>
#include <vector>

namespace tk {

struct FakeDrive {
    QChar letter;
    int type = DRIVE_FIXED;
    QString label;
    uint64_t freeCaller = 0; // free bytes for the caller
    uint64_t total = 0;
    uint64_t freeTotal = 0; // free bytes including reserved ones
    QString folder;         // what driveFolder gives
    // Geometry of the classic cluster query; the cluster counts follow the
    // byte figures (clamped to 32 bits).
    int32_t sectorsPerCluster = 8;
    int32_t bytesPerSector = 512;
    bool queryFails = false; // the free-space queries fail for this drive
};

class FakeSystem : public System {
public:
    MEMORYSTATUS memory;               // what globalMemoryStatus gives (length kept from the caller)
    std::vector<FakeDrive> drives;     // in list order
    std::vector<MIB_IFROW> interfaces; // given as they are (sort them yourself)
    bool ifTableFails = false;
    uint32_t build = 2600;
    bool versionFails = false;

    // Call counts.
    int memoryCalls = 0;
    int freeSpaceExCalls = 0;
    int freeSpaceCalls = 0;
    int ifTableCalls = 0;

    // Sets memory figures in bytes; the load is computed as the real system does.
    void setMemory(uint64_t totalPhys, uint64_t availPhys);
    // Adds a drive, or replaces the one with the same letter.
    FakeDrive& setDrive(const FakeDrive& drive);
    void removeDrive(QChar letter);
    FakeDrive* drive(QChar letter);
    // Adds an interface row.
    MIB_IFROW& addInterface(const QString& name, uint32_t type = 6, uint32_t operStatus = 5, int64_t speed = 1000000000,
                            uint32_t adminStatus = 1);

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
};

} // namespace tk
