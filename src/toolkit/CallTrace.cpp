#include "toolkit/CallTrace.h"

namespace toolkit {

namespace {
QStringList *g_sink = nullptr;
int g_depth = 0;
} // namespace

void CallTrace::Install(QStringList *sink)
{
    g_sink = sink;
    g_depth = 0;
}

CallTrace::Scope::Scope(const char *name) : active_(g_sink != nullptr)
{
    if (!active_)
        return;
    g_sink->append(QString(g_depth * 2, QLatin1Char(' ')) + QLatin1String(name));
    ++g_depth;
}

CallTrace::Scope::~Scope()
{
    if (active_ && g_depth > 0)
        --g_depth;
}

} // namespace toolkit
