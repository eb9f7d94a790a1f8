#include "about/about_window.h"
#include "about/help_window.h"
#include "about/open_url.h"
#include "widgets/owned_window.h"

#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

namespace {

// Records each start as program + arguments; `succeeds` is what starting reports.
struct FakeLauncher {
    QList<QStringList> launches;
    bool succeeds = true;
    ProgramLauncher launcher()
    {
        return [this](const QString& program, const QStringList& args) {
            launches.append(QStringList{program} + args);
            return succeeds;
        };
    }
};

QColor textColour(const QLabel* label)
{
    return label->palette().color(QPalette::WindowText);
}

// Where centring puts the window now. Before the first showing, when the windows were
// centred at load, the frame was not known and only the client size counted.
QPoint centredAtLoad(const QWidget* window)
{
    return HelpWindow::centredPosition(window->screen()->geometry(), window->size());
}

QPoint centred(const QWidget* window)
{
    return HelpWindow::centredPosition(window->screen()->geometry(),
                                       window->frameGeometry().size());
}

} // namespace

class TestAboutHelp : public QObject {
    Q_OBJECT
private slots:
    void cleanup();

    void helpLines();
    void helpTextJoinsWithCrLf();
    void helpWindow();
    void centredPosition_data();
    void centredPosition();

    void aboutWindow();
    void versionBlinks();
    void hoverColoursAndRecentring();
    void linkClicksOpenTheirAddress_data();
    void linkClicksOpenTheirAddress();
    void openUrlHandsOverOneArgument_data();
    void openUrlHandsOverOneArgument();
    void systemInformation_data();
    void systemInformation();
};

void TestAboutHelp::cleanup()
{
    for (QWidget* window : QApplication::topLevelWidgets())
        if (qobject_cast<HelpWindow*>(window) || qobject_cast<AboutWindow*>(window))
            delete window;
}

void TestAboutHelp::helpLines()
{
    const QStringList lines = HelpWindow::helpLines();
    QCOMPARE(lines.first(), QString("This a VCD player which can automatic find your cdrom "));
    const QStringList intro = lines.mid(0, 5);
    QVERIFY(!intro.contains(QString()));

    const QStringList steps = {
        "1.To play it ,Insert VCD on cdrom, click \"Open Video CD  (Auto detect)\"",
        "2.To view full screen , click \"Full screen\" button. To ",
        "change back to normal, press \"Esc\" button in keyboard.",
        "3.To open cd-rom door click the eject button (E) .To close cd-rom ",
        "door ,click it again (C).",
        "4.If you play Karaoke VCD :",
        "---click Menu.",
        "---select Audio Channel",
        "---select First, Second or Both."};
    const qsizetype first = lines.indexOf(steps.first());
    QVERIFY(first >= 5);
    QCOMPARE(lines.mid(first, steps.size()), steps);

    const QStringList sequence = {"Playing Sequence",
                                  "=================",
                                  "Autoplay             :->1->2->3->4->5->6->7....",
                                  "Next                  :->1->2->3->4......",
                                  "Autoplay if toggle :->1->2->3->4->If 8 Click->8->9->10....",
                                  "Autoplay if toggle :->1->2->3->4->If next click->5->6....",
                                  "",
                                  "",
                                  ""};
    const qsizetype heading = lines.indexOf(sequence.first());
    QVERIFY(heading > first + steps.size());
    QCOMPARE(lines.mid(heading, sequence.size()), sequence);

    // Then a five-line disclaimer and the closing paragraph.
    const qsizetype after = heading + sequence.size();
    const QStringList disclaimer = lines.mid(after, 5);
    QVERIFY(!disclaimer.contains(QString()));
    QVERIFY(disclaimer.join(' ').contains("as is"));
    QCOMPARE(lines.value(after + 5), QString());
    const QString closing = lines.mid(after + 6).join(' ');
    QVERIFY(closing.indexOf("https://tamrel-vcd.org/") >= 0);
    QVERIFY(closing.indexOf("https://tamrel-vcd.org/") < closing.indexOf("bugs@tamrel-vcd.org"));
}

void TestAboutHelp::helpTextJoinsWithCrLf()
{
    const QString text = HelpWindow::helpText();
    QCOMPARE(text.split("\r\n"), HelpWindow::helpLines() + HelpWindow::keyLines());
    QCOMPARE(text.count('\n'), text.count("\r\n"));
    QCOMPARE(text.count('\r'), text.count("\r\n"));
}

void TestAboutHelp::helpWindow()
{
    OwnedWindow<HelpWindow> slot;
    const auto make = [] { return new HelpWindow; };
    QPointer<HelpWindow> help = slot.show(make);
    QCOMPARE(help->windowTitle(), QString("Quick Help"));
    QCOMPARE(help->Label1->text(), QString("Tamrel VCD Player"));
    QCOMPARE(help->Label14->text(), QString("Version 2.2.2"));
    QCOMPARE(help->Label16->text(), QString("30th May 2005"));
    QVERIFY(!help->Image1->pixmap().isNull());
    QVERIFY(help->Helptxt->isReadOnly());
    QCOMPARE(help->Helptxt->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(help->Helptxt->toPlainText(),
             (HelpWindow::helpLines() + HelpWindow::keyLines()).join('\n'));
    QCOMPARE(help->pos(), centredAtLoad(help));
    QVERIFY(help->windowHandle()->flags() & Qt::WindowStaysOnTopHint);
    QCOMPARE(slot.show(make), help.data()); // one window at a time

    QCOMPARE(help->Command1->text(), QString("OK"));
    help->Command1->click();
    QVERIFY(help->isHidden());
    QVERIFY(!(help->windowHandle()->flags() & Qt::WindowStaysOnTopHint));
    QTRY_VERIFY(help.isNull());
}

void TestAboutHelp::centredPosition_data()
{
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<QSize>("window");
    QTest::addColumn<QPoint>("expected");
    QTest::newRow("odd halves drop")
        << QRect(0, 0, 1025, 769) << QSize(300, 200) << QPoint(362, 284);
    QTest::newRow("second screen")
        << QRect(1920, 0, 1280, 1024) << QSize(301, 201) << QPoint(2409, 411);
    QTest::newRow("larger than the screen")
        << QRect(0, 0, 800, 600) << QSize(1001, 601) << QPoint(-100, 0);
}

void TestAboutHelp::centredPosition()
{
    QFETCH(QRect, screen);
    QFETCH(QSize, window);
    QFETCH(QPoint, expected);
    QCOMPARE(HelpWindow::centredPosition(screen, window), expected);
}

void TestAboutHelp::aboutWindow()
{
    OwnedWindow<AboutWindow> slot;
    QPointer<AboutWindow> about = slot.show([] { return new AboutWindow; });
    QCOMPARE(about->windowTitle(), QString("About This Product  ......"));
    QCOMPARE(about->lbAppTitle->text(), QString("Tamrel VCD Player"));
    QCOMPARE(about->findChild<QLabel*>("lbAppVersion0")->text(), QString("Version 2.2.2"));
    QCOMPARE(about->findChild<QLabel*>("lbAppVersion1")->text(), QString());
    // Each link sits beside its caption (the addresses: linkClicksOpenTheirAddress).
    const QList<QPair<QString, QLabel*>> captions = {{"Email    :", about->Label1},
                                                     {"URL1     :", about->Label5},
                                                     {"URL2     :", about->Label9}};
    for (const auto& [caption, link] : captions) {
        const auto labels = about->findChildren<QLabel*>();
        const auto found = std::find_if(labels.cbegin(), labels.cend(),
                                        [&](QLabel* l) { return l->text() == caption; });
        QVERIFY2(found != labels.cend(), qPrintable(caption));
        QCOMPARE((*found)->y(), link->y());
        QVERIFY((*found)->geometry().right() < link->x());
    }
    QCOMPARE(about->Command1->text(), QString("&Ok"));
    QCOMPARE(about->Command2->text(), QString("&System Info..."));
    QCOMPARE(about->pos(), centredAtLoad(about));
    QVERIFY(about->windowHandle()->flags() & Qt::WindowStaysOnTopHint);

    about->Command1->click();
    QVERIFY(about->isHidden());
    QTRY_VERIFY(about.isNull());
}

void TestAboutHelp::versionBlinks()
{
    AboutWindow about;
    QCOMPARE(about.Timer1.interval(), 500);
    QVERIFY(about.Timer1.isActive());
    about.Timer1.stop();
    QStringList shown;
    for (int tick = 0; tick < 4; ++tick) {
        about.Timer1_Timer();
        shown << about.Label6->text();
    }
    QCOMPARE(shown, (QStringList{"Version 2.2.2", "", "Version 2.2.2", ""}));
}

void TestAboutHelp::hoverColoursAndRecentring()
{
    OwnedWindow<AboutWindow> slot;
    QPointer<AboutWindow> about = slot.show([] { return new AboutWindow; });
    QVERIFY(QTest::qWaitForWindowExposed(about));
    const QColor navy(0, 0, 128);
    for (QLabel* link : {about->Label1, about->Label5, about->Label9})
        QCOMPARE(textColour(link), QColor(Qt::black));

    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QApplication::sendEvent(about->Label5, &enter);
    QCOMPARE(textColour(about->Label5), navy);
    QMouseEvent overLink(QEvent::MouseMove, QPointF(3, 3), QPointF(3, 3), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(about->Label1, &overLink);
    QCOMPARE(textColour(about->Label1), navy);
    QCOMPARE(textColour(about->Label9), QColor(Qt::black));

    about->move(7, 9);
    QCOMPARE(about->pos(), QPoint(7, 9));
    // Over a plain label the move reaches the window, but that is no background.
    QLabel* caption = about->findChild<QLabel*>("Label3");
    const QPoint onCaption = caption->geometry().center();
    QMouseEvent overCaption(QEvent::MouseMove, onCaption, about->mapToGlobal(onCaption),
                            Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(about, &overCaption);
    QCOMPARE(about->pos(), QPoint(7, 9));
    QCOMPARE(textColour(about->Label5), navy);

    const QPoint bare(2, about->height() - 2);
    QVERIFY(!about->childAt(bare));
    QMouseEvent overBackground(QEvent::MouseMove, bare, about->mapToGlobal(bare), Qt::NoButton,
                               Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(about, &overBackground);
    QCOMPARE(about->pos(), centred(about));
    for (QLabel* link : {about->Label1, about->Label5, about->Label9})
        QCOMPARE(textColour(link), QColor(Qt::black));
}

void TestAboutHelp::linkClicksOpenTheirAddress_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("argument");
    QTest::newRow("e-mail") << "Label1"
                            << "mailto:contact@tamrel-vcd.org";
    QTest::newRow("home page") << "Label5"
                               << "https://tamrel-vcd.org/";
    QTest::newRow("second home page") << "Label9"
                                      << "https://github.com/tamrel-vcd/tamrel-vcd-player";
    QTest::newRow("caption is no link") << "Label2" << QString();
}

void TestAboutHelp::linkClicksOpenTheirAddress()
{
    QFETCH(QString, link);
    QFETCH(QString, argument);
    OwnedWindow<AboutWindow> slot;
    QPointer<AboutWindow> about = slot.show([] { return new AboutWindow; });
    QVERIFY(QTest::qWaitForWindowExposed(about));
    FakeLauncher fake;
    about->setLauncher(fake.launcher());
    QLabel* label = about->findChild<QLabel*>(link);
    QVERIFY(label);
    QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(3, 3));
    const QList<QStringList> expected = {{"xdg-open", argument}};
    QCOMPARE(fake.launches, argument.isNull() ? QList<QStringList>() : expected);
}

void TestAboutHelp::openUrlHandsOverOneArgument_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("starts");
    QTest::newRow("web page") << "https://tamrel-vcd.org/" << true;
    QTest::newRow("opener missing") << "https://tamrel-vcd.org/" << false;
    QTest::newRow("shell characters stay one argument")
        << "https://example.org/a b?x=\"1\";rm -rf ~ $(id)" << true;
}

void TestAboutHelp::openUrlHandsOverOneArgument()
{
    QFETCH(QString, address);
    QFETCH(bool, starts);
    FakeLauncher fake;
    fake.succeeds = starts;
    QCOMPARE(OpenURL(address, fake.launcher()), starts);
    QCOMPARE(OpenMail("contact@tamrel-vcd.org", fake.launcher()), starts);
    QCOMPARE(fake.launches, (QList<QStringList>{{"xdg-open", address},
                                                {"xdg-open", "mailto:contact@tamrel-vcd.org"}}));
}

void TestAboutHelp::systemInformation_data()
{
    QTest::addColumn<QStringList>("toolsOnPath");
    QTest::addColumn<bool>("startSucceeds");
    QTest::addColumn<QString>("started"); // tool expected to be started, or none
    QTest::newRow("nothing on PATH") << QStringList() << true << QString();
    QTest::newRow("one tool") << QStringList{"gnome-system-monitor"} << true
                              << "gnome-system-monitor";
    QTest::newRow("first in the list wins")
        << QStringList{"lshw-gtk", "hardinfo"} << true << "hardinfo";
    QTest::newRow("start fails") << QStringList{"kinfocenter"} << false << "kinfocenter";
}

void TestAboutHelp::systemInformation()
{
    QFETCH(QStringList, toolsOnPath);
    QFETCH(bool, startSucceeds);
    QFETCH(QString, started);
    QTemporaryDir bin;
    for (const QString& tool : toolsOnPath) {
        QFile file(bin.filePath(tool));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\n");
        file.close();
        QVERIFY(file.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    }
    const QByteArray savedPath = qgetenv("PATH");
    const auto restorePath = qScopeGuard([&] { qputenv("PATH", savedPath); });
    qputenv("PATH", bin.path().toLocal8Bit());
    AboutWindow about;
    FakeLauncher fake;
    fake.succeeds = startSucceeds;
    QStringList messages;
    about.setLauncher(fake.launcher());
    about.setMessenger([&](const QString& text) { messages << text; });
    about.Command2->click();

    const QList<QStringList> expected = {{bin.filePath(started)}};
    QCOMPARE(fake.launches, started.isEmpty() ? QList<QStringList>() : expected);
    const bool unavailable = started.isEmpty() || !startSucceeds;
    QCOMPARE(messages, unavailable ? QStringList{"System Information Is Unavailable At This Time"}
                                   : QStringList());
}

QTEST_MAIN(TestAboutHelp)
#include "test_about_help.moc"
