// Cost of one collection of the Linux counters with the meters a typical bar
// shows: processor, one drive's write and read rates, one interface's
// received and sent rates. Target: well under 100 µs.
#include "platform/linux/drive_map.h"
#include "platform/linux/linux_counters.h"

#include <QApplication>
#include <benchmark/benchmark.h>

#include <fstream>
#include <string>

namespace {

// The interface of the default route, else the loopback.
QString busiestInterface() {
    std::ifstream routes("/proc/net/route");
    std::string line, name, dest;
    std::getline(routes, line);
    while (routes >> name >> dest) {
        if (dest == "00000000") return QString::fromStdString(name);
        std::getline(routes, line);
    }
    return QStringLiteral("lo");
}

void BM_LinuxCollect(benchmark::State& state) {
    tk::DriveMap drives;
    drives.refresh();
    tk::LinuxCounters counters(drives);
    auto query = counters.openQuery();
    const QString net = busiestInterface();
    int32_t handles[5] = {};
    int added = 0;
    for (const QString& path : {QStringLiteral(u"\\Processeur(_Total)\\% Temps processeur"),
                                QStringLiteral(u"\\Disque logique(C:)\\Écritures disque, octets/s"),
                                QStringLiteral(u"\\Disque logique(C:)\\Lectures disque, octets/s"),
                                QStringLiteral(u"\\Interface réseau(%1)\\Octets reçus/s").arg(net),
                                QStringLiteral(u"\\Interface réseau(%1)\\Octets envoyés/s").arg(net)})
        added += query->addCounter(path, handles[added]) == tk::PDH_OK;
    if (added != 5) {
        state.SkipWithError("a counter path was refused");
        return;
    }
    query->collect();
    for (auto _ : state) {
        query->collect();
        int32_t status = 0;
        double sum = 0;
        for (int32_t h : handles) sum += query->value(h, status);
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_LinuxCollect)->Unit(benchmark::kMicrosecond);

} // namespace

// Entry point of the benchmark program: a QApplication on the offscreen
// platform (the drawing benchmarks need one), then every registered benchmark.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
