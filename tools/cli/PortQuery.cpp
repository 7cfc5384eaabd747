#include "PortQuery.h"

#include "link/Exchange.h"
#include "link/Protocol.h"
#include "platform/SerialPort.h"
#include "platform/Stopwatch.h"

#include <QFileInfo>
#include <system_error>
#include <thread>

namespace cli {

namespace {

// The checksum first: it decides what the controller holds, and asked on a fresh line it
// cannot be mixed up with a late reply to another query.
struct Query {
    const QString &command;
    int16_t replyLength;
    int position;
    int length;
    std::optional<QString> PortReply::*value;
};

const Query kQueries[] = {
    {dmxlink::kChecksumCommand, dmxlink::kChecksumReplyLength, dmxlink::kChecksumPos, dmxlink::kChecksumDigits,
     &PortReply::checksum},
    {dmxlink::kFirmRevCommand, dmxlink::kFirmRevReplyLength, dmxlink::kFirmRevPos, dmxlink::kFirmRevLength,
     &PortReply::revision},
};

} // namespace

PortReply AskController(const QString &device)
{
    PortReply reply;
    platform::SerialPort port;
    platform::Stopwatch stopwatch;
    dmxlink::Exchange exchange(port, stopwatch);
    QString reason;
    if (!port.Open(device, &reason) || !port.SetDTREnable(true, &reason)) {
        port.Close();
        reply.opening = QFileInfo::exists(device) ? PortReply::Opening::Refused : PortReply::Opening::NoDevice;
        reply.refusal = reason;
        return reply;
    }
    for (const Query &query : kQueries) {
        const dmxlink::ExchangeResult result = exchange.Run(query.command, query.replyLength);
        if (!result.fault) {
            reply.*query.value = result.reply.mid(query.position, query.length);
            continue;
        }
        if (!port.LineOk()) {
            reply.lostDuring = query.command;
            break;
        }
        reply.unanswered.append(query.command);
    }
    port.Close();
    return reply;
}

std::vector<PortReply> AskControllers(const QStringList &devices)
{
    std::vector<PortReply> replies(size_t(devices.size()));
    std::vector<std::thread> threads;
    std::vector<int> leftOver;
    for (int i = 0; i < devices.size(); ++i) {
        try {
            threads.emplace_back([&replies, &devices, i] { replies[size_t(i)] = AskController(devices[i]); });
        } catch (const std::system_error &) {
            // No thread to be had: this one is asked once the others are done.
            leftOver.push_back(i);
        }
    }
    for (std::thread &thread : threads)
        thread.join();
    for (int i : leftOver)
        replies[size_t(i)] = AskController(devices[i]);
    return replies;
}

} // namespace cli
