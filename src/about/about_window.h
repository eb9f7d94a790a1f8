#pragma once

#include "about/open_url.h"

#include <QColor>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>

class QLabel;
class QMouseEvent;
class QPushButton;

// The About window: the program's name, a blinking version line, contact links and a button
// that starts the desktop's system-information tool. Modeless and above other windows.
class AboutWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int DesignWidthTwips = 6600;
    static constexpr int DesignHeightTwips = 4560;
    static constexpr int BlinkMilliseconds = 500;
    // 0x800000 in the blue-green-red order of the original colour value: navy.
    static inline const QColor HoverColour = QColor(0, 0, 128);
    static inline const QColor LinkColour = QColor(0, 0, 0);

    static inline const QString SysInfoUnavailable =
        QStringLiteral("System Information Is Unavailable At This Time");

    using Messenger = std::function<void(const QString& text)>;

    explicit AboutWindow(QWidget* parent = nullptr);

    // Replace how programs are started and how the message is shown (tests).
    void setLauncher(ProgramLauncher launcher) { m_launch = std::move(launcher); }
    void setMessenger(Messenger messenger) { m_message = std::move(messenger); }

    // One blink step: Label6 shows version label i, then i switches between 0 and 1.
    void Timer1_Timer();
    // Starts the first system-information tool found on PATH, or says none is available.
    void StartSysInfo();
    // Tools tried in order; desktop-specific ones after the stand-alone ones.
    static QStringList systemInfoTools();

    // Mouse over a link label: it turns navy. Mouse over the bare window: the window centres
    // itself again and every link turns black.
    void linkHovered(QLabel* link);
    void backgroundHovered();
    // Opens the link's address (mail program for the e-mail label, browser for the others).
    bool linkClicked(QLabel* link);

    QLabel* lbAppTitle;
    QLabel* Label6;
    std::array<QLabel*, 2> lbAppVersion{};
    QLabel* Label1; // e-mail
    QLabel* Label5; // home page
    QLabel* Label9; // second home page
    QPushButton* Command1;
    QPushButton* Command2;
    QTimer Timer1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    QLabel* addLabel(const char* name, const QString& text, int left, int top, int width,
                     int height);
    bool isLink(QObject* object) const;

    int m_blink = 0;
    ProgramLauncher m_launch;
    Messenger m_message;
};
