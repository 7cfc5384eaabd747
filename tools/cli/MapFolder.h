#pragma once
#include <QString>
#include <optional>
#include <vector>

namespace cli {

// A map file of a folder and the checksum a controller holding its map reports.
struct FolderMap {
    QString name; // the file's name in the folder
    QString path;
    QString checksum;
    QString title; // the map's title, "" when it has none or its labels cannot be read
};

// A file that looks like a map file by its name but gives no map.
struct SkippedFile {
    QString path;
    QString reason;
};

struct MapFolder {
    std::vector<FolderMap> maps;      // sorted by name
    std::vector<SkippedFile> skipped; // sorted by path
};

// Every *.CVX file (the extension in any case) at the top level of folder, read one at a
// time with the editor's map reader. Nothing, with the reason in *reason, when the folder
// cannot be listed.
std::optional<MapFolder> ReadMapFolder(const QString &folder, QString *reason);

} // namespace cli
