// The paper a sheet is printed on when the user names none: the locale's paper as the C
// library has it, /etc/papersize, the locale's measurement system, A4. The locales are
// compiled by localedef into a folder of the test's own that LOCPATH points the C library
// at, each with the paper glibc gives it; the papersize file is the test's own too.
#include "sheet/Paper.h"

#include "kit/Files.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using sheet::Paper;

#if defined(__SANITIZE_ADDRESS__)
// The C library's newlocale() does not free its copy of LOCPATH, which only this test sets.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:__argz_add_sep\n";
}
#endif

namespace {

// The paper sizes of glibc's locale sources, in millimetres.
struct LocalePaper {
    const char *name;
    int height;
    int width;
};
const LocalePaper kLocales[] = {{"en_US.UTF-8", 279, 216},
                                {"en_CA.UTF-8", 279, 216},
                                {"es_MX.UTF-8", 279, 216},
                                {"de_DE.UTF-8", 297, 210},
                                {"en_GB.UTF-8", 297, 210}};

} // namespace

class TestPaper : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void defaultPaper_data();
    void defaultPaper();

private:
    QTemporaryDir dir_;
};

// Compiles each locale with only its paper category, as localedef does for a locale of
// its own, from a one-character character map.
void TestPaper::initTestCase()
{
    QVERIFY(dir_.isValid());
    const QString charmap = dir_.filePath(QStringLiteral("charmap"));
    QVERIFY(WriteBytes(charmap, "<code_set_name> UTF-8\n<escape_char> /\nCHARMAP\n<U0020> /x20 SPACE\nEND CHARMAP\n"));
    QVERIFY(QDir(dir_.path()).mkdir(QStringLiteral("locales")));
    for (const LocalePaper &locale : kLocales) {
        const QString source = dir_.filePath(QStringLiteral("%1.src").arg(locale.name));
        QVERIFY(WriteBytes(source,
                           QStringLiteral("LC_PAPER\nheight %1\nwidth %2\nEND LC_PAPER\n")
                               .arg(locale.height)
                               .arg(locale.width)
                               .toLatin1()));
        QProcess localedef;
        localedef.start(QStringLiteral("localedef"),
                        {QStringLiteral("--force"), QStringLiteral("-i"), source, QStringLiteral("-f"), charmap,
                         dir_.filePath(QStringLiteral("locales/") + locale.name)});
        QVERIFY(localedef.waitForFinished(30000));
        // Missing categories are warned about, and the paper category is written all the same.
        QVERIFY2(QFile::exists(dir_.filePath(QStringLiteral("locales/%1/LC_PAPER").arg(locale.name))),
                 localedef.readAllStandardError().constData());
    }
    qputenv("LOCPATH", dir_.filePath(QStringLiteral("locales")).toLocal8Bit());
}

// Each row: the locale variables set, what the papersize file holds (no file for a null
// text) and the paper.
void TestPaper::defaultPaper_data()
{
    QTest::addColumn<QStringList>("variables");
    QTest::addColumn<QString>("papersize");
    QTest::addColumn<int>("paper");
    const QString none;
    const int a4 = int(Paper::A4);
    const int letter = int(Paper::Letter);

    QTest::newRow("LANG en_US") << QStringList{"LANG=en_US.UTF-8"} << none << letter;
    QTest::newRow("LANG en_CA") << QStringList{"LANG=en_CA.UTF-8"} << none << letter;
    QTest::newRow("LANG es_MX") << QStringList{"LANG=es_MX.UTF-8"} << none << letter;
    QTest::newRow("LANG de_DE") << QStringList{"LANG=de_DE.UTF-8"} << none << a4;
    QTest::newRow("the locale before the papersize file") << QStringList{"LANG=en_US.UTF-8"} << "a4\n" << letter;
    QTest::newRow("LC_PAPER before LANG") << QStringList{"LANG=de_DE.UTF-8", "LC_PAPER=en_US.UTF-8"} << none << letter;
    QTest::newRow("LC_ALL before LC_PAPER")
        << QStringList{"LC_ALL=en_GB.UTF-8", "LC_PAPER=en_US.UTF-8", "LANG=en_US.UTF-8"} << none << a4;
    QTest::newRow("an empty LC_ALL counts as unset")
        << QStringList{"LC_ALL=", "LC_PAPER=es_MX.UTF-8", "LANG=de_DE.UTF-8"} << none << letter;
    QTest::newRow("LC_MEASUREMENT is not the paper")
        << QStringList{"LANG=de_DE.UTF-8", "LC_MEASUREMENT=en_US.UTF-8"} << none << a4;

    QTest::newRow("C: the papersize file's letter") << QStringList{"LANG=C"} << "letter\n" << letter;
    QTest::newRow("C.UTF-8: the papersize file's a4") << QStringList{"LC_ALL=C.UTF-8"} << "a4\n" << a4;
    QTest::newRow("no locale: the papersize file, comments and case aside")
        << QStringList{} << "# written by hand\n\n   Letter   \n"
        << letter;
    QTest::newRow("a locale not installed: the papersize file")
        << QStringList{"LANG=fr_FR.UTF-8"} << "letter" << letter;

    QTest::newRow("a locale not installed, no papersize file: US units")
        << QStringList{"LANG=es_US.UTF-8"} << none << letter;
    QTest::newRow("US units from LC_MEASUREMENT")
        << QStringList{"LANG=C", "LC_MEASUREMENT=en_US.UTF-8"} << none << letter;
    QTest::newRow("a paper the sheet does not know: US units") << QStringList{"LANG=es_US.UTF-8"} << "legal\n"
                                                               << letter;
    QTest::newRow("a locale not installed, metric") << QStringList{"LANG=fr_FR.UTF-8"} << none << a4;
    QTest::newRow("an empty papersize file") << QStringList{"LANG=POSIX"} << "" << a4;
    QTest::newRow("nothing at all") << QStringList{} << none << a4;
}

void TestPaper::defaultPaper()
{
    QFETCH(QStringList, variables);
    QFETCH(QString, papersize);
    QFETCH(int, paper);
    QProcessEnvironment environment;
    for (const QString &variable : variables)
        environment.insert(variable.section(QLatin1Char('='), 0, 0), variable.section(QLatin1Char('='), 1));
    const QString file = dir_.filePath(QStringLiteral("papersize"));
    QFile::remove(file);
    if (!papersize.isNull())
        QVERIFY(WriteBytes(file, papersize.toLatin1()));
    QCOMPARE(int(sheet::DefaultPaperFor(environment, file)), paper);
}

QTEST_GUILESS_MAIN(TestPaper)
#include "test_paper.moc"
