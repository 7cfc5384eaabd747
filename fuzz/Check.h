#pragma once

// Ends the run with a message when what the product did is wrong for the input;
// libFuzzer then saves the input as a crash.
[[noreturn]] void Fail(const char *what);

inline void Require(bool ok, const char *what)
{
    if (!ok)
        Fail(what);
}
