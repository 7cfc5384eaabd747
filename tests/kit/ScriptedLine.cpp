#include "kit/ScriptedLine.h"

#include <algorithm>

ScriptedLine::ScriptedLine(Script script) : script_(std::move(script)) {}

void ScriptedLine::Arrive(const QByteArray &bytes)
{
    driver_ += bytes;
}

bool ScriptedLine::Open(const QString &device, QString *reason)
{
    opened_.append(device);
    if (!openFailure_.isEmpty()) {
        *reason = openFailure_;
        return false;
    }
    open_ = true;
    lineOk_ = true;
    buffer_.clear();
    return true;
}

// A closed port hears nothing: what it held and what was still on its way is gone.
void ScriptedLine::Close()
{
    open_ = false;
    buffer_.clear();
    driver_.clear();
    events_.clear();
}

bool ScriptedLine::SetDTREnable(bool, QString *reason)
{
    if (!open_) {
        *reason = QStringLiteral("DTR: Bad file descriptor");
        return false;
    }
    if (!dtrFailure_.isEmpty()) {
        *reason = dtrFailure_;
        return false;
    }
    return true;
}

bool ScriptedLine::Output(const QByteArray &bytes)
{
    sent_.append(bytes);
    if (!open_ || !lineOk_)
        return lineOk_ = false;
    Step step;
    if (script_.isEmpty() || script_.first().frame != bytes)
        ++unexpected_;
    else
        step = script_.takeFirst();
    if (step.writeFails)
        return lineOk_ = false;
    for (const Piece &piece : step.reply)
        events_.append({now_ + piece.atMs, piece.bytes, false});
    if (step.hangUpAtMs >= 0)
        events_.append({now_ + step.hangUpAtMs, QByteArray(), true});
    std::stable_sort(events_.begin(), events_.end(), [](const Event &a, const Event &b) { return a.atMs < b.atMs; });
    return true;
}

void ScriptedLine::Deliver()
{
    while (open_ && !events_.isEmpty() && events_.first().atMs <= now_) {
        const Event event = events_.takeFirst();
        if (event.hangUp)
            lineOk_ = false;
        else if (lineOk_)
            driver_ += event.bytes;
    }
    const qsizetype room = bufferSize_ < 0 ? driver_.size() : std::max<qsizetype>(0, bufferSize_ - buffer_.size());
    buffer_ += driver_.left(room);
    driver_.remove(0, std::min(room, driver_.size()));
}

int64_t ScriptedLine::NextEventAt() const
{
    return events_.isEmpty() ? -1 : events_.first().atMs;
}

int ScriptedLine::InBufferCount()
{
    Deliver();
    return int(buffer_.size());
}

QByteArray ScriptedLine::Input()
{
    Deliver();
    QByteArray bytes;
    bytes.swap(buffer_);
    taken_.append(bytes);
    return bytes;
}

// As on a serial port: bytes that came since the port was last read end the wait at once,
// and so do bytes the full port cannot take yet.
bool ScriptedLine::WaitForInput(int timeoutMs)
{
    if (!open_)
        return false;
    const qsizetype before = buffer_.size();
    Deliver();
    if (!lineOk_ || buffer_.size() > before || !driver_.isEmpty())
        return lineOk_;
    const int64_t until = now_ + std::max(timeoutMs, 0);
    const int64_t next = NextEventAt();
    now_ = next >= 0 && next <= until ? next : until;
    Deliver();
    return lineOk_;
}

ScriptedLine::Step Answer(const QByteArray &frame, const QByteArray &reply, int atMs)
{
    return {frame, {{atMs, reply}}};
}

ScriptedLine::Step Silent(const QByteArray &frame)
{
    return {frame, {}};
}

ScriptedLine::Step InPieces(const QByteArray &frame, const QList<ScriptedLine::Piece> &pieces)
{
    return {frame, pieces};
}

ScriptedLine::Step HangsUp(const QByteArray &frame, int atMs)
{
    ScriptedLine::Step step{frame, {}};
    step.hangUpAtMs = atMs;
    return step;
}

ScriptedLine::Step WriteFails(const QByteArray &frame)
{
    ScriptedLine::Step step{frame, {}};
    step.writeFails = true;
    return step;
}

ScriptedLine::Step Trickles(const QByteArray &frame, const QByteArray &reply, int firstMs, int stepMs)
{
    ScriptedLine::Step step{frame, {}};
    for (int i = 0; i < reply.size(); ++i)
        step.reply.append({firstMs + i * stepMs, reply.mid(i, 1)});
    return step;
}
