#include "platform/shell/wallpaper_commands.h"

#include <QUrl>

namespace WallpaperCommands {

namespace {

// A GVariant string literal, so gsettings never reads a path as some other type.
QString gvariantString(const QString& text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    quoted.replace(QLatin1Char('\''), QLatin1String("\\'"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

// A JavaScript string literal for the Plasma shell's script.
QString scriptString(const QString& text)
{
    QString quoted = QStringLiteral("\"");
    for (const QChar c : text) {
        if (c == QLatin1Char('"') || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\') + c;
        else if (c.unicode() < 0x20 || c == QChar(0x2028) || c == QChar(0x2029))
            quoted += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else
            quoted += c;
    }
    return quoted + QLatin1Char('"');
}

QString fileUri(const QString& path)
{
    return QString::fromLatin1(QUrl::fromLocalFile(path).toEncoded());
}

ProgramRun gsettings(const QString& schema, const QString& key, const QString& value)
{
    return {QStringLiteral("gsettings"),
            {QStringLiteral("set"), schema, key, gvariantString(value)}};
}

const QString XfceChannel = QStringLiteral("xfce4-desktop");

} // namespace

Desktop desktopOf(const QString& currentDesktop)
{
    for (const QString& name : currentDesktop.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        const QString n = name.trimmed().toLower();
        if (n == QLatin1String("x-cinnamon") || n == QLatin1String("cinnamon"))
            return Desktop::Cinnamon;
        if (n == QLatin1String("gnome") || n == QLatin1String("unity") ||
            n == QLatin1String("gnome-classic") || n == QLatin1String("gnome-flashback"))
            return Desktop::Gnome;
        if (n == QLatin1String("mate"))
            return Desktop::Mate;
        if (n == QLatin1String("xfce"))
            return Desktop::Xfce;
        if (n == QLatin1String("kde"))
            return Desktop::Plasma;
    }
    return Desktop::Unknown;
}

QList<ProgramRun> settingsRuns(Desktop desktop, const QString& path)
{
    switch (desktop) {
    case Desktop::Gnome: {
        const QString schema = QStringLiteral("org.gnome.desktop.background");
        return {gsettings(schema, QStringLiteral("picture-uri"), fileUri(path)),
                gsettings(schema, QStringLiteral("picture-uri-dark"), fileUri(path))};
    }
    case Desktop::Cinnamon:
        return {gsettings(QStringLiteral("org.cinnamon.desktop.background"),
                          QStringLiteral("picture-uri"), fileUri(path))};
    case Desktop::Mate:
        return {gsettings(QStringLiteral("org.mate.background"), QStringLiteral("picture-filename"),
                          path)};
    default:
        return {};
    }
}

ProgramRun xfceListRun()
{
    return {QStringLiteral("xfconf-query"),
            {QStringLiteral("-c"), XfceChannel, QStringLiteral("-l")}};
}

QList<ProgramRun> xfceSetRuns(const QString& propertyListing, const QString& path)
{
    QList<ProgramRun> runs;
    for (const QString& line : propertyListing.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QString property = line.trimmed();
        if (property.startsWith(QLatin1Char('/')) &&
            property.endsWith(QLatin1String("/last-image")))
            runs.append({QStringLiteral("xfconf-query"),
                         {QStringLiteral("-c"), XfceChannel, QStringLiteral("-p"), property,
                          QStringLiteral("-s"), path}});
    }
    if (runs.isEmpty())
        runs.append({QStringLiteral("xfconf-query"),
                     {QStringLiteral("-c"), XfceChannel, QStringLiteral("-p"),
                      QStringLiteral("/backdrop/screen0/monitor0/workspace0/last-image"),
                      QStringLiteral("-n"), QStringLiteral("-t"), QStringLiteral("string"),
                      QStringLiteral("-s"), path}});
    return runs;
}

QString plasmaScript(const QString& path)
{
    return QStringLiteral("var all = desktops();\n"
                          "for (var i = 0; i < all.length; i++) {\n"
                          "    var d = all[i];\n"
                          "    d.wallpaperPlugin = \"org.kde.image\";\n"
                          "    d.currentConfigGroup = [\"Wallpaper\", \"org.kde.image\", "
                          "\"General\"];\n"
                          "    d.writeConfig(\"Image\", %1);\n"
                          "}\n")
        .arg(scriptString(fileUri(path)));
}

} // namespace WallpaperCommands
