#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>

// A file's bytes; empty when it cannot be read.
QByteArray ReadBytes(const QString &path);
// Writes a file whole; false when it cannot.
bool WriteBytes(const QString &path, const QByteArray &bytes);
// Every name in a folder, hidden ones included, sorted.
QStringList Entries(const QString &folder);
