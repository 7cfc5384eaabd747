#pragma once
#include "document/MapLabels.h"
#include "document/modCVDMXMap.h"

#include <QByteArray>
#include <QString>
#include <optional>

// A map and its labels as separated rows, for spreadsheets, and back. The rows are
//   channel,entry,output,label
//   title,,Main stage,
//   address,2,Device Address: 03,
//   range,3,Device Range: 4 / Switch Setting: 3,
//   1,0,D:03.1,Cyc left
//   ... one row per channel, 1..512
//   ,5,D:04.2,Work light
//   ... one row per spare: each output of the map no channel holds, and each labelled
//   entry no channel holds that the device address pushes past device 16
// with each entry as the file stores it, the output as the editor shows it under the map's
// device address, and the label of the entry a row holds. Reading them back gives the same
// table and labels, channel entries outside 0..63 and 255 included. A device address or
// range entry outside its list (0..15) is written as it stands but refused when read back.
namespace modCVDMXMap {

// The most rows a reader takes: far more than any map and its labels need.
constexpr qint64 kMaxCsvSize = 1 << 20; // 1 MiB

QString MapToCsv(const MapTable &map, const MapLabels &labels = MapLabels());
// A field as these rows write it: in double quotes where a reader would otherwise split or
// trim it.
QString CsvField(const QString &text);

struct CsvMapError {
    int line = 0;
    int column = 0; // the field, from 1
    QString message;
    QString Text() const; // "line 7, column 3: ..."
};

struct CsvMap {
    MapTable map{};
    std::optional<MapLabels> labels; // nothing when the rows have no label column and no title row
    std::optional<CsvMapError> error;
};

// The table and labels the rows give. The separator is the header's (comma, semicolon or
// tab). Columns are found by the header's names (channel, entry, output, label; others are
// left alone); rows come in any order; a channel without a row has no output, and missing
// address and range rows stand for entry 0. A row may give the entry, the output text, or
// both when they agree; "None", "-", "- - -" and an empty output mean no output, and an
// output may be written in either case and without the leading zero ("d:2.1"). A row with
// an empty channel names an output (by entry or output) to give its label. Rows that label
// one entry must agree; an empty label says nothing. The first bad row is the error.
CsvMap MapFromCsv(const QByteArray &bytes);

} // namespace modCVDMXMap
