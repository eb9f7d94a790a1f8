#include "about/key_guide.h"

namespace KeyGuide {

const QList<Entry>& entries()
{
    static const QList<Entry> table = {
        {QStringLiteral("1-9, a-i"), QStringLiteral("play track 1 to 18 of the disc or list"), {}},
        {QStringLiteral("0-9, Enter"),
         QStringLiteral("in a disc's menu: choose by number (digits add up), Enter the default"),
         {}},
        {QStringLiteral("p, o"),
         QStringLiteral("restart the current track paused (p) or playing (o)"),
         {}},
        {QStringLiteral("other characters"), QStringLiteral("restart the current track"), {}},
        {QStringLiteral("Space"),
         QStringLiteral("pause and resume (a focused button: press it)"),
         {}},
        {QStringLiteral("Left, Right"),
         QStringLiteral("seek 5 seconds back or forward (a focused option: the next one)"),
         {{Command::SeekBack, QKeyCombination(Qt::Key_Left)},
          {Command::SeekForward, QKeyCombination(Qt::Key_Right)}}},
        {QStringLiteral("Shift+Left, Shift+Right"),
         QStringLiteral("seek 30 seconds back or forward"),
         {{Command::SeekBackFar, Qt::SHIFT | Qt::Key_Left},
          {Command::SeekForwardFar, Qt::SHIFT | Qt::Key_Right}}},
        {QStringLiteral("Up, Down"),
         QStringLiteral("main volume up or down (a focused knob or list: move it)"),
         {{Command::VolumeUp, QKeyCombination(Qt::Key_Up)},
          {Command::VolumeDown, QKeyCombination(Qt::Key_Down)}}},
        {QStringLiteral("Ctrl+M"),
         QStringLiteral("mute on and off"),
         {{Command::Mute, Qt::CTRL | Qt::Key_M}}},
        {QStringLiteral("Ctrl+Up, Ctrl+Down"),
         QStringLiteral("key of the song a semitone up or down, the tempo kept"),
         {{Command::KeyUp, Qt::CTRL | Qt::Key_Up}, {Command::KeyDown, Qt::CTRL | Qt::Key_Down}}},
        {QStringLiteral("Ctrl+Right, Ctrl+Left"),
         QStringLiteral("tempo 5% faster or slower, the key kept"),
         {{Command::TempoFaster, Qt::CTRL | Qt::Key_Right},
          {Command::TempoSlower, Qt::CTRL | Qt::Key_Left}}},
        {QStringLiteral("Ctrl+0"),
         QStringLiteral("the song's own key and tempo again"),
         {{Command::OriginalKeyAndTempo, Qt::CTRL | Qt::Key_0}}},
        {QStringLiteral("PgDown, PgUp"),
         QStringLiteral("next song of a track, or back to its start; a disc menu's Next, Previous"),
         {{Command::NextSong, QKeyCombination(Qt::Key_PageDown)},
          {Command::PreviousSong, QKeyCombination(Qt::Key_PageUp)}}},
        {QStringLiteral("Backspace"),
         QStringLiteral("in a disc's menus and lists: their Return"),
         {{Command::ReturnInLists, QKeyCombination(Qt::Key_Backspace)}}},
        {QStringLiteral("F2"),
         QStringLiteral("the song queue: type a song's number and Enter to reserve it"),
         {{Command::OpenSongQueue, QKeyCombination(Qt::Key_F2)}}},
        {QStringLiteral("Alt+Enter"), QStringLiteral("full screen on and off"), {}},
        {QStringLiteral("Ctrl+T"),
         QStringLiteral("the singer screen on and off (the picture alone on a second screen)"),
         {}},
        {QStringLiteral("Esc"), QStringLiteral("leave full screen; close a dialog"), {}},
        {QStringLiteral("Alt"), QStringLiteral("leave the always-on-top mode"), {}},
        {QStringLiteral("Menu, Shift+F10"),
         QStringLiteral("open the popup menu"),
         {{Command::OpenMenu, QKeyCombination(Qt::Key_Menu)},
          {Command::OpenMenu, Qt::SHIFT | Qt::Key_F10}}},
        {QStringLiteral("Tab, Shift+Tab"),
         QStringLiteral("move the focus to the next or previous control"),
         {}},
    };
    return table;
}

QList<Binding> bindings()
{
    QList<Binding> all;
    for (const Entry& entry : entries())
        all << entry.bindings;
    return all;
}

QStringList lines(int keyWidth)
{
    QStringList result;
    for (const Entry& entry : entries())
        result << entry.keys.leftJustified(keyWidth) + QLatin1Char(' ') + entry.does;
    return result;
}

} // namespace KeyGuide
