#pragma once
#include <QString>

// Ends the run with a message when what the product did is wrong for the input;
// libFuzzer then saves the input as a crash.
[[noreturn]] void Fail(const char *what);

inline void Require(bool ok, const char *what)
{
    if (!ok)
        Fail(what);
}

// Where the targets keep their temporary home: a memory file system when the machine has
// one. Saves are synced to disk, and a disk's sync would set the pace of the fuzzing.
QString ScratchParent();
