#pragma once
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace cli {

// What a controller told about itself, asked without being sent a map.
struct PortReply {
    enum class Opening { Opened, NoDevice, Refused };
    Opening opening = Opening::Opened;
    QString refusal;                 // why the port could not be used
    std::optional<QString> checksum; // the map checksum, as the controller gave it
    std::optional<QString> revision; // the firmware revision, as the controller gave it
    QStringList unanswered;          // the queries without a complete reply in time
    QString lostDuring;              // the query during which the line was lost, if it was
};

// Opens device as the editor opens a port (exclusive use, DTR raised), asks the map
// checksum, then the firmware revision, each with the exchange's time limit, and closes
// it. Nothing else is ever sent.
PortReply AskController(const QString &device);
// The same for every device at the same time, one thread each; the replies in the order
// of devices. The devices must be distinct.
std::vector<PortReply> AskControllers(const QStringList &devices);

} // namespace cli
