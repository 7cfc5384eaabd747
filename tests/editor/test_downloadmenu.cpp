// The Download command: the communications window opens modally over the main window,
// once created, and closes with it.
#include "EditorFixture.h"

#include "comm/frmCVDMXMapComm.h"
#include "toolkit/CallTrace.h"

#include <QTimer>

using namespace modCVDMXMap;

class TestDownloadMenu : public QObject {
    Q_OBJECT
private slots:
    void opensModallyAndActivatesTheMainWindowAfter();
    void sameWindowAtEveryOpening();
    void closingTheMainWindowUnloadsTheCommunicationsWindow();
};

void TestDownloadMenu::opensModallyAndActivatesTheMainWindowAfter()
{
    EditorFixture f;
    f.Press(20, Qt::RightButton);
    f.Press(40, Qt::LeftButton);
    QVERIFY(f.w->cboDimChan->isVisible());
    f.Press(22, Qt::RightButton);
    iDmxMap[0] = 1; // shown only by the refresh that follows the window

    bool sawModal = false;
    bool chooserHiddenMeanwhile = false;
    QStringList trace;
    QTimer::singleShot(0, [&] {
        sawModal = f.w->commWindow && f.w->commWindow->isVisible() && f.w->commWindow->isModal()
            && f.w->commWindow->IsLoaded();
        chooserHiddenMeanwhile = !f.w->cboDimChan->isVisible();
        f.w->commWindow->cmdClose_Click();
    });
    toolkit::CallTrace::Install(&trace);
    f.w->mnuDownload->trigger();
    toolkit::CallTrace::Install(nullptr);

    QVERIFY(sawModal);
    QVERIFY(chooserHiddenMeanwhile);
    QVERIFY(!f.w->commWindow->IsLoaded());
    QCOMPARE(trace.first(), QStringLiteral("mnuDownload_Click"));
    QVERIFY(trace.contains(QStringLiteral("  Form_Activate")));
    QCOMPARE(f.w->bMSActive, false);
    QCOMPARE(f.Text(0), QStringLiteral("D:01.2"));
    // Activation does not repaint the range: it stays on screen with its buttons.
    QCOMPARE(f.Colour(22), kWhiteCell);
    QCOMPARE(f.Colour(23), kGrey);
}

void TestDownloadMenu::sameWindowAtEveryOpening()
{
    EditorFixture f;
    QList<frmCVDMXMapComm *> seen;
    for (int i = 0; i < 2; ++i) {
        QTimer::singleShot(0, [&] {
            seen << f.w->commWindow.get();
            f.w->commWindow->cmdClose_Click();
        });
        f.w->mnuDownload_Click();
    }
    QCOMPARE(seen.size(), 2);
    QVERIFY(seen[0] != nullptr);
    QCOMPARE(seen[0], seen[1]);
}

// Closing the main window while the communications window is open (a system shutdown,
// say) unloads both without a question when nothing is unsaved.
void TestDownloadMenu::closingTheMainWindowUnloadsTheCommunicationsWindow()
{
    EditorFixture f;
    bool closedMain = false;
    QTimer::singleShot(0, [&] { closedMain = f.w->close(); });
    f.w->mnuDownload_Click();
    QVERIFY(closedMain);
    QVERIFY(!f.w->commWindow->IsLoaded());
    QVERIFY(!f.w->commWindow->isVisible());
    QVERIFY(!f.w->isVisible());
    QCOMPARE(f.boxes.Shown().size(), 0);
}

QTEST_MAIN(TestDownloadMenu)
#include "test_downloadmenu.moc"
