#include "sheet/Paper.h"

#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <cstdint>
#include <langinfo.h>
#include <locale.h>
#include <optional>

namespace sheet {

namespace {

constexpr unsigned kLetterWidthMm = 216; // what the C library gives letter-sized locales
constexpr qint64 kPapersizeReadLimit = 4096;

// The locale a category follows: LC_ALL, else the category's own variable, else LANG;
// an empty variable counts as unset.
QString LocaleName(const QProcessEnvironment &environment, const QString &category)
{
    for (const QString &variable : {QStringLiteral("LC_ALL"), category, QStringLiteral("LANG")}) {
        const QString name = environment.value(variable);
        if (!name.isEmpty())
            return name;
    }
    return QString();
}

// C and POSIX name no country and so no paper.
bool NamesACountry(const QString &name)
{
    static const QRegularExpression neutral(QStringLiteral("^(C|POSIX)([.@].*)?$"));
    return !name.isEmpty() && !neutral.match(name).hasMatch();
}

// The paper of an installed locale, as the C library has it.
std::optional<Paper> LocalePaper(const QString &name)
{
    if (!NamesACountry(name))
        return std::nullopt;
    const locale_t locale = newlocale(LC_PAPER_MASK, name.toLocal8Bit().constData(), locale_t(nullptr));
    if (locale == locale_t(nullptr))
        return std::nullopt;
    // A number item comes back in the place of the string pointer.
    const auto width = unsigned(reinterpret_cast<uintptr_t>(nl_langinfo_l(_NL_PAPER_WIDTH, locale)));
    freelocale(locale);
    return width == kLetterWidthMm ? Paper::Letter : Paper::A4;
}

// The first word of the file outside comments, "a4" or "letter" in any case.
std::optional<Paper> PapersizePaper(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QString text = QString::fromUtf8(file.read(kPapersizeReadLimit));
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        const QString word = line.section(QLatin1Char('#'), 0, 0).simplified().section(QLatin1Char(' '), 0, 0);
        if (word.isEmpty())
            continue;
        if (word.compare(QLatin1String("a4"), Qt::CaseInsensitive) == 0)
            return Paper::A4;
        if (word.compare(QLatin1String("letter"), Qt::CaseInsensitive) == 0)
            return Paper::Letter;
        return std::nullopt;
    }
    return std::nullopt;
}

} // namespace

Paper DefaultPaperFor(const QProcessEnvironment &environment, const QString &papersizeFile)
{
    if (const std::optional<Paper> paper = LocalePaper(LocaleName(environment, QStringLiteral("LC_PAPER"))))
        return *paper;
    if (const std::optional<Paper> paper = PapersizePaper(papersizeFile))
        return *paper;
    const QString measurement = LocaleName(environment, QStringLiteral("LC_MEASUREMENT"));
    if (NamesACountry(measurement) && QLocale(measurement).measurementSystem() == QLocale::ImperialUSSystem)
        return Paper::Letter;
    return Paper::A4;
}

Paper DefaultPaper()
{
    return DefaultPaperFor(QProcessEnvironment::systemEnvironment(), QStringLiteral("/etc/papersize"));
}

} // namespace sheet
