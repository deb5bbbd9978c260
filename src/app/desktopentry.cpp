// The entry point of the desktop module (see desktopmodule.h).
#include "app/desktopmodule.h"
#include "ui/desktop.h"

#include <QGuiApplication>

#include <type_traits>

extern "C" Q_DECL_EXPORT int tarnvale_run_desktop(int *argc, char **argv,
                                                  tarnvale::GameSettings *settings,
                                                  const std::function<void()> *launchMusic)
{
    return tarnvale::ui::runDesktop(*argc, argv, *settings, *launchMusic);
}

// The probe (see windowsCanOpen): where the platform cannot start, Qt ends
// the process before this returns.
extern "C" Q_DECL_EXPORT int tarnvale_probe_desktop(int *argc, char **argv)
{
    const QGuiApplication probe(*argc, argv);
    return 0;
}

// The types the executable calls them through.
static_assert(std::is_same_v<decltype(&tarnvale_run_desktop), tarnvale::DesktopEntry>);
static_assert(std::is_same_v<decltype(&tarnvale_probe_desktop), tarnvale::DesktopProbe>);
