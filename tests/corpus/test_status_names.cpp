// File names that the corpus found breaking the status line: the line stays one line.

#include "playback/status_text.h"

#include <QTest>

class TestStatusNames : public QObject {
    Q_OBJECT
private slots:
    void playingIsOneLine_data();
    void playingIsOneLine();
};

void TestStatusNames::playingIsOneLine_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("status");
    QTest::newRow("newline") << "line\none.mpg"
                             << "Playing Line One.mpg  ........";
    QTest::newRow("newline only") << "\n.mpg"
                                  << "Playing  .mpg  ........";
    QTest::newRow("carriage return") << "a\r\nb.dat"
                                     << "Playing A  B.dat  ........";
    QTest::newRow("tab") << "tab\there.mpg"
                         << "Playing Tab Here.mpg  ........";
    QTest::newRow("escape and bell")
        << QString("x\x1b[2Jy\x07.mpg") << "Playing X [2jy .mpg  ........";
    QTest::newRow("next line U+0085") << QString("a") + QChar(0x85) + "b.mpg"
                                      << "Playing A B.mpg  ........";
    // Printable text is left as it is.
    QTest::newRow("unicode") << QString::fromUtf8("café ünï.mpg")
                             << QString::fromUtf8("Playing Café Ünï.mpg  ........");
}

void TestStatusNames::playingIsOneLine()
{
    QFETCH(QString, fileName);
    QFETCH(QString, status);
    QCOMPARE(StatusText::playing(fileName), status);
}

QTEST_APPLESS_MAIN(TestStatusNames)
#include "test_status_names.moc"
