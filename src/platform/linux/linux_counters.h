// Performance counters computed from /proc: processor load from /proc/stat,
// drive transfer rates from /proc/diskstats, interface rates from
// /proc/net/dev, each between the last two collections of a query.
#pragma once

#include "platform/counters.h"

#include <string>

namespace tk {

class DriveMap;

class LinuxCounters : public Counters {
public:
    // `drives` gives the block device of each drive letter and must outlive
    // this object and its queries; `root` prefixes the /proc paths read.
    explicit LinuxCounters(DriveMap& drives, std::string root = "/");

    std::unique_ptr<CounterQuery> openQuery() override;

private:
    DriveMap& m_drives;
    std::string m_root;
};

} // namespace tk
