#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QStringList>
#include <QWidget>

class QCloseEvent;
class QLabel;
class QPlainTextEdit;
class QPushButton;

// The quick help window: a scrolling text with the instructions, beside the program's name,
// version and date. Modeless and above all other windows while open.
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int DesignWidthTwips = 7200;
    static constexpr int DesignHeightTwips = 6000;

    explicit HelpWindow(QWidget* parent = nullptr);

    // The help text line by line, then the keys section added after it, and both joined with
    // CR LF as the text box holds them.
    static QStringList helpLines();
    static QStringList keyLines();
    static QString helpText();

    // Top-left that centres a window of that outer size on the screen (integer halves).
    static QPoint centredPosition(const QRect& screen, const QSize& window);
    // Moves the window's outer frame to the centre of the screen it is on. Before the window
    // was first shown its frame is not known yet and the client area is what gets centred.
    static void centreOnScreen(QWidget* window);

    QPlainTextEdit* Helptxt;
    QLabel* Label1;
    QLabel* Image1;
    QLabel* Label14;
    QLabel* Label16;
    QPushButton* Command1;

protected:
    void closeEvent(QCloseEvent* event) override;
};
