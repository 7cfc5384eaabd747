#pragma once
#include "kit/MsgBoxScript.h"

// The message boxes the program shows, letter for letter, with their codes.
inline const QString kChecksumFaultText
    = QStringLiteral("Download Failed.\r\nChecksum Fault.\r\nDevice Will NOT Function Properly.");
inline const ShownBox kCommFaultBox{QStringLiteral("Comm Fault"), 16, QStringLiteral("Fault")};
inline const ShownBox kInvalidPortBox{QStringLiteral("Invalid COM Port."), 48, QStringLiteral("COM Error")};
inline const ShownBox kChecksumFaultBox{kChecksumFaultText, 16, QStringLiteral("Download Failure")};
inline const ShownBox kCompleteBox{QStringLiteral("Download Complete"), 0, QStringLiteral("Downlaod")};
inline const ShownBox kDiscardBox{QStringLiteral("Discard Any Changes?"), 36, QStringLiteral("QRT Corvanta DMX Map")};

inline ShownBox RevisionBox(const QString &revision)
{
    return {revision, 64, QStringLiteral("Device Firmware Revision")};
}

inline ShownBox FileErrorBox(const QString &text)
{
    return {text, 48, QStringLiteral("File Error")};
}

inline ShownBox FolderErrorBox(const QString &folder)
{
    return {QStringLiteral("Unable To Create Folder.\r\n") + folder, 48, QStringLiteral("Folder Error")};
}
