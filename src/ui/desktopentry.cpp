// The entry point of the windows' module (desktopentry.h).
#include "ui/desktopentry.h"

#include "ui/desktop.h"

extern "C" Q_DECL_EXPORT int tarnvale_run_desktop(int *argc, char **argv, tarnvale::GameSettings *settings,
                                                  const std::function<void()> *launchMusic,
                                                  const std::function<void()> *windowsUp)
{
    return tarnvale::ui::runDesktop(*argc, argv, *settings, *launchMusic, *windowsUp);
}
