// cvdmxmap-sheetpicture: the patch sheet of a map, with a title and output labels, as the
// README shows it (scripts/sheet-picture.sh turns the PDF into a picture).
#include "document/MapFile.h"
#include "sheet/PatchSheet.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <cstdio>

using namespace modCVDMXMap;

namespace {

const char kUsage[]
    = "Usage: cvdmxmap-sheetpicture MAP PDF   the patch sheet of MAP, titled and labelled as\n"
      "                                      the stage of samples/Stage.CVX, on A4\n";

int Fail(const QString &message)
{
    std::fprintf(stderr, "cvdmxmap-sheetpicture: %s\n", message.toLocal8Bit().constData());
    return 1;
}

// What each output of the sample stage feeds, by entry: the front wash on the first twelve
// outputs (two left spare), the back light on the next eight, the cyclorama cells all on
// one output, the house lights on three.
void LabelStage(sheet::Sheet &sheet)
{
    sheet.title = QStringLiteral("Studio theatre, spring repertory rig");
    for (int entry = 0; entry < 12; ++entry)
        sheet.labels[size_t(entry)] = QStringLiteral("Front wash %1").arg(entry + 1);
    sheet.labels[5] = QStringLiteral("Spare: stage left dip");
    sheet.labels[6] = QStringLiteral("Spare: stage right dip");
    for (int entry = 12; entry < 20; ++entry)
        sheet.labels[size_t(entry)] = QStringLiteral("Back light %1").arg(entry - 11);
    sheet.labels[20] = QStringLiteral("Cyclorama, all eight cells on one dimmer (upstage batten)");
    sheet.labels[21] = QStringLiteral("House lights, stalls");
    sheet.labels[22] = QStringLiteral("House lights, circle");
    sheet.labels[23] = QStringLiteral("House lights, foyer and stairs");
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    const QStringList args = QGuiApplication::arguments().mid(1);
    if (args.size() != 2) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const MapFileContent content = ReadMap(args[0]);
    if (content.error.kind != MapFileError::None)
        return Fail(args[0] + QStringLiteral(": ")
                    + (content.error.kind == MapFileError::NotValid ? QStringLiteral("Not A Valid Map File.")
                                                                    : content.error.reason));
    sheet::Sheet input;
    input.fileName = QFileInfo(args[0]).fileName();
    input.map = content.map;
    input.date = QDate::currentDate();
    LabelStage(input);
    const QByteArray bytes = sheet::RenderPdf(input);
    QFile pdf(args[1]);
    if (!pdf.open(QIODevice::WriteOnly) || pdf.write(bytes) != bytes.size() || !pdf.flush())
        return Fail(args[1] + QStringLiteral(": ") + pdf.errorString());
    return 0;
}
