#pragma once
#include "link/Protocol.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <vector>

// The controller side of the protocol, for the simulator: it takes the bytes that
// arrive on the line, keeps the map entries it is sent and answers each command,
// misbehaving on request.
namespace sim {

using dmxlink::MapTable;

// A command the simulator misbehaves on: "01" (every block), "01:N" (block N), "03", "04".
struct Target {
    QByteArray command;
    int block = -1; // -1: every block
    bool Matches(const QByteArray &code, int frameBlock) const;
};
bool ParseTarget(const QString &text, Target *target);

struct Behaviour {
    QByteArray revision = "CVDMX FW REV 1.01 "; // always 18 characters
    QList<Target> silent;                       // no answer at all
    QList<Target> shortReply;                   // the answer without its last character
    QList<Target> extra;                        // extraText after the answer
    QList<Target> junk;                         // junkText before the answer
    QList<Target> late;                         // the answer lateMs after the command
    QByteArray extraText = "#";
    QByteArray junkText = "~~";
    int lateMs = 1500;
    bool wrongChecksum = false; // the last checksum digit changed
    bool lowerChecksum = false; // checksum digits in lower case
    int dropAtBlock = -1;       // close the line, unanswered, when this block arrives (once)
};

struct Answer {
    QByteArray frame; // the command as received
    QByteArray reply; // empty: no answer
    int delayMs = 0;
    bool drop = false; // close the line instead of answering
};

class Controller {
public:
    explicit Controller(Behaviour behaviour = {});

    // Takes bytes from the line; answers every command completed by them, in order.
    // Bytes before a "[" are ignored, and so is a "[" followed by more than a block
    // frame's length without a "]": what is kept never outgrows one frame.
    std::vector<Answer> Feed(const QByteArray &bytes);

    // The entries held: 0..511 as received (255 before any download), 512 and 513 zero.
    const MapTable &Map() const { return map_; }
    // How many received bytes wait for the end of a frame.
    qsizetype PendingBytes() const { return pending_.size(); }

private:
    Answer Reply(const QByteArray &frame);
    bool StoreBlock(const QByteArray &frame, int *block);
    void DropOverlongFrame();

    Behaviour behaviour_;
    // Received bytes from the last "[" on, awaiting the frame's "]".
    QByteArray pending_;
    MapTable map_{};
    bool dropped_ = false;
};

} // namespace sim
