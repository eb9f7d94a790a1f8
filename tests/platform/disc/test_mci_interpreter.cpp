// The device command strings on scripted drives.

#include "fake_cd_drives.h"
#include "platform/disc/mci_interpreter.h"

#include <QtTest>

class TestMciInterpreter : public QObject {
    Q_OBJECT

private slots:
    void send_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("drives"); // sr0, sr1... in this order
        QTest::addColumn<bool>("opens"); // whether the first drive's device opens
        QTest::addColumn<bool>("trayWorks");
        QTest::addColumn<long>("code");
        QTest::addColumn<QStringList>("trayCalls");

        const long ok = MciInterpreter::Ok, bad = MciInterpreter::UnrecognizedCommand;
        const long none = MciInterpreter::DeviceNotAvailable;
        const QStringList noCalls;
        QTest::newRow("close all") << "close all" << 1 << true << true << ok << noCalls;
        QTest::newRow("close all, any case and blanks")
            << "  CLOSE \t All " << 0 << true << true << ok << noCalls;
        QTest::newRow("open") << "open cdaudio alias cd69 wait shareable" << 2 << true << true << ok
                              << noCalls;
        QTest::newRow("open, mixed case")
            << "Open CDAudio Alias CD69 Wait Shareable" << 1 << true << true << ok << noCalls;
        QTest::newRow("open, no drive")
            << "open cdaudio alias cd69 wait shareable" << 0 << true << true << none << noCalls;
        QTest::newRow("open, device does not open")
            << "open cdaudio alias cd69 wait shareable" << 2 << false << true
            << long(MciInterpreter::DeviceCannotOpen) << noCalls;
        QTest::newRow("door open")
            << "Set CDAudio Door Open Wait" << 2 << true << true << ok << QStringList{"open sr0"};
        QTest::newRow("door closed") << "set cdaudio door closed wait" << 2 << true << true << ok
                                     << QStringList{"close sr0"};
        QTest::newRow("door, no drive")
            << "Set CDAudio Door Open Wait" << 0 << true << true << none << noCalls;
        QTest::newRow("door stuck")
            << "Set CDAudio Door Closed Wait" << 1 << true << false
            << long(MciInterpreter::HardwareError) << QStringList{"close sr0"};
        QTest::newRow("empty") << "" << 1 << true << true << bad << noCalls;
        QTest::newRow("extra word") << "close all now" << 1 << true << true << bad << noCalls;
        QTest::newRow("missing word")
            << "Set CDAudio Door Open" << 1 << true << true << bad << noCalls;
        QTest::newRow("other alias")
            << "open cdaudio alias cd70 wait shareable" << 1 << true << true << bad << noCalls;
        QTest::newRow("play") << "play cd69" << 1 << true << true << bad << noCalls;
    }
    void send()
    {
        QFETCH(QString, command);
        QFETCH(int, drives);
        QFETCH(bool, opens);
        QFETCH(bool, trayWorks);
        QFETCH(long, code);
        QFETCH(QStringList, trayCalls);
        FakeCdDrives fake;
        for (int i = 0; i < drives; ++i)
            fake.add(QStringLiteral("sr%1").arg(i), 1000 + i);
        if (!opens)
            fake.unopenable.insert("sr0");
        fake.trayWorks = trayWorks;
        MciInterpreter mci(fake);
        QCOMPARE(mci.send(command), code);
        QCOMPARE(fake.trayCalls, trayCalls);
    }

    void closeAllClosesTheOpenDevice()
    {
        FakeCdDrives fake;
        fake.add("img0", 5, true).add("sr0");
        MciInterpreter mci(fake);
        QCOMPARE(mci.send("open cdaudio alias cd69 wait shareable"), 0);
        QCOMPARE(mci.openDevice(), QString("img0"));
        QCOMPARE(mci.send("open cdaudio alias cd69 wait shareable"), 0);
        QCOMPARE(mci.send("close all"), 0);
        QVERIFY(mci.openDevice().isEmpty());
        // Drives are asked afresh at every open, never cached.
        fake.list.clear();
        QCOMPARE(mci.send("open cdaudio alias cd69 wait shareable"),
                 long(MciInterpreter::DeviceNotAvailable));
        QCOMPARE(fake.driveQueries, 3);
    }

    void errorTexts()
    {
        FakeCdDrives fake;
        MciInterpreter mci(fake);
        const QList<long> codes{MciInterpreter::Ok, MciInterpreter::UnrecognizedCommand,
                                MciInterpreter::HardwareError, MciInterpreter::DeviceNotAvailable,
                                MciInterpreter::DeviceCannotOpen};
        QSet<QString> texts;
        for (long code : codes)
            texts.insert(mci.errorText(code));
        QCOMPARE(texts.size(), codes.size());
        QVERIFY(!texts.contains(QString()));
        QVERIFY(mci.errorText(4711).contains("4711"));
    }
};

QTEST_GUILESS_MAIN(TestMciInterpreter)
#include "test_mci_interpreter.moc"
