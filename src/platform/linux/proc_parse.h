// Small readers and parsers for the /proc and /sys files the platform layer
// uses. They work on raw bytes (no QString) because the counters read them
// on every sampling tick.
#pragma once

#include <QString>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tk::procfs {

// Joins a root ("/" or a test folder, with or without trailing slash) and a
// path relative to it ("proc/stat").
std::string joinRoot(const std::string& root, std::string_view relative);

// Reads a whole file with plain system calls. /proc files are generated on
// each read, so there is nothing to gain from a buffering layer.
bool readFile(const std::string& path, std::string& content);

// A /proc file kept open and read again from its start on every call:
// reading a kept descriptor costs a third of an open-read-close, which
// matters on every sampling tick. Reopens after a failure (a test folder's
// file can appear later).
class ProcFile {
public:
    explicit ProcFile(std::string path) : m_path(std::move(path)) {}
    ~ProcFile();
    ProcFile(const ProcFile&) = delete;
    ProcFile& operator=(const ProcFile&) = delete;
    bool read(std::string& content);

private:
    std::string m_path;
    std::vector<char> m_buffer;
    int m_fd = -1;
};

// Reads a short attribute file (sysfs), without surrounding blanks and the
// final newline; empty when it cannot be read.
std::string readAttribute(const std::string& path);

// A short attribute file (sysfs) kept open and read again from its start on
// every call, as readAttribute gives it (empty when it cannot be read). A
// read that fails because the file's object went is tried once more on the
// path opened afresh, so a kept descriptor never answers for an object that
// was replaced under the same path. Opened on first use.
class AttributeFile {
public:
    explicit AttributeFile(std::string path) : m_path(std::move(path)) {}
    ~AttributeFile();
    AttributeFile(const AttributeFile&) = delete;
    AttributeFile& operator=(const AttributeFile&) = delete;
    std::string read();

private:
    std::string m_path;
    int m_fd = -1;
};

// Takes the next line (without its newline) off the front of `rest`.
std::string_view nextLine(std::string_view& rest);
// Takes the next blank-separated word off the front of `rest`.
std::string_view nextWord(std::string_view& rest);
// Decimal unsigned 64-bit number; false when `word` is not one.
bool toU64(std::string_view word, uint64_t& value);

// Processor time totals from the first line of /proc/stat, in clock ticks.
struct CpuTimes {
    uint64_t busy = 0;  // user + nice + system + irq + softirq + steal
    uint64_t total = 0; // busy + idle + iowait
};
bool parseCpuTimes(std::string_view stat, CpuTimes& times);

// Sectors read and written (512-byte units) of one block device of
// /proc/diskstats, found by its device numbers. Only that device's own line
// counts: a device-mapper volume and the disks under it are separate lines
// and are never added together.
struct DiskSectors {
    uint64_t read = 0;
    uint64_t written = 0;
};
bool findDiskSectors(std::string_view diskstats, uint32_t major, uint32_t minor, DiskSectors& sectors);
// The same two counts from a block device's own stat file in sysfs
// (/sys/dev/block/MAJOR:MINOR/stat), the fields of a /proc/diskstats line
// after the device's numbers and name.
bool parseDeviceStat(std::string_view stat, DiskSectors& sectors);

// Received and sent byte counts of the interface whose cleaned name is
// `cleanName` (see cleanInterfaceName), from /proc/net/dev.
struct NetBytes {
    uint64_t received = 0;
    uint64_t sent = 0;
};
bool findNetBytes(std::string_view netdev, std::string_view cleanName, NetBytes& bytes);

// The interface name as the program uses it in counter paths: "/" and "#"
// become "_", "(" becomes "[", ")" becomes "]".
std::string cleanInterfaceName(std::string_view name);

// MemTotal and MemAvailable of /proc/meminfo, in bytes. Kernels older than
// 3.14 have no MemAvailable: free + buffers + cached stands in for it.
struct MemInfo {
    uint64_t total = 0;
    uint64_t available = 0;
    uint64_t swapTotal = 0;
    uint64_t swapFree = 0;
    uint64_t commitLimit = 0; // what the kernel lets programs reserve in all
    uint64_t committed = 0;   // what programs have reserved
};
bool parseMemInfo(std::string_view meminfo, MemInfo& info);

// Undoes the octal escapes of mountinfo fields ("\040" is a space).
std::string unescapeMountField(std::string_view field);

} // namespace tk::procfs
