// The drive letters of a Linux system: the mounted filesystems a user thinks
// of as drives (block-device filesystems, removable and optical media,
// network shares), lettered from C in mount order. One map serves the system
// service (drive list, types, sizes) and the counters (the block device whose
// rates a drive letter reads).
#pragma once

#include <QChar>
#include <QString>
#include <cstdint>
#include <chrono>
#include <string>
#include <string_view>
#include <vector>

namespace tk {

struct Drive {
    QChar letter;          // 'C', 'D', ...
    QString mountPoint;    // "/", "/home", "/media/user/STICK"
    QString source;        // as mounted: "/dev/sda1", "server:/export"
    QString fsType;        // "ext4", "nfs4", "iso9660"
    QString deviceName;    // kernel name of the block device ("sda1", "dm-0"); empty for a share
    uint32_t devMajor = 0; // the block device holding the filesystem; 0:0 when none
    uint32_t devMinor = 0;
    int type = 3; // DriveType value (fixed, removable, remote, CD-ROM)
    bool remote() const;
};

// Used from one thread (the user-interface thread); it never touches a
// network share's mount point, so refreshing it cannot hang on a dead server.
class DriveMap {
public:
    // `root` prefixes every /proc, /sys and /dev path read ("/" on a real
    // system, a folder of fixture files in tests).
    explicit DriveMap(std::string root = "/");
    ~DriveMap();
    DriveMap(const DriveMap&) = delete;
    DriveMap& operator=(const DriveMap&) = delete;

    // Brings the map up to date. The mount table is read again only when the
    // kernel reports a change (poll on /proc/self/mountinfo), or, for a plain
    // file, when its content differs. True when the drive list changed.
    // One sampling tick asks many times over; within a tenth of a second of
    // the last look the kernel is not asked again.
    bool refresh();

    const std::vector<Drive>& drives() const { return m_drives; }
    const Drive* find(QChar letter) const;
    // Goes up by one on every change of the drive list.
    uint64_t generation() const { return m_generation; }
    const std::string& root() const { return m_root; }

    // The drives of a mountinfo text; device facts are looked up under `root`.
    static std::vector<Drive> parse(std::string_view mountinfo, const std::string& root);

private:
    std::string m_root;
    std::string m_path;
    std::string m_text;
    std::vector<Drive> m_drives;
    uint64_t m_generation = 0;
    int m_fd = -1;
    bool m_pollable = false;
    bool m_loaded = false;
    std::chrono::steady_clock::time_point m_lastLook;
};

} // namespace tk
