#pragma once

#include <dlfcn.h>

// A function of the GTK, GDK or GLib library that the toolkit has loaded, by its C name;
// nullptr where there is none. The build has wx's headers but not GTK's, so the few GTK
// calls the program needs that wx has no twin for are looked up at run time.
template <typename Function>
Function GtkFunction(const char* name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_DEFAULT, name));
}
