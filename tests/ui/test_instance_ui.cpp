// A second start while Vaskor sits in the tray brings the running window forward.

#include "registre.h"

#include "platform/base/instance_unique.h"
#include "ui/tfmain.h"

#include <QLocalSocket>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace vaskor::test {

class TestInstanceUi : public QObject {
    Q_OBJECT

private slots:
    void UnDeuxiemeLancementMontreLaFenetreCacheeDuPremier()
    {
        QTemporaryDir d;
        const QString chemin = d.filePath(QStringLiteral("vaskor.instance"));
        TFMain f;
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QSignalSpy tray(&f, &TFMain::IconeTrayVisible);
        f.close();  // to the tray
        QVERIFY(!f.isVisible());

        GardeInstance premiere(chemin);
        QVERIFY(premiere.Acquerir());
        premiere.SurActivation([&f] { f.MontrerFenetre(); });

        GardeInstance seconde(chemin);
        QVERIFY(!seconde.Acquerir());
        QTRY_VERIFY(f.isVisible());
        QCOMPARE(tray.last().at(0).toBool(), false);  // the tray icon went away with the show

        // Another program writing something else on the socket shows nothing.
        f.close();
        QLocalSocket autre;
        autre.connectToServer(chemin);
        QVERIFY(autre.waitForConnected(2000));
        autre.write("montre-toi\n");
        autre.waitForBytesWritten(1000);
        QTest::qWait(200);
        QVERIFY(!f.isVisible());
    }
};

VASKOR_TEST_QT(TestInstanceUi)

}  // namespace vaskor::test

#include "test_instance_ui.moc"
