// The game as a conversation in JSON on standard input and output, and
// nothing else: for programs that play it where the windows and the
// terminals are not built (the engine alone, WebAssembly under node).
// `tarnvale --protocol` is the same conversation.
#include "app/protocolserver.h"

#include <csignal>
#include <cstdio>

int main()
{
#ifdef SIGPIPE
    std::signal(SIGPIPE, SIG_IGN);   // a reader that goes away ends the conversation quietly
#endif
    // Nothing plays music here: a game with music only counts its launches.
    return tarnvale::serveProtocol(stdin, stdout, stderr, {});
}
