// The entry point of the windows' module: the executable loads the module
// only when it opens the windows and looks this function up by its name.
#include "ui/desktop.h"

extern "C" Q_DECL_EXPORT int tarnvale_run_desktop(int *argc, char **argv, tarnvale::GameSettings *settings,
                                                  const std::function<void()> *launchMusic,
                                                  const std::function<void()> *windowsUp)
{
    return tarnvale::ui::runDesktop(*argc, argv, *settings, *launchMusic, *windowsUp);
}
