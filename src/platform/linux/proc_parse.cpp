#include "platform/linux/proc_parse.h"

#include <cerrno>
#include <charconv>
#include <fcntl.h>
#include <unistd.h>

namespace tk::procfs {

std::string joinRoot(const std::string& root, std::string_view relative) {
    std::string path = root.empty() ? std::string("/") : root;
    if (path.back() != '/') path += '/';
    while (!relative.empty() && relative.front() == '/') relative.remove_prefix(1);
    path.append(relative);
    return path;
}

bool readFile(const std::string& path, std::string& content) {
    content.clear();
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    // /proc files report a size of 0: read until the end whatever stat says,
    // in chunks appended to the text (growing a string by resizing it would
    // clear every byte it grows by first, on every tick).
    bool ok = true;
    char chunk[4096];
    for (;;) {
        ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0) {
            ok = false;
            break;
        }
        if (n == 0) break;
        content.append(chunk, static_cast<size_t>(n));
    }
    ::close(fd);
    return ok;
}

ProcFile::~ProcFile() {
    if (m_fd >= 0) ::close(m_fd);
}

bool ProcFile::read(std::string& content) {
    if (m_fd < 0) m_fd = ::open(m_path.c_str(), O_RDONLY | O_CLOEXEC);
    if (m_fd < 0) {
        content.clear();
        return false;
    }
    if (m_buffer.empty()) m_buffer.resize(8192);
    for (;;) {
        // The whole file in one read from offset 0, which makes the kernel
        // generate it afresh; a full buffer means it may be longer: grow, retry.
        // The buffer is kept between reads, so it is cleared only when it grows.
        ssize_t n = ::pread(m_fd, m_buffer.data(), m_buffer.size(), 0);
        if (n < 0) {
            content.clear();
            ::close(m_fd);
            m_fd = -1;
            return false;
        }
        if (static_cast<size_t>(n) < m_buffer.size()) {
            content.assign(m_buffer.data(), static_cast<size_t>(n));
            return true;
        }
        m_buffer.resize(m_buffer.size() * 2);
    }
}

namespace {
// The text without surrounding blanks and line ends.
std::string trimmed(std::string_view text) {
    size_t end = text.find_last_not_of(" \t\r\n");
    if (end == std::string_view::npos) return {};
    size_t start = text.find_first_not_of(" \t\r\n");
    return std::string(text.substr(start, end - start + 1));
}

// Reads a short file from its start into `text`: one read gives a whole
// attribute, a longer file is read to its end. -1 with errno on failure.
int readFromStart(int fd, std::string& text) {
    char chunk[4096];
    text.clear();
    for (off_t at = 0;;) {
        const ssize_t n = ::pread(fd, chunk, sizeof chunk, at);
        if (n < 0) return -1;
        text.append(chunk, static_cast<size_t>(n));
        if (static_cast<size_t>(n) < sizeof chunk) return 0;
        at += n;
    }
}
} // namespace

// Read once: a kept file that is opened, read and closed.
std::string readAttribute(const std::string& path) { return AttributeFile(path).read(); }

AttributeFile::~AttributeFile() {
    if (m_fd >= 0) ::close(m_fd);
}

std::string AttributeFile::read() {
    std::string text;
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (m_fd < 0) m_fd = ::open(m_path.c_str(), O_RDONLY | O_CLOEXEC);
        if (m_fd < 0) return {};
        if (readFromStart(m_fd, text) == 0) return trimmed(text);
        // The file's object went (a network interface taken away, a process
        // ended): the path may stand for another one now, opened afresh.
        // Any other refusal (a link speed while the link is down) leaves the
        // file as it is, to be asked again next time.
        if (errno != ENODEV && errno != ENOENT && errno != ESRCH && errno != ESTALE) return {};
        ::close(m_fd);
        m_fd = -1;
    }
    return {};
}

std::string_view nextLine(std::string_view& rest) {
    size_t nl = rest.find('\n');
    std::string_view line = rest.substr(0, nl);
    rest = nl == std::string_view::npos ? std::string_view() : rest.substr(nl + 1);
    return line;
}

std::string_view nextWord(std::string_view& rest) {
    // Plain loops: the files are scanned word by word on every tick.
    const char* p = rest.data();
    const char* const end = p + rest.size();
    while (p < end && (*p == ' ' || *p == '\t')) ++p;
    const char* const start = p;
    while (p < end && *p != ' ' && *p != '\t') ++p;
    rest = std::string_view(p, static_cast<size_t>(end - p));
    return std::string_view(start, static_cast<size_t>(p - start));
}

bool toU64(std::string_view word, uint64_t& value) {
    if (word.empty()) return false;
    auto [ptr, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
    return ec == std::errc() && ptr == word.data() + word.size();
}

bool parseCpuTimes(std::string_view stat, CpuTimes& times) {
    std::string_view line = nextLine(stat);
    if (nextWord(line) != "cpu") return false;
    // user nice system idle iowait irq softirq steal [guest guest_nice].
    // Guest time is already part of user and nice, so it is not added again.
    uint64_t f[8] = {};
    int n = 0;
    for (; n < 8; ++n) {
        std::string_view w = nextWord(line);
        if (w.empty()) break;
        if (!toU64(w, f[n])) return false;
    }
    if (n < 4) return false;
    // Counted the way top's processor line reads: iowait is idle time (the
    // processor was free to run something else), steal is time taken from us
    // by the hypervisor and therefore busy, not available.
    times.busy = f[0] + f[1] + f[2] + f[5] + f[6] + f[7];
    times.total = times.busy + f[3] + f[4];
    return true;
}

bool findDiskSectors(std::string_view diskstats, uint32_t major, uint32_t minor, DiskSectors& sectors) {
    while (!diskstats.empty()) {
        std::string_view line = nextLine(diskstats);
        uint64_t ma = 0, mi = 0;
        if (!toU64(nextWord(line), ma) || ma != major) continue;
        if (!toU64(nextWord(line), mi) || mi != minor) continue;
        nextWord(line); // name
        return parseDeviceStat(line, sectors);
    }
    return false;
}

bool parseDeviceStat(std::string_view stat, DiskSectors& sectors) {
    // reads, reads merged, sectors read, ms reading, writes, writes merged, sectors written
    std::string_view w[7];
    for (auto& x : w) x = nextWord(stat);
    return toU64(w[2], sectors.read) && toU64(w[6], sectors.written);
}

std::string cleanInterfaceName(std::string_view name) {
    std::string out(name);
    for (char& c : out) {
        if (c == '/' || c == '#') c = '_';
        else if (c == '(') c = '[';
        else if (c == ')') c = ']';
    }
    return out;
}

bool findNetBytes(std::string_view netdev, std::string_view cleanName, NetBytes& bytes) {
    while (!netdev.empty()) {
        std::string_view line = nextLine(netdev);
        // An interface's name holds no colon: the first one ends it (the
        // numbers after it fill most of the line).
        size_t colon = line.find(':');
        if (colon == std::string_view::npos) continue; // the two heading lines
        std::string_view name = line.substr(0, colon);
        size_t s = name.find_first_not_of(" \t");
        if (s == std::string_view::npos) continue;
        name.remove_prefix(s);
        if (name.size() != cleanName.size()) continue;
        bool same = true;
        for (size_t i = 0; i < name.size() && same; ++i) {
            char c = name[i];
            if (c == '/' || c == '#') c = '_';
            else if (c == '(') c = '[';
            else if (c == ')') c = ']';
            same = c == cleanName[i];
        }
        if (!same) continue;
        std::string_view rest = line.substr(colon + 1);
        // 8 receive fields (bytes first), then 8 transmit fields (bytes first).
        std::string_view w[9];
        for (auto& x : w) x = nextWord(rest);
        return toU64(w[0], bytes.received) && toU64(w[8], bytes.sent);
    }
    return false;
}

bool parseMemInfo(std::string_view meminfo, MemInfo& info) {
    uint64_t total = 0, available = 0, free = 0, buffers = 0, cached = 0, swapTotal = 0, swapFree = 0, commitLimit = 0,
             committed = 0;
    bool haveTotal = false, haveAvailable = false;
    // The file is read on every tick; the lines after the last key wanted
    // (about two thirds of them) are not looked at.
    constexpr unsigned ALL_FIELDS = (1u << 9) - 1;
    unsigned seen = 0;
    while (!meminfo.empty() && seen != ALL_FIELDS) {
        std::string_view line = nextLine(meminfo);
        // Every key wanted starts with one of these letters; most lines are
        // passed over on their first character (a blank one is read on).
        const char first = line.empty() ? '\0' : line.front();
        if (first != 'M' && first != 'B' && first != 'C' && first != 'S' && first != ' ' && first != '\t') continue;
        std::string_view key = nextWord(line);
        uint64_t* target = nullptr;
        unsigned bit = 0;
        if (key == "MemTotal:") {
            target = &total;
            bit = 1u << 0;
        } else if (key == "MemAvailable:") {
            target = &available;
            bit = 1u << 1;
        } else if (key == "MemFree:") {
            target = &free;
            bit = 1u << 2;
        } else if (key == "Buffers:") {
            target = &buffers;
            bit = 1u << 3;
        } else if (key == "Cached:") {
            target = &cached;
            bit = 1u << 4;
        } else if (key == "SwapTotal:") {
            target = &swapTotal;
            bit = 1u << 5;
        } else if (key == "SwapFree:") {
            target = &swapFree;
            bit = 1u << 6;
        } else if (key == "CommitLimit:") {
            target = &commitLimit;
            bit = 1u << 7;
        } else if (key == "Committed_AS:") {
            target = &committed;
            bit = 1u << 8;
        }
        if (!target) continue;
        uint64_t kib = 0;
        if (!toU64(nextWord(line), kib)) continue;
        *target = kib;
        seen |= bit;
        if (bit == 1u << 0) haveTotal = true;
        if (bit == 1u << 1) haveAvailable = true;
    }
    if (!haveTotal) return false;
    if (!haveAvailable) available = free + buffers + cached;
    if (available > total) available = total;
    info.total = total * 1024;
    info.available = available * 1024;
    info.swapTotal = swapTotal * 1024;
    info.swapFree = swapFree * 1024;
    info.commitLimit = commitLimit * 1024;
    info.committed = committed * 1024;
    return true;
}

std::string unescapeMountField(std::string_view field) {
    auto oct = [](char d) { return d >= '0' && d <= '7'; };
    std::string out;
    out.reserve(field.size());
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && oct(field[i + 1]) && oct(field[i + 2]) && oct(field[i + 3])) {
            out += static_cast<char>(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) | (field[i + 3] - '0'));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

} // namespace tk::procfs
