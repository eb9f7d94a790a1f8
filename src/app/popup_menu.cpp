#include "app/popup_menu.h"

#include "diagnostics/diagnostics.h"

#include <QActionGroup>
#include <QMenu>
#include <QTimer>
#include <QWidget>

namespace {
QAction* addItem(QMenu* menu, const char* name, const QString& caption, bool enabled = true)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    action->setEnabled(enabled);
    return action;
}
} // namespace

PopupMenu::PopupMenu(QWidget* window, const Transport& transport, QAction* capture, QMenu* karaoke)
    : QObject(window)
{
    mnuPopup = new QMenu(QStringLiteral("Popup Menu"), window);
    mnuPopup->setObjectName("mnuPopup");

    mnuVCD = mnuPopup->addMenu(QStringLiteral("VCD"));
    mnuVCD->setObjectName("mnuVCD");
    mnuVCD->menuAction()->setObjectName("mnuVCD");
    mnuOpenVCD = addItem(mnuVCD, "mnuOpenVCD", "Open Video CD  (Auto detect)");
    mnuOpenall = addItem(mnuVCD, "mnuOpenall", "Open  (Browse)");
    mnuvcdbookmark = addItem(mnuVCD, "mnuvcdbookmark", "Retrieve  Bookmark", false);
    mnuaddbookmark = addItem(mnuVCD, "mnuaddbookmark", "Add  Bookmark", false);
    MnuClearbookmark = addItem(mnuVCD, "MnuClearbookmark", "Clear Bookmark", false);
    mnuVCD->addSeparator();
    mnuVCD->addAction(transport.nextTrack);
    mnuVCD->addAction(transport.play);
    mnuVCD->addAction(transport.pause);
    mnuVCD->addAction(transport.stop);
    mnuVCD->addSeparator();
    mnucapturescreen = capture;
    mnuVCD->addAction(capture);
    mnuVCD->addSeparator();

    mnuPopup->addSeparator();
    mnuprogram = addItem(mnuPopup, "mnuprogram", "About this program");
    mnuPopup->addSeparator();
    mnutray = addItem(mnuPopup, "mnutray", "Open CD Tray");
    mnuSetting = addItem(mnuPopup, "mnuSetting", "Setting");
    mnuSongQueue = addItem(mnuPopup, "mnuSongQueue", "Song Queue");
    // Checked while the singers' window is open (SingerScreen).
    mnuSingerScreen = addItem(mnuPopup, "mnuSingerScreen", "Singer Screen");
    mnuSingerScreen->setCheckable(true);
    mnuPopup->addSeparator();

    mnuAudioChannel = mnuPopup->addMenu(QStringLiteral("Audio Channel"));
    mnuAudioChannel->setObjectName("mnuAudioChannel");
    mnuAudioChannel->menuAction()->setObjectName("mnuAudioChannel");
    mnuFirst = addItem(mnuAudioChannel, "mnuFirst", "First");
    mnuSecond = addItem(mnuAudioChannel, "mnuSecond", "Second");
    mnuBoth = addItem(mnuAudioChannel, "mnuBoth", "Both");
    channelGroup = new QActionGroup(this);
    for (QAction* channel : {mnuFirst, mnuSecond, mnuBoth}) {
        channel->setCheckable(true);
        channelGroup->addAction(channel);
    }
    mnuBoth->setChecked(true);
    mnuKaraoke = karaoke;
    mnuPopup->addMenu(karaoke);
    mnuPopup->addSeparator();

    mnuhelp = addItem(mnuPopup, "mnuhelp", "Help");
    mnuPopup->addSeparator();
    mnuExit = addItem(mnuPopup, "mnuExit", "Exit");
    mnuPopup->addSeparator();
    mnuCancel = addItem(mnuPopup, "mnuCancel", "Cancel");
    mnuPopup->addSeparator();
}

void PopupMenu::showAt(const QPoint& position)
{
    // Said once the menu is up and has the keyboard (the trace serves tests and diagnostics).
    QTimer::singleShot(0, mnuPopup, [this] {
        if (mnuPopup->isVisible())
            Diagnostics::report("menu", QStringLiteral("open"));
    });
    mnuPopup->exec(position);
    Diagnostics::report("menu", QStringLiteral("closed"));
}
