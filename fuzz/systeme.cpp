// The readers of /proc, /sys and the mount table: the parsers on their own,
// then the system service over a folder laid out like / with the fuzzed
// files in place.
#include "platform/linux/drive_map.h"
#include "platform/linux/linux_system.h"
#include "platform/linux/proc_parse.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace tk;

namespace {

// A folder that stands for "/", made once per run and removed at exit. Its
// name lives in a plain array, which the exit handler can still read.
char g_racine[64] = "/tmp/tarvik-fuzz-XXXXXX";

const std::string& racine() {
    static const std::string r = [] {
        if (!::mkdtemp(g_racine)) std::abort();
        const std::string s = g_racine;
        for (const char* sous : {"/proc", "/proc/net", "/proc/self", "/sys", "/sys/class", "/sys/class/net",
                                 "/sys/class/net/eth0", "/sys/class/block", "/sys/class/block/sda1", "/dev"})
            ::mkdir((s + sous).c_str(), 0700);
        std::atexit([] {
            const std::string commande = std::string("rm -rf '") + g_racine + "'";
            [[maybe_unused]] const int r = std::system(commande.c_str());
        });
        return s;
    }();
    return r;
}

void ecrire(const std::string& relatif, std::string_view contenu) {
    std::ofstream f(racine() + relatif, std::ios::binary | std::ios::trunc);
    f.write(contenu.data(), static_cast<std::streamsize>(contenu.size()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Parts separated by NUL bytes.
    std::vector<std::string_view> p;
    std::string_view reste(reinterpret_cast<const char*>(data), size);
    for (;;) {
        const size_t nul = reste.find('\0');
        p.push_back(reste.substr(0, nul));
        if (nul == std::string_view::npos) break;
        reste.remove_prefix(nul + 1);
    }
    p.resize(12);

    procfs::CpuTimes cpu;
    procfs::parseCpuTimes(p[0], cpu);
    procfs::DiskSectors secteurs;
    procfs::findDiskSectors(p[1], 8, 1, secteurs);
    procfs::NetBytes octets;
    const std::string nom = procfs::cleanInterfaceName(p[9]);
    procfs::findNetBytes(p[2], nom, octets);
    procfs::MemInfo mem;
    procfs::parseMemInfo(p[3], mem);
    (void)procfs::unescapeMountField(p[4]);
    uint64_t n = 0;
    procfs::toU64(p[10], n);
    std::string_view lignes = p[4];
    while (!lignes.empty()) {
        std::string_view ligne = procfs::nextLine(lignes);
        while (!procfs::nextWord(ligne).empty()) {}
    }

    ecrire("/proc/stat", p[0]);
    ecrire("/proc/diskstats", p[1]);
    ecrire("/proc/net/dev", p[2]);
    ecrire("/proc/meminfo", p[3]);
    ecrire("/proc/self/mountinfo", p[4]);
    ecrire("/sys/class/net/eth0/type", p[5]);
    ecrire("/sys/class/net/eth0/speed", p[6]);
    ecrire("/sys/class/net/eth0/flags", p[7]);
    ecrire("/sys/class/net/eth0/operstate", p[8]);
    ecrire("/sys/class/net/eth0/carrier", p[10]);
    ecrire("/sys/class/block/sda1/dev", p[11]);

    (void)DriveMap::parse(p[4], racine());
    DriveMap lecteurs(racine());
    lecteurs.refresh();
    LinuxSystem systeme(lecteurs, racine());
    std::vector<MIB_IFROW> interfaces;
    systeme.ifTable(interfaces);
    MEMORYSTATUS etat{};
    systeme.globalMemoryStatus(etat);
    (void)systeme.logicalDriveStrings();
    return 0;
}
