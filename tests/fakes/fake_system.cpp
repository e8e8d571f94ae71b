#include "fakes/fake_system.h"

#include "diag/numerique.h"

#include <algorithm>
#include <cstdint>

namespace tk {

namespace {
int32_t clamp32(uint64_t v) { return v > INT32_MAX ? INT32_MAX : static_cast<int32_t>(v); }
} // namespace

void FakeSystem::setMemory(uint64_t totalPhys, uint64_t availPhys) {
    memory.dwTotalPhys = totalPhys;
    memory.dwAvailPhys = availPhys;
    memory.dwMemoryLoad =
        totalPhys ? static_cast<uint32_t>(arrondi(100.0 - double(availPhys) / double(totalPhys) * 100.0)) : 0;
}

FakeDrive& FakeSystem::setDrive(const FakeDrive& d) {
    if (FakeDrive* old = drive(d.letter)) {
        *old = d;
        return *old;
    }
    drives.push_back(d);
    return drives.back();
}

void FakeSystem::removeDrive(QChar letter) {
    drives.erase(std::remove_if(drives.begin(), drives.end(), [&](const FakeDrive& d) { return d.letter == letter; }),
                 drives.end());
}

FakeDrive* FakeSystem::drive(QChar letter) {
    letter = letter.toUpper();
    for (FakeDrive& d : drives)
        if (d.letter.toUpper() == letter) return &d;
    return nullptr;
}

MIB_IFROW& FakeSystem::addInterface(const QString& name, uint32_t type, uint32_t operStatus, int64_t speed,
                                    uint32_t adminStatus) {
    MIB_IFROW row;
    row.bDescr = name;
    row.dwIndex = static_cast<uint32_t>(interfaces.size() + 1);
    row.dwType = type;
    row.dwSpeed = speed;
    row.dwAdminStatus = adminStatus;
    row.dwOperStatus = operStatus;
    interfaces.push_back(row);
    return interfaces.back();
}

void FakeSystem::globalMemoryStatus(MEMORYSTATUS& status) {
    ++memoryCalls;
    uint32_t length = status.dwLength;
    status = memory;
    status.dwLength = length;
}

QString FakeSystem::logicalDriveStrings() {
    QString list;
    for (const FakeDrive& d : drives) {
        list += d.letter;
        list += QStringLiteral(":\\");
        list += QChar(0);
    }
    list += QChar(0);
    return list;
}

int FakeSystem::driveType(const QString& root) {
    const FakeDrive* d = root.isEmpty() ? nullptr : drive(root[0]);
    return d ? d->type : DRIVE_NO_ROOT_DIR;
}

QString FakeSystem::volumeLabel(const QString& root) {
    const FakeDrive* d = root.isEmpty() ? nullptr : drive(root[0]);
    return d ? d->label : QString();
}

bool FakeSystem::diskFreeSpaceEx(const QString& root, uint64_t& freeCaller, uint64_t& total, uint64_t& freeTotal) {
    ++freeSpaceExCalls;
    const FakeDrive* d = root.isEmpty() ? nullptr : drive(root[0]);
    if (!d || d->queryFails) return false;
    freeCaller = d->freeCaller;
    total = d->total;
    freeTotal = d->freeTotal;
    return true;
}

bool FakeSystem::diskFreeSpace(const QString& root, int32_t& sectorsPerCluster, int32_t& bytesPerSector,
                               int32_t& freeClusters, int32_t& totalClusters) {
    ++freeSpaceCalls;
    const FakeDrive* d = root.isEmpty() ? nullptr : drive(root[0]);
    if (!d || d->queryFails) return false;
    sectorsPerCluster = d->sectorsPerCluster;
    bytesPerSector = d->bytesPerSector;
    uint64_t cluster =
        std::max<uint64_t>(1, uint64_t(std::max(d->sectorsPerCluster, 1)) * uint64_t(std::max(d->bytesPerSector, 1)));
    freeClusters = clamp32(d->freeCaller / cluster);
    totalClusters = clamp32(d->total / cluster);
    return true;
}

bool FakeSystem::versionBuild(uint32_t& b) {
    if (versionFails) return false;
    b = build;
    return true;
}

QString FakeSystem::driveFolder(const QString& letter) {
    const FakeDrive* d = letter.isEmpty() ? nullptr : drive(letter[0]);
    return d ? d->folder : QString();
}

bool FakeSystem::ifTable(std::vector<MIB_IFROW>& rows) {
    ++ifTableCalls;
    if (ifTableFails) return false;
    rows = interfaces;
    return true;
}

} // namespace tk
