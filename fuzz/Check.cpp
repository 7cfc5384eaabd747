#include "Check.h"

#include <cstdio>
#include <cstdlib>

void Fail(const char *what)
{
    std::fprintf(stderr, "==FUZZ CHECK FAILED== %s\n", what);
    std::abort();
}
