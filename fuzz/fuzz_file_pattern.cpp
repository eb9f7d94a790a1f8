// The play list's file patterns: ";"-separated wildcards matched against a file name without
// regard to case. Checks the folder chooser's type patterns, and any pattern without a
// character set, against a matcher of our own; and for every pattern that the parts are
// independent and that the case of the name does not matter.
//
// Input: the pattern (up to a "\n"), then the file name, both UTF-8 as file names decode.

#include "fuzz_support.h"
#include "media_files/type_patterns.h"
#include "playback/play_list.h"

#include <QList>
#include <QStringList>
#include <algorithm>
#include <vector>

namespace {

using Fuzz::require;

char32_t folded(char32_t c)
{
    return QChar::toCaseFolded(c);
}

// '*' takes any run of characters and '?' one, neither a '/' (the matcher follows paths);
// every other character stands for itself. matched[i] says whether the wildcard so far
// matches the first i characters of the name.
bool globMatches(const QList<uint>& wildcard, const QList<uint>& name)
{
    std::vector<bool> matched(std::size_t(name.size()) + 1, false);
    matched[0] = true;
    for (const uint w : wildcard) {
        std::vector<bool> next(matched.size(), false);
        for (qsizetype i = 0; i <= name.size(); ++i) {
            if (w == '*')
                next[i] = matched[i] || (i > 0 && next[i - 1] && name[i - 1] != '/');
            else if (i > 0 && matched[i - 1])
                next[i] = w == '?' ? name[i - 1] != '/' : folded(w) == folded(name[i - 1]);
        }
        matched = std::move(next);
    }
    return matched.back();
}

bool expectedMatch(const QString& pattern, const QString& name)
{
    const QList<uint> codes = name.toUcs4();
    for (const QString& part : pattern.split(';')) {
        const QString wildcard = part.trimmed();
        if (!wildcard.isEmpty() && globMatches(wildcard.toUcs4(), codes))
            return true;
    }
    return false;
}

bool hasCharacterSet(const QString& pattern)
{
    return pattern.contains('[') || pattern.contains(']');
}

QString withAsciiCaseSwapped(QString text)
{
    for (QChar& c : text) {
        const char16_t u = c.unicode();
        if (u >= 'a' && u <= 'z')
            c = QChar(u - 'a' + 'A');
        else if (u >= 'A' && u <= 'Z')
            c = QChar(u - 'A' + 'a');
    }
    return text;
}

void checkPattern(const QString& pattern, const QString& name)
{
    const bool matches = PlayList::matchesPattern(pattern, name);
    require(PlayList::matchesPattern(pattern, withAsciiCaseSwapped(name)) == matches,
            "the case of the name does not matter");
    if (!hasCharacterSet(pattern))
        require(matches == expectedMatch(pattern, name), "wildcards match as written");
}

void checkParts(const QString& pattern, const QString& name)
{
    bool anyPart = false;
    for (const QString& part : pattern.split(';'))
        anyPart |= PlayList::matchesPattern(part, name);
    require(PlayList::matchesPattern(pattern, name) == anyPart,
            "a pattern matches when one of its parts does");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Qt warns about every match of an unusable expression ("[" alone); that is no finding.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype cut = bytes.indexOf('\n');
    const QByteArray nameBytes = cut < 0 ? bytes : bytes.mid(cut + 1);
    const QString pattern = QString::fromUtf8(bytes.left(std::max<qsizetype>(cut, 0)));
    const QString name = QString::fromUtf8(nameBytes);
    // File names have at most 255 bytes; folder patterns have a few stars, and backtracking
    // over many is slow in any regular expression engine.
    if (nameBytes.size() > 255 || pattern.count('*') > 6 || pattern.size() > 256)
        return 0;

    checkPattern(pattern, name);
    checkParts(pattern, name);
    for (const char* chooser : {TypePatterns::AllMedia, TypePatterns::VideoCd, TypePatterns::Mp3,
                                TypePatterns::Avi, TypePatterns::DiscImage})
        checkPattern(QString::fromLatin1(chooser), name);
    return 0;
}
