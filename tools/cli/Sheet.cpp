#include "Command.h"
#include "MapInput.h"
#include "Output.h"
#include "Status.h"
#include "platform/SafeFile.h"
#include "sheet/PatchSheet.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <memory>

namespace cli {

namespace {

// Qt's notes on its own set-up (a missing runtime folder, say) are no business of the
// user's; what goes wrong with the sheet is reported by the command.
void QuietQt(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        Error(message);
}

// The sheet is drawn with Qt Gui on no display: the offscreen platform serves.
std::unique_ptr<QGuiApplication> StartGui()
{
    qInstallMessageHandler(QuietQt);
    static int argc = 3;
    static char name[] = "cvdmxmap-cli";
    static char platformOption[] = "-platform";
    static char offscreen[] = "offscreen";
    static char *argv[] = {name, platformOption, offscreen, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}

} // namespace

int RunSheet(Job &job)
{
    sheet::Paper paper = sheet::DefaultPaper();
    if (job.paper == QLatin1String("a4"))
        paper = sheet::Paper::A4;
    else if (job.paper == QLatin1String("letter"))
        paper = sheet::Paper::Letter;
    else if (!job.paper.isEmpty()) {
        Error(QStringLiteral("sheet: --paper takes a4 or letter, not ") + job.paper
              + QStringLiteral(" (see cvdmxmap-cli sheet --help)"));
        return kUsage;
    }
    // Damaged labels are refused before anything is drawn or written.
    const std::optional<modCVDMXMap::MapLabels> labels = UsableLabels(job.files[0], job.tails[0]);
    if (!labels)
        return kFileError;
    const std::unique_ptr<QGuiApplication> gui = StartGui();
    sheet::Sheet input;
    input.fileName = QFileInfo(job.files[0]).fileName();
    input.title = labels->title;
    input.labels = labels->outputs;
    input.map = job.maps[0];
    input.date = QDate::currentDate();
    input.paper = paper;
    const QByteArray pdf = sheet::RenderPdf(input);
    QString reason;
    const auto replaced = [&](const platform::OldContent &, QString *) {
        return std::optional<platform::NewContent>({pdf, std::nullopt});
    };
    if (!platform::RewriteFile(job.output, 0, replaced, &reason)) {
        Error(job.output + QStringLiteral(": cannot write the sheet (") + reason + QLatin1Char(')'));
        return kFileError;
    }
    return kOk;
}

} // namespace cli
