#include "sim/SimController.h"

namespace sim {

using namespace dmxlink;

namespace {

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// The value of the hex digits text[pos, pos + n), or -1.
int HexField(const QByteArray &text, int pos, int n)
{
    int value = 0;
    for (int i = 0; i < n; ++i) {
        const int d = HexValue(text[pos + i]);
        if (d < 0)
            return -1;
        value = value * 16 + d;
    }
    return value;
}

bool AnyMatches(const QList<Target> &targets, const QByteArray &code, int block)
{
    for (const Target &t : targets) {
        if (t.Matches(code, block))
            return true;
    }
    return false;
}

} // namespace

bool Target::Matches(const QByteArray &code, int frameBlock) const
{
    return code == command && (block < 0 || block == frameBlock);
}

bool ParseTarget(const QString &text, Target *target)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    const QString code = parts[0];
    if (code != QLatin1String("01") && code != QLatin1String("03") && code != QLatin1String("04"))
        return false;
    target->command = code.toLatin1();
    target->block = -1;
    if (parts.size() == 1)
        return true;
    bool ok = false;
    const int block = parts[1].toInt(&ok);
    if (parts.size() != 2 || code != QLatin1String("01") || !ok || block < 0 || block >= kBlocks)
        return false;
    target->block = block;
    return true;
}

Controller::Controller(Behaviour behaviour) : behaviour_(std::move(behaviour))
{
    behaviour_.revision = behaviour_.revision.leftJustified(kFirmRevLength, ' ', true);
    for (int i = 0; i < modCVDMXMap::kChannels; ++i)
        map_[size_t(i)] = modCVDMXMap::kNoOutput;
}

std::vector<Answer> Controller::Feed(const QByteArray &bytes)
{
    std::vector<Answer> answers;
    pending_ += bytes;
    for (;;) {
        const int open = pending_.indexOf('[');
        if (open < 0) {
            pending_.clear();
            break;
        }
        pending_.remove(0, open);
        const int close = pending_.indexOf(']');
        if (close < 0) {
            DropOverlongFrame();
            break;
        }
        // A second "[" before the "]" starts the real frame; what came before was noise.
        const int reopen = pending_.lastIndexOf('[', close);
        const QByteArray frame = pending_.mid(reopen, close - reopen + 1);
        pending_.remove(0, close + 1);
        answers.push_back(Reply(frame));
    }
    return answers;
}

Answer Controller::Reply(const QByteArray &frame)
{
    Answer answer;
    answer.frame = frame;
    const QByteArray code = frame.mid(1, 2);
    int block = -1;
    if (code == "01") {
        if (!StoreBlock(frame, &block))
            return answer;
        if (block == behaviour_.dropAtBlock && !dropped_) {
            dropped_ = true;
            answer.drop = true;
            return answer;
        }
        answer.reply = "[01]";
    } else if (frame == "[03]") {
        QByteArray digits = MapChecksumText(map_).toLatin1();
        if (behaviour_.wrongChecksum)
            digits[kChecksumDigits - 1] = digits[kChecksumDigits - 1] == '0' ? '1' : '0';
        if (behaviour_.lowerChecksum)
            digits = digits.toLower();
        answer.reply = '[' + digits + ']';
    } else if (frame == "[04]") {
        answer.reply = '[' + behaviour_.revision + ']';
    } else {
        return answer;
    }
    if (AnyMatches(behaviour_.silent, code, block)) {
        answer.reply.clear();
        return answer;
    }
    if (AnyMatches(behaviour_.shortReply, code, block))
        answer.reply.chop(1);
    if (AnyMatches(behaviour_.extra, code, block))
        answer.reply += behaviour_.extraText;
    if (AnyMatches(behaviour_.junk, code, block))
        answer.reply.prepend(behaviour_.junkText);
    if (AnyMatches(behaviour_.late, code, block))
        answer.delayMs = behaviour_.lateMs;
    return answer;
}

// No frame is longer than a block's: a "[" with more than that after it and no "]" is
// junk. Only a later "[" can still start a frame.
void Controller::DropOverlongFrame()
{
    if (pending_.size() <= kBlockFrameLength)
        return;
    const int reopen = pending_.lastIndexOf('[');
    QByteArray rest = reopen > 0 ? pending_.mid(reopen) : QByteArray();
    if (rest.size() > kBlockFrameLength)
        rest.clear();
    pending_ = rest;
}

bool Controller::StoreBlock(const QByteArray &frame, int *block)
{
    if (frame.size() != kBlockFrameLength)
        return false;
    const int start = HexField(frame, 3, 4);
    if (start < 0 || start % kBlockEntries != 0 || start + kBlockEntries > modCVDMXMap::kChannels)
        return false;
    std::array<int16_t, kBlockEntries> entries{};
    for (int i = 0; i < kBlockEntries; ++i) {
        const int v = HexField(frame, 7 + 2 * i, 2);
        if (v < 0)
            return false;
        entries[size_t(i)] = int16_t(v);
    }
    std::copy(entries.begin(), entries.end(), map_.begin() + start);
    *block = start / kBlockEntries;
    return true;
}

} // namespace sim
