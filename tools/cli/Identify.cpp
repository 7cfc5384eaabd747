#include "Command.h"
#include "MapFolder.h"
#include "Output.h"
#include "PortDevice.h"
#include "PortQuery.h"
#include "Status.h"
#include "Table.h"
#include "document/modCVDMXMap.h"
#include "platform/ComPorts.h"

#include <QFile>
#include <sys/stat.h>

namespace cli {

namespace {

// One thread a port: more would be a mistake, not a rack.
constexpr int kMaxPorts = 64;

const QString kNothing = QStringLiteral("-");
const QString kNoMatch = QStringLiteral("none");

// A port to ask: its COM name (empty for a device path given as it is), its device, and
// the earlier port that reaches the same device, which alone is asked.
struct Target {
    QString name;
    QString device;
    int sameAs = -1;

    QString Label() const { return name.isEmpty() ? device : name; }
};

std::vector<Target> Targets(const QStringList &ports)
{
    std::vector<Target> targets;
    if (ports.isEmpty()) {
        const QString settings = modCVDMXMap::SettingsFilePath();
        for (int i = 0; i < platform::ComPort::kCount; ++i) {
            const platform::ComPort port = platform::ComPort::FromIndex(i);
            targets.push_back({port.Name(), port.Device(settings)});
        }
    }
    for (const QString &word : ports) {
        const std::optional<platform::ComPort> com = platform::ComPort::FromName(word);
        targets.push_back({com ? com->Name() : QString(), PortDevice(word).value_or(word)});
    }
    // The same device under two names (two COM ports, a link and its node) is one
    // controller: asking it twice at once would find it in use.
    std::vector<std::optional<std::pair<dev_t, ino_t>>> ids;
    for (Target &target : targets) {
        struct stat st;
        ids.push_back(::stat(QFile::encodeName(target.device).constData(), &st) == 0
                          ? std::optional(std::pair(st.st_dev, st.st_ino))
                          : std::nullopt);
        for (size_t j = 0; j + 1 < ids.size() && ids.back(); ++j) {
            if (ids[j] == ids.back() && targets[j].sameAs < 0) {
                target.sameAs = int(j);
                break;
            }
        }
    }
    return targets;
}

QString StateText(const PortReply &reply)
{
    switch (reply.opening) {
    case PortReply::Opening::NoDevice:
        return QStringLiteral("no device");
    case PortReply::Opening::Refused:
        return QStringLiteral("cannot open: ") + reply.refusal;
    case PortReply::Opening::Opened:
        break;
    }
    QStringList faults;
    if (!reply.unanswered.isEmpty())
        faults.append(QStringLiteral("no answer to ") + reply.unanswered.join(QStringLiteral(" and ")));
    if (!reply.lostDuring.isEmpty())
        faults.append(QStringLiteral("line lost during ") + reply.lostDuring);
    return faults.isEmpty() ? QStringLiteral("answered") : faults.join(QStringLiteral(", "));
}

// The map files of the folder whose checksum is the controller's, compared as the
// download and verify compare: character by character, case included; each with its
// title in quotes where it has one.
QStringList Matches(const QString &checksum, const MapFolder &folder)
{
    QStringList names;
    for (const FolderMap &map : folder.maps) {
        if (map.checksum == checksum)
            names.append(map.title.isEmpty() ? map.name
                                             : map.name + QStringLiteral(" \"") + map.title + QLatin1Char('"'));
    }
    return names;
}

QStringList Row(const Target &target, const QString &state, const PortReply &reply, const QStringList &matches)
{
    const QString maps = !reply.checksum ? kNothing : matches.isEmpty() ? kNoMatch : matches.join(QStringLiteral(", "));
    return {target.name.isEmpty() ? kNothing : target.name,
            Printable(target.device),
            Printable(state),
            reply.revision ? Printable(*reply.revision) : kNothing,
            reply.checksum ? Printable(*reply.checksum) : kNothing,
            Printable(maps)};
}

// What each target's controller told; nothing for a target whose device an earlier one
// reaches. The controllers are asked all at once.
std::vector<std::optional<PortReply>> Ask(const std::vector<Target> &targets)
{
    QStringList devices;
    for (const Target &target : targets) {
        if (target.sameAs < 0)
            devices.append(target.device);
    }
    const std::vector<PortReply> replies = AskControllers(devices);
    std::vector<std::optional<PortReply>> answers;
    auto reply = replies.begin();
    for (const Target &target : targets)
        answers.push_back(target.sameAs < 0 ? std::optional(*reply++) : std::nullopt);
    return answers;
}

} // namespace

int RunIdentify(Job &job)
{
    if (job.ports.size() > kMaxPorts) {
        Error(QStringLiteral("identify: at most %1 ports at a time (see cvdmxmap-cli identify --help)").arg(kMaxPorts));
        return kUsage;
    }
    const QString folderPath = job.mapsFolder.isEmpty() ? modCVDMXMap::WorkFolderPath() : job.mapsFolder;
    // The folder is read before any port is touched.
    QString reason;
    const std::optional<MapFolder> folder = ReadMapFolder(folderPath, &reason);
    if (!folder) {
        Error(folderPath + QStringLiteral(": cannot read the folder: ") + reason);
        return kFileError;
    }
    const std::vector<Target> targets = Targets(job.ports);
    const std::vector<std::optional<PortReply>> replies = Ask(targets);

    std::vector<QStringList> rows{{QStringLiteral("port"), QStringLiteral("device"), QStringLiteral("state"),
                                   QStringLiteral("revision"), QStringLiteral("checksum"), QStringLiteral("maps")}};
    bool answered = false;
    bool unknown = false;
    for (size_t i = 0; i < targets.size(); ++i) {
        const Target &target = targets[i];
        if (!replies[i]) {
            const QString state = QStringLiteral("same device as ") + targets[size_t(target.sameAs)].Label();
            rows.push_back(Row(target, state, PortReply(), {}));
            continue;
        }
        const PortReply &reply = *replies[i];
        const QStringList matches = reply.checksum ? Matches(*reply.checksum, *folder) : QStringList();
        rows.push_back(Row(target, StateText(reply), reply, matches));
        answered = answered || reply.checksum;
        unknown = unknown || (reply.checksum && matches.isEmpty());
    }
    if (job.csv) {
        PrintCsv(rows);
    } else {
        Out(QStringLiteral("Map files in %1: %2").arg(folderPath).arg(folder->maps.size()));
        for (QString &title : rows[0])
            title = title.toUpper();
        PrintColumns(rows);
    }
    for (const SkippedFile &file : folder->skipped)
        Error(file.path + QStringLiteral(": skipped: ") + file.reason);

    if (!answered)
        return kPortError;
    return unknown ? kDiffers : kOk;
}

} // namespace cli
