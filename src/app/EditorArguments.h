#pragma once
#include <QString>
#include <QStringList>

// The editor's command line, once Qt has taken its own options (-platform, -style, ...):
// at most one map file to open, --help and --version.
struct EditorArguments {
    enum Action { Run, Help, Version, Refuse } action = Run;
    QString file;    // the map file to open, as an absolute path; empty for none
    QString message; // for Refuse: what is wrong, in a line of its own
};

// arguments[0] is the program.
EditorArguments ParseEditorArguments(const QStringList &arguments);

QString EditorHelpText();
QString EditorVersionText();
