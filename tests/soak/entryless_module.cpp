// A module under the windows' module's name that lacks its entry point, as
// a module from another build or a broken install would: the program must
// say exactly that and play in the terminal.
extern "C" __attribute__((visibility("default"))) int tarnvale_something_else()
{
    return 42;
}
