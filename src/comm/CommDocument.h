#pragma once
#include "link/Protocol.h"

#include <cstdint>
#include <functional>

// What the communications window needs of the document, given by the window that opens
// it: the map a download sends and the port the user chose last.
struct CommDocument {
    // The map a download sends: its channel entries; its device entries and labels are not sent.
    std::function<const dmxlink::MapTable &()> map;
    // The port chosen last, 0 = COM1 .. 7 = COM8, which each load selects.
    std::function<int16_t()> comPort;
    // Keeps the port chosen, for this run and the next; told of every change of the
    // choice, the one each load makes included.
    std::function<void(int16_t port)> rememberComPort;
};
