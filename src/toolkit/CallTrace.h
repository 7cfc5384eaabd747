#pragma once
#include <QStringList>

namespace toolkit {

// Records the order and nesting of the windows' handlers and methods, for tests.
// Each entry is the routine's name, indented by two blanks per level of nesting.
// Costs one pointer test per call while no sink is installed.
class CallTrace {
public:
    static void Install(QStringList *sink);

    class Scope {
    public:
        explicit Scope(const char *name);
        ~Scope();
        Scope(const Scope &) = delete;
        Scope &operator=(const Scope &) = delete;

    private:
        bool active_;
    };
};

} // namespace toolkit

#define CVDMX_TRACE(name) ::toolkit::CallTrace::Scope cvdmxTraceScope_(name)
