#!/usr/bin/env python3
"""Writes the bad-input corpus into OUT from the generated test discs and clips.

Every case is a line of OUT/cases.tsv: group, name, how the player meets it, the paths
(percent-encoded bytes, relative to OUT, ':' between several) and what must happen besides
("plays": the status line says "Playing" at some time). "how" is one of
  arg       the path is the player's command-line argument
  arg-here  its file name is, the player starting in its folder (names that start with "-")
  drive     the path is an image drive of TAMREL_CD_DRIVES
  drive-pbc the same, with the settings turning playback control (the disc's lists) on
  settings  the path is the settings folder (XDG_CONFIG_HOME) of the run
  nobody-*  the same, the player running as user nobody
The bytes depend only on the inputs and the fixed seeds, so a failing case can be made again.
"""

import os
import random
import shutil
import stat
import struct
import sys
import urllib.parse

RAW = 2352
USER = 2048
# Mode 2 Form 1: 12 sync bytes, 4 header bytes, 8 subheader bytes before the user data.
RAW_DATA_OFFSET = 24


class Corpus:
    def __init__(self, out):
        self.out = out
        self.rows = []

    def path(self, relative):
        if isinstance(relative, str):
            relative = relative.encode()
        full = os.path.join(self.out.encode(), relative)
        os.makedirs(os.path.dirname(full), exist_ok=True)
        return full

    def add(self, group, name, how, *paths, expect=""):
        encoded = ":".join(urllib.parse.quote(p, safe="/._-") for p in paths)
        self.rows.append(f"{group}\t{name}\t{how}\t{encoded}\t{expect}")

    def write(self, relative, data):
        with open(self.path(relative), "wb") as f:
            f.write(data)
        return relative

    def save(self):
        with open(os.path.join(self.out, "cases.tsv"), "w") as f:
            f.write("\n".join(self.rows) + "\n")


def read(path):
    with open(path, "rb") as f:
        return f.read()


class Image:
    """An ISO 9660 image in 2352-byte raw sectors (a .bin) or 2048-byte ones (an .iso)."""

    def __init__(self, data, sector):
        self.data = bytearray(data)
        self.sector = sector

    def offset(self, lba):
        return lba * self.sector + (RAW_DATA_OFFSET if self.sector == RAW else 0)

    def u32(self, at):
        return struct.unpack_from("<I", self.data, at)[0]

    def pvd(self):
        return self.offset(16)

    def root_record(self):
        return self.pvd() + 156

    def records(self, lba):
        """Offsets of the directory records in the first sector of a directory."""
        start = self.offset(lba)
        at, found = start, []
        while at < start + USER and self.data[at]:
            found.append(at)
            at += self.data[at]
        return found

    def named(self, lba, name):
        for at in self.records(lba):
            length = self.data[at + 32]
            if bytes(self.data[at + 33 : at + 33 + length]).split(b";")[0] == name:
                return at
        raise KeyError(name)

    def set_both_endian(self, at, value):
        struct.pack_into("<I", self.data, at, value & 0xFFFFFFFF)
        struct.pack_into(">I", self.data, at + 4, value & 0xFFFFFFFF)

    def xa(self, record):
        """Offset of the XA system use area of a record (after the padded name)."""
        length = self.data[record + 32]
        return record + 33 + length + (1 - length % 2)


def disc_cases(c, discs):
    bin_data = read(os.path.join(discs, "vcd-a.bin"))
    cue_text = read(os.path.join(discs, "vcd-a.cue"))
    iso_data = read(os.path.join(discs, "mode1.iso"))
    sectors = len(bin_data) // RAW

    # As a drive through its cue sheet, and as the argument through its bin (which finds the
    # cue beside it).
    def bin_case(group, name, data):
        base = f"discs/{group}/{name}"
        c.write(base + ".bin", bytes(data))
        c.write(base + ".cue", cue_text.replace(b'"vcd-a.bin"', f'"{name}.bin"'.encode()))
        c.add(group, name + "-cue", "drive", base + ".cue")
        c.add(group, name + "-bin", "arg", base + ".bin")

    def iso_case(group, name, data):
        rel = c.write(f"discs/{group}/{name}.iso", bytes(data))
        c.add(group, name + "-iso", "drive", rel)

    raw = Image(bin_data, RAW)
    root = raw.u32(raw.root_record() + 2)
    mpegav_record = raw.named(root, b"MPEGAV")
    mpegav = raw.u32(mpegav_record + 2)
    track_record = raw.named(mpegav, b"AVSEQ01.DAT")
    track = raw.u32(track_record + 2)

    # Cut at many places: before the volume descriptor, inside it, in the directories, in and
    # between the tracks, one byte short of whole.
    cuts = [0, 1, 2351, 8 * RAW, 16 * RAW, 16 * RAW + 24, 16 * RAW + 100, 16 * RAW + 180,
            17 * RAW, root * RAW + 40, (root + 1) * RAW, mpegav * RAW + 60,
            (mpegav + 1) * RAW, track * RAW, (track + 1) * RAW + 7, (track + 10) * RAW,
            (sectors // 3) * RAW, (sectors // 2) * RAW + 1000, (sectors - 1) * RAW,
            len(bin_data) - 1]
    for i, cut in enumerate(cuts):
        bin_case("truncated", f"cut{i:02}-at{cut}", bin_data[:cut])
    iso = Image(iso_data, USER)
    iso_root = iso.u32(iso.root_record() + 2)
    iso_mpegav = iso.u32(iso.named(iso_root, b"MPEGAV") + 2)
    for i, cut in enumerate([0, 16 * USER + 10, 16 * USER + 160, iso_root * USER + 20,
                             iso_mpegav * USER + 50, len(iso_data) // 2]):
        iso_case("truncated", f"iso-cut{i}-at{cut}", iso_data[:cut])

    # One change each to the volume descriptor, the directory records and their XA area.
    def mutations(image, root_lba, dir_lba, rec, file_rec):
        pvd = image.pvd()

        def put(at, value_bytes):
            def change(d):
                d[at : at + len(value_bytes)] = value_bytes
            return change

        def both(at, value):
            def change(d):
                d[at : at + 4] = struct.pack("<I", value & 0xFFFFFFFF)
                d[at + 4 : at + 8] = struct.pack(">I", value & 0xFFFFFFFF)
            return change

        def xa_at(record, rel, value_bytes):
            return put(image.xa(record) + rel, value_bytes)

        end = len(image.data) // image.sector
        return {
            "pvd-id-garbage": put(pvd + 1, b"XXXXX"),
            "pvd-block-size-0": put(pvd + 128, struct.pack("<H", 0) + struct.pack(">H", 0)),
            "pvd-block-size-huge": put(pvd + 128, b"\xff\xff\xff\xff"),
            "pvd-space-size-0": both(pvd + 80, 0),
            "pvd-space-size-huge": both(pvd + 80, 0xFFFFFFFF),
            "pvd-root-past-end": both(pvd + 156 + 2, end + 1000),
            "pvd-root-max-lba": both(pvd + 156 + 2, 0xFFFFFFFF),
            "pvd-root-size-huge": both(pvd + 156 + 10, 0xFFFFFFFF),
            "pvd-root-size-0": both(pvd + 156 + 10, 0),
            "pvd-root-len-0": put(pvd + 156, b"\x00"),
            "pvd-root-is-pvd": both(pvd + 156 + 2, 16),
            "pvd-path-table-garbage": both(pvd + 132, 0xFFFFFFFF),
            "rec-length-1": put(rec, b"\x01"),
            "rec-length-33": put(rec, b"\x21"),
            "rec-length-255": put(rec, b"\xff"),
            "rec-name-length-0": put(rec + 32, b"\x00"),
            "rec-name-length-255": put(rec + 32, b"\xff"),
            "rec-name-nul": put(rec + 33, b"\x00\x00\x00"),
            "rec-name-high-bytes": put(rec + 33, b"\xff\xfe\x80"),
            "dir-past-end": both(rec + 2, end + 50),
            "dir-max-lba": both(rec + 2, 0xFFFFFFFF),
            "dir-size-huge": both(rec + 10, 0x7FFFFFFF),
            "dir-size-max": both(rec + 10, 0xFFFFFFFF),
            "dir-loop-to-root": both(rec + 2, root_lba),
            "dir-loop-to-itself": both(rec + 2, dir_lba),
            "dir-flag-cleared": put(rec + 25, b"\x00"),
            "file-past-end": both(file_rec + 2, end + 10),
            "file-max-lba": both(file_rec + 2, 0xFFFFFFFF),
            "file-size-huge": both(file_rec + 10, 0xFFFFFFFF),
            "file-size-0": both(file_rec + 10, 0),
            "file-is-directory": put(file_rec + 25, b"\x02"),
            "file-extent-at-pvd": both(file_rec + 2, 16),
            "file-extent-is-dir": both(file_rec + 2, dir_lba),
            "file-rec-length-0": put(file_rec, b"\x00"),
            "file-rec-overruns-sector": put(file_rec, b"\xfe"),
            "xa-signature-garbage": xa_at(file_rec, 6, b"QQ"),
            "xa-form2-flag-on-dir": xa_at(rec, 4, b"\x1f\xff"),
            "xa-cdda-flag": xa_at(file_rec, 4, b"\x45\x55"),
            "xa-all-bits": xa_at(file_rec, 4, b"\xff\xff"),
            "xa-area-cut": put(file_rec, bytes([33 + image.data[file_rec + 32] + 2])),
            "dir-sector-random": put(image.offset(dir_lba),
                                     random.Random(7).randbytes(USER)),
            "root-sector-random": put(image.offset(root_lba),
                                      random.Random(8).randbytes(USER)),
        }

    for name, change in mutations(raw, root, mpegav, mpegav_record, track_record).items():
        d = bytearray(bin_data)
        change(d)
        bin_case("corrupt", name, d)
    iso_mpegav_record = iso.named(iso_root, b"MPEGAV")
    iso_track_record = iso.named(iso_mpegav, b"AVSEQ01.DAT")
    picked = ["pvd-root-past-end", "pvd-root-size-huge", "dir-loop-to-root",
              "dir-loop-to-itself", "file-past-end", "file-size-huge", "rec-length-1",
              "rec-name-length-255", "xa-all-bits", "dir-sector-random"]
    iso_mutations = mutations(iso, iso_root, iso_mpegav, iso_mpegav_record, iso_track_record)
    for name in picked:
        d = bytearray(iso_data)
        iso_mutations[name](d)
        iso_case("corrupt", name, d)

    # Cue sheets beside a good bin: bad syntax, absurd times and numbers, missing or short bins.
    shutil.copyfile(os.path.join(discs, "vcd-a.bin"), c.path(b"discs/cue/good.bin"))
    c.write("discs/cue/short.bin", bin_data[: 20 * RAW])
    c.write("discs/cue/one-sector.bin", bin_data[:RAW])
    c.write("discs/cue/zero.bin", b"")
    os.makedirs(c.path(b"discs/cue/folder.bin/x"), exist_ok=True)
    track1 = 'FILE "good.bin" BINARY\n  TRACK 01 MODE2/2352\n    INDEX 01 00:00:00\n'
    sheets = {
        "empty": "",
        "only-file": 'FILE "good.bin" BINARY\n',
        "no-quotes": "FILE good.bin BINARY\n  TRACK 01 MODE2/2352\n    INDEX 01 00:00:00\n",
        "unclosed-quote": 'FILE "good.bin BINARY\n  TRACK 01 MODE2/2352\n',
        "missing-bin": track1.replace("good.bin", "absent.bin"),
        "short-bin": track1.replace("good.bin", "short.bin")
        + "  TRACK 02 MODE2/2352\n    INDEX 01 00:40:00\n",
        "one-sector-bin": track1.replace("good.bin", "one-sector.bin"),
        "zero-bin": track1.replace("good.bin", "zero.bin"),
        "bin-is-folder": track1.replace("good.bin", "folder.bin"),
        "bin-is-cue": track1.replace("good.bin", "bin-is-cue.cue"),
        "bin-escapes": track1.replace("good.bin", "../../../../../../dev/zero"),
        "bin-dev-null": track1.replace("good.bin", "/dev/null"),
        "track-0": track1.replace("TRACK 01", "TRACK 00"),
        "track-99": track1.replace("TRACK 01", "TRACK 99"),
        "track-negative": track1.replace("TRACK 01", "TRACK -1"),
        "track-huge": track1.replace("TRACK 01", "TRACK 4294967297"),
        "track-text": track1.replace("TRACK 01", "TRACK xx"),
        "mode-unknown": track1.replace("MODE2/2352", "MODE9/9999"),
        "mode-size-0": track1.replace("MODE2/2352", "MODE2/0"),
        "mode-audio": track1.replace("MODE2/2352", "AUDIO"),
        "index-absurd": track1.replace("00:00:00", "99:99:99"),
        "index-negative": track1.replace("00:00:00", "-1:-1:-1"),
        "index-huge": track1.replace("00:00:00", "99999999999:00:00"),
        "index-frames-75": track1.replace("00:00:00", "00:00:75"),
        "index-missing": 'FILE "good.bin" BINARY\n  TRACK 01 MODE2/2352\n',
        "index-before-track": 'FILE "good.bin" BINARY\n    INDEX 01 00:00:00\n  TRACK 01 MODE2/2352\n',
        "index-past-end": track1 + "  TRACK 02 MODE2/2352\n    INDEX 01 70:00:00\n",
        "index-backwards": track1 + "  TRACK 02 MODE2/2352\n    INDEX 01 00:10:00\n"
        "  TRACK 03 MODE2/2352\n    INDEX 01 00:05:00\n",
        "tracks-out-of-order": track1 + "  TRACK 05 MODE2/2352\n    INDEX 01 00:06:00\n"
        "  TRACK 02 MODE2/2352\n    INDEX 01 00:13:00\n",
        "track-twice": track1 + "  TRACK 01 MODE2/2352\n    INDEX 01 00:06:00\n",
        "hundred-tracks": 'FILE "good.bin" BINARY\n' + "".join(
            f"  TRACK {n:02} MODE2/2352\n    INDEX 01 00:{n // 75:02}:{n % 75:02}\n"
            for n in range(1, 101)),
        "two-files": track1 + 'FILE "absent.bin" BINARY\n  TRACK 02 MODE2/2352\n'
        "    INDEX 01 00:00:00\n",
        "pregap-huge": track1.replace("    INDEX", "    PREGAP 99:59:74\n    INDEX"),
        "crlf": track1.replace("\n", "\r\n"),
        "long-line": track1 + "REM " + "x" * 1_000_000 + "\n",
        "nul-bytes": track1.replace("TRACK", "TR\0CK"),
        "utf16": "\ufeff" + track1,
        "latin1-name": track1.replace("good.bin", "g\xe9od.bin"),
        "binary-junk": None,
    }
    for name, text in sheets.items():
        if text is None:
            data = random.Random(11).randbytes(4096)
        elif name == "utf16":
            data = text.encode("utf-16")
        elif name == "latin1-name":
            data = text.encode("latin-1")
        else:
            data = text.encode()
        rel = c.write(f"discs/cue/{name}.cue", data)
        c.add("cue", name, "drive", rel)
    c.add("cue", "long-line-arg", "arg", "discs/cue/long-line.cue")
    c.add("cue", "missing-bin-arg", "arg", "discs/cue/missing-bin.cue")
    # A bin beside a broken cue of its name opens through the cue.
    c.write("discs/cue/twin.bin", bin_data[: 40 * RAW])
    c.write("discs/cue/twin.cue", b'FILE "twin.bin" BINARY\n  TRACK 01 MODE2/2352\n'
            b"    INDEX 01 99:99:99\n")
    c.add("cue", "bin-with-broken-cue", "arg", "discs/cue/twin.bin")

    # cdrdao sheets and Nero images.
    shutil.copyfile(os.path.join(discs, "vcd2_01.img"), c.path(b"discs/toc/t01.img"))
    toc_track = 'CD_ROM_XA\nTRACK MODE2_RAW\n DATAFILE "t01.img"\n'
    tocs = {
        "empty": "",
        "header-only": "CD_ROM_XA\n",
        "missing-datafile": toc_track.replace("t01.img", "absent.img"),
        "datafile-folder": toc_track.replace("t01.img", "."),
        "unknown-mode": toc_track.replace("MODE2_RAW", "MODE7_WEIRD"),
        "absurd-length": toc_track.replace('"t01.img"', '"t01.img" 99:99:99'),
        "negative-start": toc_track + "START -01:00:00\n",
        "huge-offset": toc_track.replace('"t01.img"', '"t01.img" #99999999999999'),
        "unclosed-comment": "/* " + toc_track,
        "unclosed-quote": toc_track.replace('"t01.img"', '"t01.img'),
        "hundred-tracks": "CD_ROM_XA\n" + 'TRACK MODE2_RAW\n DATAFILE "t01.img"\n' * 100,
        "braces": toc_track + "CD_TEXT { LANGUAGE 0 { TITLE \"x\" } \n",
    }
    for name, text in tocs.items():
        rel = c.write(f"discs/toc/{name}.toc", text.encode())
        c.add("toc", name, "drive", rel)
    nrg = read(os.path.join(discs, "vcd2.nrg"))
    nrgs = {
        "cut-half": nrg[: len(nrg) // 2],
        "cut-footer": nrg[:-6],
        "footer-past-end": nrg[:-8] + b"NER5" + struct.pack(">I", 0xFFFFFFF0)
        if nrg[-12:-8] == b"NER5" else nrg[:-4] + struct.pack(">I", 0xFFFFFFF0),
        "footer-zero": nrg[:-4] + b"\0\0\0\0",
        "chunks-garbage": nrg[: len(nrg) - 400] + random.Random(13).randbytes(400),
        "footer-only": nrg[-12:],
    }
    # A sound footer in front of a table whose track entries lie: ETNF entries are five
    # big-endian words (offset, length, mode, start sector, unused).
    table_at = struct.unpack(">I", nrg[-4:])[0]
    etnf_at = table_at + 8
    etnf_length = struct.unpack(">I", nrg[table_at + 4 : table_at + 8])[0]

    def entry_word(entry, word, value):
        at = etnf_at + entry * 20 + word * 4
        return nrg[:at] + struct.pack(">I", value & 0xFFFFFFFF) + nrg[at + 4 :]

    if nrg[table_at : table_at + 4] == b"ETNF" and etnf_length >= 40:
        nrgs.update({
            "track-offset-past-end": entry_word(1, 0, 0xFFFFFF00),
            "track-length-huge": entry_word(1, 1, 0xFFFFFFFF),
            "track-mode-unknown": entry_word(0, 2, 0x7777),
            "track-start-huge": entry_word(1, 3, 0x7FFFFFFF),
            "track-overlaps-table": entry_word(1, 0, table_at - 100),
            "etnf-length-odd": nrg[: table_at + 4] + struct.pack(">I", etnf_length - 7)
            + nrg[table_at + 8 :],
            "etnf-empty": nrg[: table_at + 4] + struct.pack(">I", 0) + nrg[etnf_at + etnf_length :],
        })
    for name, data in nrgs.items():
        rel = c.write(f"discs/nrg/{name}.nrg", data)
        c.add("nrg", name, "drive", rel)

    # Random bytes under every image extension, as a drive and as the argument.
    rng = random.Random(17)
    for ext in ["cue", "bin", "nrg", "toc", "iso", "CUE", "Iso"]:
        for size in [0, 1, 2047, 40 * RAW]:
            rel = c.write(f"discs/random/r{size}.{ext}", rng.randbytes(size))
            c.add("random-image", f"{size}-bytes.{ext}", "drive", rel)
            if size in (0, 2047):
                c.add("random-image", f"{size}-bytes.{ext}-arg", "arg", rel)

def bcd(n):
    return (n // 10) << 4 | n % 10


def msf(lsn):
    """The binary-coded minute, second and frame of a sector counted from the disc's start."""
    frames = lsn + 150
    return bytes([bcd(frames // 4500), bcd(frames // 75 % 60), bcd(frames % 75)])


class ControlFiles:
    """The control files of a Video CD 2.0 image found through its ISO 9660 directories: each
    file's first sector and size, its bytes read and written across its Form 1 sectors."""

    def __init__(self, image):
        self.image = image
        root = image.u32(image.root_record() + 2)
        self.files = {}
        for folder, names in [(b"VCD", [b"INFO.VCD", b"ENTRIES.VCD", b"LOT.VCD", b"PSD.VCD"]),
                              (b"EXT", [b"LOT_X.VCD", b"PSD_X.VCD"])]:
            lba = image.u32(image.named(root, folder) + 2)
            for name in names:
                record = image.named(lba, name)
                self.files[name.decode()] = (record, image.u32(record + 2),
                                             image.u32(record + 10))

    def at(self, name, offset):
        _, lba, _ = self.files[name]
        return self.image.offset(lba + offset // USER) + offset % USER

    def read(self, data, name, offset, length):
        return bytes(data[self.at(name, offset + i)] for i in range(length))

    def write(self, data, name, offset, value):
        for i, byte in enumerate(value):
            data[self.at(name, offset + i)] = byte

    def u16(self, data, name, offset):
        return struct.unpack(">H", self.read(data, name, offset, 2))[0]

    def put16(self, data, name, offset, value):
        self.write(data, name, offset, struct.pack(">H", value & 0xFFFF))

    def set_size(self, data, name, size):
        record = self.files[name][0]
        struct.pack_into("<I", data, record + 10, size)
        struct.pack_into(">I", data, record + 14, size)

    def lists(self, data, lot):
        """The LOT's used ids and the byte offset of each one's list in its PSD."""
        found = {}
        for lid in range(1, 32768):
            offset = self.u16(data, lot, 2 * lid)
            if offset != 0xFFFF:
                found[lid] = offset * 8
        return found


def control_file_cases(c, discs):
    """A Video CD 2.0 with playback control whose control files are damaged, its tracks whole:
    each case patches the plain files (VCD/) and the extended ones (EXT/) alike, since the
    player prefers the extended ones. Each runs as a drive with playback control off and on."""
    cue_text = read(os.path.join(discs, "pbc-vcd.cue"))
    bin_data = read(os.path.join(discs, "pbc-vcd.bin"))
    image = Image(bin_data, RAW)
    files = ControlFiles(image)
    sectors = len(bin_data) // RAW
    both = [("LOT.VCD", "PSD.VCD"), ("LOT_X.VCD", "PSD_X.VCD")]

    def each_psd(change):
        def patch(d):
            for lot, psd in both:
                change(d, lot, psd, files.lists(d, lot))
        return patch

    def kind_at(d, psd, offset):
        return files.read(d, psd, offset, 1)[0]

    def lists_of(d, psd, lists, kind):
        return [(lid, at) for lid, at in sorted(lists.items()) if kind_at(d, psd, at) == kind]

    def psd_cut(d, lot, psd, lists):
        files.set_size(d, psd, 13)

    def psd_bytes_cut(d, lot, psd, lists):
        size = files.files[psd][2]
        files.write(d, psd, 20, b"\0" * (size - 20))

    def lot_past_end(d, lot, psd, lists):
        for n, lid in enumerate(lists):
            files.put16(d, lot, 2 * lid, 0x7000 + n)

    def play_list_to_itself(d, lot, psd, lists):
        # The first play list: no items, no wait, every link to itself; the LOT starts there.
        lid, at = lists_of(d, psd, lists, 0x10)[0]
        files.write(d, psd, at + 1, b"\0")
        for link in (4, 6, 8):
            files.put16(d, psd, at + link, at // 8)
        files.write(d, psd, at + 12, b"\0")
        files.put16(d, lot, 2, at // 8)

    def items_name_nothing(d, lot, psd, lists):
        nothing = [0x0000, 0x0001, 0x0063, 0x0257, 0x03FF, 0x07C3, 0x0BB9, 0xFFFF]
        for lid, at in lists_of(d, psd, lists, 0x10):
            for i in range(files.read(d, psd, at + 1, 1)[0]):
                files.put16(d, psd, at + 14 + 2 * i, nothing[(lid + i) % len(nothing)])
        for lid, at in lists_of(d, psd, lists, 0x18) + lists_of(d, psd, lists, 0x1A):
            files.put16(d, psd, at + 18, 0x0BB9)

    def no_selections(d, lot, psd, lists):
        for lid, at in lists_of(d, psd, lists, 0x18) + lists_of(d, psd, lists, 0x1A):
            files.write(d, psd, at + 2, b"\0\0")

    def counts_ffff(d, lot, psd, lists):
        for lid, at in sorted(lists.items()):
            kind = kind_at(d, psd, at)
            if kind == 0x10:
                files.write(d, psd, at + 1, b"\xff")
            elif kind in (0x18, 0x1A):
                files.write(d, psd, at + 2, b"\xff")
        files.put16(d, "INFO.VCD", 52, 0xFFFF)
        files.put16(d, "INFO.VCD", 54, 0xFFFF)
        files.put16(d, "ENTRIES.VCD", 10, 0xFFFF)

    def psd_random(d, lot, psd, lists):
        size = files.files[psd][2]
        files.write(d, psd, 0, random.Random(41).randbytes(size))

    def links_past_end(d, lot, psd, lists):
        for lid, at in sorted(lists.items()):
            if kind_at(d, psd, at) in (0x10, 0x18, 0x1A):
                for link in (4, 6, 8) if kind_at(d, psd, at) == 0x10 else (6, 8, 10, 12, 14):
                    files.put16(d, psd, at + link, 0x7FF0)

    def info_segments_huge(d):
        files.put16(d, "INFO.VCD", 54, 1980)

    def info_multiplier(value):
        def change(d):
            files.write(d, "INFO.VCD", 51, bytes([value]))
        return change

    def info_psd_size_huge(d):
        files.write(d, "INFO.VCD", 44, b"\xff\xff\xff\xff")

    def entry(index, track, lsn):
        def change(d):
            files.write(d, "ENTRIES.VCD", 12 + 4 * index, bytes([bcd(track)]) + msf(lsn))
        return change

    def entries_count(value):
        def change(d):
            files.put16(d, "ENTRIES.VCD", 10, value)
        return change

    track3 = files.read(bytearray(bin_data), "ENTRIES.VCD", 12 + 4 * 3, 4)
    track3_lsn = ((track3[1] >> 4) * 10 + (track3[1] & 15)) * 4500 + \
        ((track3[2] >> 4) * 10 + (track3[2] & 15)) * 75 + \
        (track3[3] >> 4) * 10 + (track3[3] & 15) - 150
    cases = {
        "psd-size-13": each_psd(psd_cut),
        "psd-cut-after-20-bytes": each_psd(psd_bytes_cut),
        "psd-random": each_psd(psd_random),
        "lot-offsets-past-psd": each_psd(lot_past_end),
        "play-list-to-itself": each_psd(play_list_to_itself),
        "items-name-nothing": each_psd(items_name_nothing),
        "menu-without-selections": each_psd(no_selections),
        "links-past-psd": each_psd(links_past_end),
        "counts-ffff": each_psd(counts_ffff),
        "info-segments-1980": info_segments_huge,
        "info-multiplier-0": info_multiplier(0),
        "info-multiplier-255": info_multiplier(255),
        "info-psd-size-huge": info_psd_size_huge,
        # The second song's entry inside the next track, the third past the disc's end.
        "entry-past-its-track": entry(1, 2, track3_lsn + 40),
        "entry-past-the-disc": entry(2, 2, sectors + 5000),
        "entry-of-track-99": entry(1, 99, 800),
        "entries-count-500": entries_count(500),
    }
    for name, patch in cases.items():
        d = bytearray(bin_data)
        patch(d)
        base = f"discs/control/{name}"
        c.write(base + ".bin", bytes(d))
        c.write(base + ".cue", cue_text.replace(b'"pbc-vcd.bin"', f'"{name}.bin"'.encode()))
        c.add("control-files", name, "drive", base + ".cue", expect="plays")
        c.add("control-files", name + "-pbc", "drive-pbc", base + ".cue", expect="plays")


def media_cases(c, media):
    rng = random.Random(23)
    clip = read(os.path.join(media, "clips", "a.mpg"))
    avi = read(os.path.join(media, "clip.avi"))
    mp3 = read(os.path.join(media, "tone.mp3"))
    wav = read(os.path.join(media, "leftright.wav"))
    dat = read(os.path.join(media, "vcd.dat"))
    sources = {"mpg": clip, "avi": avi, "mp3": mp3, "wav": wav, "dat": dat}
    for ext, data in sources.items():
        for cut in [0, 1, 100, len(data) // 10, len(data) // 2, len(data) - 1]:
            rel = c.write(f"media/cut/{ext}-{cut}.{ext}", data[:cut])
            c.add("media-truncated", f"{ext}-{cut}", "arg", rel)
        rel = c.write(f"media/garbage/{ext}-head.{ext}", rng.randbytes(4096) + data[4096:])
        c.add("media-garbage", f"{ext}-header", "arg", rel)
        rel = c.write(f"media/garbage/{ext}-all.{ext}", rng.randbytes(min(len(data), 300000)))
        c.add("media-garbage", f"{ext}-random", "arg", rel)
    for ext in ["mov", "asf", "wmv", "wma", "mpeg", "m1v", "DAT", "MPG"]:
        rel = c.write(f"media/empty/zero.{ext}", b"")
        c.add("media-zero", ext, "arg", rel)
        rel = c.write(f"media/garbage/random.{ext}", rng.randbytes(65536))
        c.add("media-garbage", f"{ext}-random", "arg", rel)
    # Headers that claim far more than the file holds.
    huge = {
        "riff-avi.avi": b"RIFF\xff\xff\xff\xffAVI LIST\xff\xff\xff\x7fhdrlavih\xff\xff\xff\xff"
        + avi[40:2000],
        "riff-cdxa.dat": b"RIFF\xff\xff\xff\xffCDXAfmt \x10\x00\x00\x00" + b"\0" * 16
        + b"data\xff\xff\xff\xff" + dat[44:20000],
        "riff-wav.wav": wav[:4] + b"\xff\xff\xff\xff" + wav[8:40] + b"\xff\xff\xff\x7f"
        + wav[44:20000],
        "mp4-box.mov": struct.pack(">I", 1) + b"ftyp" + struct.pack(">Q", 2**63 - 1)
        + b"qt  " + b"\0" * 64,
        "mp4-moov.mov": struct.pack(">I", 0xFFFFFFF0) + b"moov" + struct.pack(">I", 0x7FFFFFFF)
        + b"trak" + rng.randbytes(1000),
        "asf-header.wmv": bytes.fromhex("3026b2758e66cf11a6d900aa0062ce6c")
        + struct.pack("<Q", 2**64 - 1) + struct.pack("<I", 0xFFFFFFFF) + rng.randbytes(500),
        "mpeg-pack.mpg": b"\x00\x00\x01\xba" + b"\x44\x00\x04\x00\x04\x01\xff\xff\xff\xf8"
        + b"\x00\x00\x01\xbb\xff\xff" + rng.randbytes(2000),
        "id3-size.mp3": b"ID3\x04\x00\x00\x7f\x7f\x7f\x7f" + mp3[10:5000],
    }
    for name, data in huge.items():
        rel = c.write(f"media/huge/{name}", data)
        c.add("media-huge-size", name, "arg", rel)


def folder_cases(c, media):
    clip = read(os.path.join(media, "clips", "b.mpg"))
    many = c.path(b"folders/many/")
    for n in range(20000):
        open(os.path.join(many, b"f%05d.mpg" % n), "wb").close()
    c.add("folders", "twenty-thousand-files", "arg", "folders/many")
    c.add("folders", "file-among-twenty-thousand", "arg", "folders/many/f00000.mpg")
    c.add("folders", "twenty-thousand-as-drive", "drive", "folders/many")
    loops = c.path(b"folders/loops/")
    for name, target in [(b"self", b"self"), (b"a", b"b"), (b"b", b"a"),
                         (b"up", b"."), (b"dangling.mpg", b"absent.mpg")]:
        os.symlink(target, os.path.join(loops, name))
    for name in ["self", "a", "up/up/up/up/self", "dangling.mpg"]:
        c.add("folders", f"symlink-{name.replace('/', '-')}", "arg", f"folders/loops/{name}")
    c.add("folders", "symlink-loop-as-drive", "drive", "folders/loops/a")
    c.add("folders", "symlink-loop-cue-as-drive", "drive", "folders/loops/self")
    names = {
        "newline": b"line\none.mpg",
        "newline-only": b"\n.mpg",
        "invalid-utf8": b"bad-\xff\xfe-\xc3.mpg",
        "leading-dash": b"-h.mpg",
        "leading-dashes": b"--version.mpg",
        "dash-only": b"-",
        "name-255": b"n" * 251 + b".mpg",
        "percent-1": b"%1",
        "quotes": b'"quoted".mpg',
        "spaces": b"   .mpg",
        "tab": b"tab\there.mpg",
        "colon": b"a:b.mpg",
    }
    for label, name in names.items():
        rel = b"folders/names/" + name
        c.write(rel, clip)
        # The argument loses its double quotes, and "%1" is no file at all. A name that is not
        # UTF-8 reaches the program with its bad bytes replaced: it cannot be found, and the
        # player says the file is not supported.
        expect = "" if label in ("percent-1", "quotes", "invalid-utf8") else "plays"
        c.add("names", label, "arg-here", rel, expect=expect)
    # Image names that carry the list separator or a newline, as drives.
    c.write(b"folders/names/line\nbreak.iso", b"")
    c.add("names", "newline-image-drive", "drive", b"folders/names/line\nbreak.iso")
    c.write(b"folders/names/" + b"i" * 251 + b".iso", b"")
    c.add("names", "name-255-image-drive", "drive", b"folders/names/" + b"i" * 251 + b".iso")


GOOD_SETTINGS = (
    b"[Settings]\nDir=/home/user/Karaoke\nPictextcopy=kept\nScreenshot=1\n"
    b"Wallpaper=0\nMy%20Documents=/home/user\n"
)


def settings_cases(c):
    """Each case is a settings folder: XDG_CONFIG_HOME/Tamrel VCD Player/...ini."""
    product = b"Tamrel VCD Player"

    def folder(name):
        return f"settings/{name}"

    def ini(name, data):
        c.write(f"settings/{name}/".encode() + product + b"/" + product + b".ini", data)
        return folder(name)

    rng = random.Random(31)
    plain = {
        "binary": rng.randbytes(4096),
        "nul-bytes": b"\0" * 300,
        "section-only": b"[Settings]\n",
        "section-only-no-newline": b"[Settings]",
        "empty": b"",
        "utf16": GOOD_SETTINGS.decode().encode("utf-16"),
        "unclosed-section": b"[Settings\nDir=/x\n",
        "long-line": b"[Settings]\nDir=" + b"x" * 2_000_000 + b"\n",
        "many-sections": b"".join(b"[S%d]\nk=v\n" % n for n in range(20000)),
        "duplicate-keys": GOOD_SETTINGS + GOOD_SETTINGS,
        "bookmark-absurd": GOOD_SETTINGS + b"Bookmark=99999999999999999999999\n"
        b"Bookmarkid=-2147483649\nBookmarkpath=\x01\x02\n",
        "bookmark-negative": GOOD_SETTINGS + b"Bookmark=-1\nBookmarkid=-1\nBookmarkpath=-\n",
        "vcd-auto-absurd": GOOD_SETTINGS + b"VCD%20Auto=99999999999\n",
        "dir-absent": GOOD_SETTINGS.replace(b"/home/user/Karaoke", b"/nonexistent/\xff"),
        "dir-is-file": GOOD_SETTINGS.replace(b"/home/user/Karaoke", b"/etc/passwd"),
        "screenshot-text": GOOD_SETTINGS.replace(b"Screenshot=1", b"Screenshot=yes please"),
        "invalid-utf8": GOOD_SETTINGS + b"Pictextcopy2=\xff\xfe\xc3\n",
        "quoted-garbage": GOOD_SETTINGS + b'Dir="unclosed\n',
        "backslashes": GOOD_SETTINGS + b"Wallpaper=\\\\\\x\\\n",
        # The song queues: values that do not read, under keys of no queue or another's, numbers
        # past any song, a queue far longer than a queue may be.
        "song-queue-damaged": GOOD_SETTINGS
        + b"[SongQueue]\nQueue-zz=nonsense\nQueue-0123456789abcdef=1 7+3 /elsewhere\n"
        b"Queue-=\nQueue-1=-5 - \nQueue-2=1 99999999999999999999+0+-4+x \xff\n"
        b"Queue-3=" + b"9" * 5000 + b"\n",
        "song-queue-huge": GOOD_SETTINGS
        + b"[SongQueue]\nQueue-4a5b=1 " + b"+".join([b"7"] * 400_000) + b" vcd:00000000\n",
    }
    for name, data in plain.items():
        c.add("settings", name, "settings", ini(name, data))
    # 100 MB, written as a hole after a good start: quick to make, long to read.
    rel = ini("hundred-mb", GOOD_SETTINGS)
    with open(c.path(f"{rel}/".encode() + product + b"/" + product + b".ini"), "r+b") as f:
        f.truncate(100 * 1024 * 1024)
    c.add("settings", "hundred-mb", "settings", rel)
    os.makedirs(c.path(f"settings/is-folder/".encode() + product + b"/" + product + b".ini/x"),
                exist_ok=True)
    c.add("settings", "is-folder", "settings", folder("is-folder"))
    os.makedirs(c.path(b"settings/product-is-file/x"), exist_ok=True)
    c.write(b"settings/product-is-file/" + product, b"not a folder")
    c.add("settings", "product-folder-is-file", "settings", folder("product-is-file"))
    # Read-only file, read-only folder, and a file nobody may read: as user nobody, because
    # root may write anything. The test copies these into a folder nobody owns.
    for name in ["read-only-file", "read-only-folder", "unreadable-file", "unreadable-folder"]:
        c.add("settings", name, "nobody-settings", ini(name, GOOD_SETTINGS))


def unreadable_cases(c, media, discs):
    """Media and images the player may not read: their modes are set by the test."""
    shutil.copyfile(os.path.join(media, "clips", "c.mpg"), c.path(b"private/clip.mpg"))
    shutil.copyfile(os.path.join(discs, "mode1.iso"), c.path(b"private/disc.iso"))
    c.add("unreadable", "clip-arg", "nobody-arg", "private/clip.mpg")
    c.add("unreadable", "image-arg", "nobody-arg", "private/disc.iso")
    c.add("unreadable", "image-drive", "nobody-drive", "private/disc.iso")
    os.makedirs(c.path(b"private/closed/"), exist_ok=True)
    shutil.copyfile(os.path.join(media, "clips", "c.mpg"), c.path(b"private/closed/clip.mpg"))
    c.add("unreadable", "clip-in-closed-folder", "nobody-arg", "private/closed/clip.mpg")


def main():
    if len(sys.argv) != 4:
        sys.exit("usage: make_bad_inputs.py OUT DISCS MEDIA")
    out, discs, media = sys.argv[1:]
    if os.path.exists(out):
        for root, dirs, _ in os.walk(out):
            for d in dirs:
                path = os.path.join(root, d)
                if not os.path.islink(path):
                    os.chmod(path, stat.S_IRWXU)
        shutil.rmtree(out)
    os.makedirs(out)
    c = Corpus(out)
    disc_cases(c, discs)
    control_file_cases(c, discs)
    media_cases(c, media)
    folder_cases(c, media)
    settings_cases(c)
    unreadable_cases(c, media, discs)
    c.save()
    print(f"{len(c.rows)} cases in {out}/cases.tsv")


main()
