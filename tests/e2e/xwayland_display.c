// Loaded into mutter with LD_PRELOAD by with-gnome-wayland: makes its Xwayland take the X display number in
// GLYPHWARD_XWAYLAND_DISPLAY instead of the first free one, so that the test's display is one no other test
// uses. The hook is one that mutter exports for its own tests; it is looked up at run time, so this library
// needs no link against a particular mutter.

#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdlib.h>

__attribute__((constructor)) static void chooseDisplay(void)
{
    const char* number = getenv("GLYPHWARD_XWAYLAND_DISPLAY");
    void (*overrideNumber)(int) = NULL;
    // The POSIX way to take a function from dlsym without an object-to-function pointer cast.
    *(void**)&overrideNumber = dlsym(RTLD_DEFAULT, "meta_xwayland_override_display_number");
    if (number && overrideNumber) {
        overrideNumber(atoi(number));
    }
}
