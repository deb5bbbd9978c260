#pragma once

// curses with its wide-character interface.
#ifndef NCURSES_WIDECHAR
#define NCURSES_WIDECHAR 1
#endif
// Real functions instead of macros: names such as clear() and hline() stay free.
#ifndef NCURSES_NOMACROS
#define NCURSES_NOMACROS
#endif
#include <ncursesw/curses.h>
