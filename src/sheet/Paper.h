#pragma once
#include <QProcessEnvironment>
#include <QString>

namespace sheet {

enum class Paper { A4, Letter };

// The paper a user of this machine prints on: DefaultPaperFor with the process's
// environment and /etc/papersize.
Paper DefaultPaper();

// The paper named, in this order, by the locale's paper category (LC_ALL, else LC_PAPER,
// else LANG, as the C library reads them, if that locale is installed and is not C or
// POSIX); by the first word of papersizeFile ("a4" or "letter", as libpaper writes it);
// by the measurement system of the locale (LC_ALL, else LC_MEASUREMENT, else LANG): letter
// for US units; else A4.
Paper DefaultPaperFor(const QProcessEnvironment &environment, const QString &papersizeFile);

} // namespace sheet
