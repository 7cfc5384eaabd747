#pragma once
#include "document/modCVDMXMap.h"

#include <QByteArray>
#include <QString>
#include <optional>

// A map as comma-separated rows, for spreadsheets, and back. The rows are
//   channel,entry,output
//   address,2,Device Address: 03
//   range,3,Device Range: 4 / Switch Setting: 3
//   1,0,D:03.1
//   ... one row per channel, 1..512
// with each entry as the file stores it and the output as the editor shows it under the
// map's device address. Reading them back gives the same table, out-of-range entries
// included.
namespace modCVDMXMap {

// The largest CSV a map is read from: the rows of a map take a few tens of kB.
constexpr qint64 kCsvLimit = 1 << 20;

QString MapToCsv(const MapTable &map);

struct CsvMapError {
    int line = 0;
    int column = 0; // the field, from 1
    QString message;
    QString Text() const; // "line 7, column 3: ..."
};

struct CsvMap {
    MapTable map{};
    std::optional<CsvMapError> error;
};

// The table the rows give. Columns are found by the header's names (channel, entry,
// output; others are left alone); rows come in any order; a channel without a row has no
// output, and missing address and range rows stand for entry 0. A row may give the entry,
// the output text, or both when they agree. The first bad row is the error.
CsvMap MapFromCsv(const QByteArray &bytes);

} // namespace modCVDMXMap
