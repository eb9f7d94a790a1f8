#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

// Every key the player answers to, in one table: the quick help, --help and the manual page
// list it, and the main window binds the commands of its keys. The typed characters (track
// choice, restart) and the player's own keys are listed here too; they are handled where the
// characters and the picture are.
namespace KeyGuide {

// Commands reached by keys that type no character, so the typed-character rule never sees them.
enum class Command {
    None, // described here, handled elsewhere
    OpenMenu,
    SeekBack,
    SeekForward,
    SeekBackFar,
    SeekForwardFar,
    VolumeUp,
    VolumeDown,
    Mute,
    KeyUp,
    KeyDown,
    TempoFaster,
    TempoSlower,
    OriginalKeyAndTempo,
    NextSong,
    PreviousSong,
    ReturnInLists,
    OpenSongQueue,
};

// One key with its modifiers (QtCore's own type, so the table needs no toolkit to be read).
struct Binding {
    Command command;
    QKeyCombination keys;
};

struct Entry {
    QString keys; // as a user reads them: "Shift+Left, Shift+Right"
    QString does;
    QList<Binding> bindings;
};

constexpr double SeekSeconds = 5;
constexpr double FarSeekSeconds = 30;

const QList<Entry>& entries();
// The key sequences bound to commands, in table order.
QList<Binding> bindings();
// One line a key: the keys padded to `keyWidth`, then what they do.
QStringList lines(int keyWidth);

} // namespace KeyGuide
