// The device command interpreter on any command strings, over a tiny scripted set of drives.
// Checks each result against the commands as they are written (four commands, words in any
// ASCII case, any run of blanks between them), what the drives were asked to do, the open
// device after each command, and that every result has an error text.
//
// Input: one byte of drive choices (how many drives, whether the first opens, whether its
// tray moves), then commands separated by NUL bytes, in UTF-8.

#include "fuzz_support.h"
#include "platform/disc/cd_drives.h"
#include "platform/disc/mci_interpreter.h"

#include <QStringList>
#include <utility>

namespace {

using Fuzz::require;

class ScriptedDrives : public CdDrives {
public:
    ScriptedDrives(int count, bool opens, bool trayMoves) : m_opens(opens), m_trayMoves(trayMoves)
    {
        for (int i = 0; i < count; ++i)
            m_drives << CdDrive{QStringLiteral("sr%1").arg(i), QStringLiteral("/dev/sr%1").arg(i)};
    }
    QList<CdDrive> drives() override { return m_drives; }
    qint32 SerNum(const QString&) const override { return 0; }
    bool canOpen(const QString& id) const override
    {
        m_calls << "canOpen " + id;
        return m_opens;
    }
    bool openTray(const QString& id) override
    {
        m_calls << "open " + id;
        return m_trayMoves;
    }
    bool closeTray(const QString& id) override
    {
        m_calls << "close " + id;
        return m_trayMoves;
    }
    QStringList takeCalls() { return std::exchange(m_calls, {}); }

private:
    QList<CdDrive> m_drives;
    bool m_opens;
    bool m_trayMoves;
    mutable QStringList m_calls;
};

enum class Command { CloseAll, Open, DoorOpen, DoorClosed, None };

bool isBlank(char16_t c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

char16_t asciiLower(char16_t c)
{
    return c >= 'A' && c <= 'Z' ? char16_t(c - 'A' + 'a') : c;
}

// The words of a command, ASCII letters in lower case; anything else stays as it is, so a
// word with any other character matches no command word.
QStringList words(const QString& command)
{
    QStringList out;
    QString word;
    for (const QChar c : command) {
        if (isBlank(c.unicode())) {
            if (!word.isEmpty())
                out << std::exchange(word, {});
        } else {
            word += QChar(asciiLower(c.unicode()));
        }
    }
    if (!word.isEmpty())
        out << word;
    return out;
}

Command commandOf(const QString& text)
{
    const QStringList w = words(text);
    if (w == QStringList{"close", "all"})
        return Command::CloseAll;
    if (w == QStringList{"open", "cdaudio", "alias", "cd69", "wait", "shareable"})
        return Command::Open;
    if (w == QStringList{"set", "cdaudio", "door", "open", "wait"})
        return Command::DoorOpen;
    if (w == QStringList{"set", "cdaudio", "door", "closed", "wait"})
        return Command::DoorClosed;
    return Command::None;
}

struct Expected {
    long code;
    QStringList calls;
    QString openDevice;
};

Expected expectedOutcome(Command command, int drives, bool opens, bool trayMoves,
                         const QString& openDevice)
{
    using R = MciInterpreter::Result;
    switch (command) {
    case Command::CloseAll:
        return {R::Ok, {}, {}};
    case Command::Open:
        if (drives == 0)
            return {R::DeviceNotAvailable, {}, openDevice};
        return {opens ? R::Ok : R::DeviceCannotOpen, {"canOpen sr0"}, opens ? "sr0" : openDevice};
    case Command::DoorOpen:
    case Command::DoorClosed:
        if (drives == 0)
            return {R::DeviceNotAvailable, {}, openDevice};
        return {trayMoves ? R::Ok : R::HardwareError,
                {command == Command::DoorOpen ? "open sr0" : "close sr0"},
                openDevice};
    case Command::None:
        break;
    }
    return {R::UnrecognizedCommand, {}, openDevice};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    if (size < 1)
        return 0;
    const int driveCount = data[0] % 3;
    const bool opens = data[0] & 4;
    const bool trayMoves = data[0] & 8;
    ScriptedDrives drives(driveCount, opens, trayMoves);
    MciInterpreter mci(drives);
    const QByteArray text(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    for (const QByteArray& bytes : text.split('\0')) {
        const QString command = QString::fromUtf8(bytes);
        const Expected expected =
            expectedOutcome(commandOf(command), driveCount, opens, trayMoves, mci.openDevice());
        const long code = mci.send(command);
        require(code == expected.code, "the result of a command");
        require(drives.takeCalls() == expected.calls, "what the drives were asked");
        require(mci.openDevice() == expected.openDevice, "the open device after a command");
        require(!mci.errorText(code).isEmpty(), "every result has a text");
    }
    for (const long code : {-1L, 1L, 263L, 100000L, long(data[0]) << 20})
        require(!mci.errorText(code).isEmpty(), "any code has a text");
    return 0;
}
