// The entry point of the desktop module (see desktopmodule.h).
#include "app/desktopmodule.h"
#include "ui/desktop.h"

#include <type_traits>

extern "C" Q_DECL_EXPORT int tarnvale_run_desktop(int *argc, char **argv,
                                                  tarnvale::GameSettings *settings,
                                                  const std::function<void()> *launchMusic,
                                                  const std::function<void()> *windowsUp)
{
    return tarnvale::ui::runDesktop(*argc, argv, *settings, *launchMusic, *windowsUp);
}

// The type the executable calls it through.
static_assert(std::is_same_v<decltype(&tarnvale_run_desktop), tarnvale::DesktopEntry>);
