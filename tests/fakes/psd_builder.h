#pragma once

// A Video CD's PSD and LOT built descriptor by descriptor, so that a test states exactly the
// bytes a disc would carry and reads them back with the real parser. Lists are placed at
// offsets counted in units of the multiplier (8 bytes); links name lists by those offsets.
// Every list placed is also entered in the LOT under its list id; a test that needs a LOT of
// its own builds it with lotFile().

#include "platform/disc/read/video_cd_control.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QtEndian>

namespace PsdBuilder {

inline constexpr int None = 0xffff;
inline constexpr int Rejected = 0x8000; // or'ed into a list id
inline constexpr int Multiplier = 8;

// The offset of list slot n: slots lie 64 bytes apart, room for a list of up to 22 links.
inline int at(int n)
{
    return n * 8;
}

inline void put16(QByteArray& data, int offset, int value)
{
    qToBigEndian(quint16(value), data.data() + offset);
}

inline void append16(QByteArray& data, int value)
{
    data.append(2, '\0');
    put16(data, int(data.size()) - 2, value);
}

inline VideoCdControl::Bytes bytes(const QByteArray& data)
{
    return {reinterpret_cast<const std::uint8_t*>(data.constData()), std::size_t(data.size())};
}

// A LOT file: the reserved field, then each id's offset, unused ids 0xffff.
inline QByteArray lotFile(const QList<QPair<int, int>>& lists)
{
    QByteArray data(32 * 2048, '\xff');
    data[0] = data[1] = '\0';
    for (const auto& [id, offset] : lists)
        put16(data, 2 * id, offset);
    return data;
}

struct Play {
    int lid = 1;
    QList<int> items{};
    int wait = 0;
    int playTime = 0;
    int autoPause = 0;
    int prev = None, next = None, back = None;
};

struct Selection {
    int lid = 1;
    int base = 1;
    QList<int> selections{};
    int item = 0;
    int timeout = 255;
    int loop = 1;
    bool jumpDelayed = false;
    int defaultLink = None, timeoutLink = None;
    int prev = None, next = None, back = None;
    int flags = 0;         // 1: selection areas follow the links, 2: a command list
    bool extended = false; // an extended selection list, areas always present
    int count = -1;        // the count recorded, when not the selections' number
};

struct End {
    int lid = 1; // the LOT's id for it: an end list records none of its own
    int nextDisc = 0;
    int picture = 0;
};

class PsdFile {
public:
    PsdFile& play(int offset, const Play& p)
    {
        QByteArray d(14, '\0');
        d[0] = 0x10;
        d[1] = char(p.items.size());
        put16(d, 2, p.lid);
        putLinks(d, 4, p.prev, p.next, p.back);
        put16(d, 10, p.playTime);
        d[12] = char(p.wait);
        d[13] = char(p.autoPause);
        for (int item : p.items)
            append16(d, item);
        return place(offset, p.lid, d);
    }
    PsdFile& selection(int offset, const Selection& s)
    {
        QByteArray d(20, '\0');
        d[0] = char(s.extended ? 0x1a : 0x18);
        d[1] = char(s.flags);
        d[2] = char(s.count >= 0 ? s.count : s.selections.size());
        d[3] = char(s.base);
        put16(d, 4, s.lid);
        putLinks(d, 6, s.prev, s.next, s.back);
        put16(d, 12, s.defaultLink);
        put16(d, 14, s.timeoutLink);
        d[16] = char(s.timeout);
        d[17] = char(s.loop | (s.jumpDelayed ? 0x80 : 0));
        put16(d, 18, s.item);
        for (int link : s.selections)
            append16(d, link);
        // An area for each of previous, next, return, default and each selection.
        if (s.extended || (s.flags & 1))
            for (int i = 0; i < 4 + s.selections.size(); ++i)
                for (int k = 0; k < 4; ++k)
                    d.append(char(i + k));
        return place(offset, s.lid, d);
    }
    PsdFile& end(int offset, const End& e)
    {
        QByteArray d(8, '\0');
        d[0] = 0x1f;
        d[1] = char(e.nextDisc);
        put16(d, 2, e.picture);
        return place(offset, e.lid, d);
    }
    PsdFile& command(int offset, int lid)
    {
        QByteArray d(8, '\0');
        d[0] = 0x20;
        put16(d, 3, lid);
        return place(offset, lid, d);
    }
    // Bytes as they are, entered in no LOT.
    PsdFile& raw(int offset, const QByteArray& d) { return place(offset, 0, d); }

    const QByteArray& data() const { return m_data; }
    // The LOT of the lists placed.
    QByteArray lot() const { return lotFile(m_lot); }
    VideoCdControl::Psd parse() const
    {
        return VideoCdControl::parsePsd(bytes(m_data), VideoCdControl::parseLot(bytes(lot())),
                                        Multiplier);
    }

private:
    static void putLinks(QByteArray& d, int offset, int prev, int next, int back)
    {
        put16(d, offset, prev);
        put16(d, offset + 2, next);
        put16(d, offset + 4, back);
    }
    PsdFile& place(int offset, int lid, const QByteArray& d)
    {
        const int start = offset * Multiplier;
        if (m_data.size() < start + d.size())
            m_data.resize(start + d.size(), '\0');
        m_data.replace(start, d.size(), d);
        m_data.resize((m_data.size() + Multiplier - 1) / Multiplier * Multiplier, '\0');
        if (lid & 0x7fff)
            m_lot.append({lid & 0x7fff, offset});
        return *this;
    }

    QByteArray m_data;
    QList<QPair<int, int>> m_lot;
};

} // namespace PsdBuilder
