#include "Check.h"

#include <QFileInfo>

#include <cstdio>
#include <cstdlib>

void Fail(const char *what)
{
    std::fprintf(stderr, "==FUZZ CHECK FAILED== %s\n", what);
    std::abort();
}

QString ScratchParent()
{
    const QFileInfo shm(QStringLiteral("/dev/shm"));
    return shm.isDir() && shm.isWritable() ? shm.filePath() : QString();
}
