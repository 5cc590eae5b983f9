#pragma once

#include <functional>

// The busy (hourglass) mouse pointer over the program for as long as the object lives, so
// that the normal pointer comes back on every way out of a command.
class BusyPointer
{
public:
    BusyPointer();
    ~BusyPointer();
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;

    // Runs show with the normal pointer, for a message box that the user has to answer while a
    // command is busy; the busy pointer, if any, comes back afterwards.
    static void withNormalPointer(const std::function<void()>& show);
};
