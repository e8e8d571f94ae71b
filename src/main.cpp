// Tarvik: builds the Linux platform, then runs the start-up routine and the
// event loop for as long as the program's windows are loaded.
#include "app/frmMain.h"
#include "app/mdlMain.h"
#include "app/programme.h"
#include "forms/controles.h"
#include "platform/linux/drive_map.h"
#include "platform/linux/linux_counters.h"
#include "platform/linux/linux_dialogs.h"
#include "platform/linux/linux_files.h"
#include "platform/linux/linux_mixer.h"
#include "platform/linux/linux_network.h"
#include "platform/linux/linux_registry.h"
#include "platform/linux/linux_shell.h"
#include "platform/linux/linux_sound.h"
#include "platform/linux/linux_system.h"
#include "platform/linux/window_pixels.h"
#include "usage.h"

#include <QApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int g_signal_fd[2] = {-1, -1};
void sur_signal(int) {
    const char c = 1;
    [[maybe_unused]] ssize_t n = ::write(g_signal_fd[1], &c, 1);
}
} // namespace

int main(int argc, char** argv) {
    // "--help" prints the usage and "--version" alone the program's version;
    // both stop there, before anything needs a display (the update test
    // tells builds apart with the version).
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            std::fputs(tk::texte_usage().c_str(), stdout);
            return 0;
        }
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("tarvik %d.%d.%d\n", tk::Programme::version_major(), tk::Programme::version_minor(),
                    tk::Programme::version_revision());
        return 0;
    }

    // The bar repaints the same few small meters on every tick. With images
    // shared with the X server, the X backend makes a round trip to the
    // server before painting over a region it sent on the previous tick,
    // which wakes two of our threads each time; sending these few kilobytes
    // over the socket costs less. Anyone who wants shared images back can set
    // the variable to an empty value: the X backend turns them off whenever
    // the variable exists, empty or not, so an empty one is removed.
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM")) qputenv("QT_XCB_NO_MITSHM", "1");
    else if (qEnvironmentVariableIsEmpty("QT_XCB_NO_MITSHM")) qunsetenv("QT_XCB_NO_MITSHM");

    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setApplicationName(QStringLiteral("tarvik"));
    // What the meters change each tick goes straight to the X window.
    tk::PictureBox::envoi_direct() = tk::sendWindowPixels;

    tk::DriveMap lecteurs;
    tk::LinuxShell shell;
    tk::LinuxCounters counters(lecteurs);
    tk::LinuxSystem system(lecteurs);
    tk::LinuxMixer mixer;
    tk::LinuxRegistry registry;
    tk::LinuxNetwork network;
    tk::LinuxFiles files;
    tk::LinuxSound sound;
    tk::LinuxDialogs dialogs;
    const tk::Platform plateforme{shell, counters, system, mixer, registry, network, files, sound, dialogs};

    tk::Programme prog(plateforme);

    // A termination request (session end, kill) only asks the event loop to
    // end, whatever runs at that moment (a slide, a box, an update step,
    // start-up): exit() also ends the loops of open boxes. The program is
    // unloaded once the loop has returned, as "Exit" unloads it, so that the
    // reserved strip is given back. A request during start-up, which runs
    // before the loop, is kept and acted on once start-up is over.
    bool arret_demande = false;
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signal_fd) == 0) {
        auto* notifier = new QSocketNotifier(g_signal_fd[0], QSocketNotifier::Read, &app);
        QObject::connect(notifier, &QSocketNotifier::activated, &app, [&] {
            char c;
            [[maybe_unused]] ssize_t n = ::read(g_signal_fd[0], &c, 1);
            arret_demande = true;
            // exit(), not quit(): quit() first closes every visible window
            // and gives up when one is still shown.
            QCoreApplication::exit(0);
        });
        std::signal(SIGTERM, sur_signal);
        std::signal(SIGINT, sur_signal);
        std::signal(SIGHUP, sur_signal);
    }

    tk::mdlMain demarrage(prog);
    demarrage.Main();
    if (!arret_demande && (prog.frmMain_si_charge() || prog.frmOption_si_charge())) app.exec();
    demarrage.fin_du_programme();
    return 0;
}
