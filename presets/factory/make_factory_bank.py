#!/usr/bin/env python3
"""Writes the factory bank: preset<NNNN>.inf and preset<NNNN>.prt for every preset below, and the
initial-settings file InitSettings, in the record format the effect reads and writes.

Presets are described in physical units (Hz, Q, dB); this script maps them to the effect's
normalized values with the same piecewise-linear tables as the parameter model.
Run: python3 presets/factory/make_factory_bank.py presets/factory
"""
import struct
import sys
from pathlib import Path

FREQ_HP = [20, 30, 45, 60, 80, 100, 140, 200, 300, 500, 700, 1000, 1500, 2000, 3000, 5000, 7000, 8500, 10000]
FREQ = FREQ_HP + [12000, 14000, 17000, 20000]
Q_BELL = [0.1, 0.2, 0.5, 1.0, 1.7, 3.5, 7.0]
Q_SHELF = [0.3, 0.4, 0.52, 0.7, 1.0, 1.4, 2.0]
Q_PASS = [0.05, 0.1, 0.7, 2.35, 4.0]
GAIN = [-15, -13.28, -11.62, -9.96, -8.3, -6.64, -4.98, -3.32, -1.66, 0,
        1.66, 3.32, 4.98, 6.64, 8.3, 9.96, 11.62, 13.28, 15]
AIR = [-15, -10, -5, -2, 0, 2, 5, 10, 15]

DATE = " 07/12/2026"
HP, B1, B2, B3, B4, B5, LP, AIRBAND = range(8)


def normalized(table, value):
    if value >= table[-1]:
        return 1.0
    if value <= table[0]:
        return 0.0
    i = next(k for k, t in enumerate(table) if t > value)
    return ((i - 1) + (value - table[i - 1]) / (table[i] - table[i - 1])) / (len(table) - 1)


def f32(value):
    return struct.unpack("<f", struct.pack("<f", value))[0]


def initial_record():
    """The built-in initial settings (as the effect's initial-settings reset gives them)."""
    bands = [(0.1, 0.501, 0.0), (0.2, 0.5, 0.5), (0.3, 0.5, 0.5), (0.5, 0.5, 0.5),
             (0.7, 0.5, 0.5), (0.8, 0.5, 0.5), (0.9, 0.501, 0.0), (1.0, 1.0, 0.5)]
    return {
        "values": [list(b) for b in bands],
        "volume": 0.5,
        "on": [0.0] * 8,
        "type": [0.0] * 8,
        "names": ["Band 1", "Band 2", "Band 3", "Band 4", "Band 5", "Band 6", "Band 7", "Band Air"],
        "general": 1.0,
    }


def preset(name, bank, bands, volume_db=0.0):
    """bands: {band: dict(freq=Hz, q=Q, gain=dB, type=0/1, name=text)}; listed bands are switched on."""
    record = initial_record()
    for band, shape in bands.items():
        values = record["values"][band]
        shelf = shape.get("type", 0) == 1 and band in (B1, B5)
        if "freq" in shape:
            values[0] = normalized(FREQ_HP if band == HP else FREQ, shape["freq"])
        if "q" in shape:
            table = Q_PASS if band in (HP, LP) else (Q_SHELF if shelf else Q_BELL)
            values[1] = normalized(table, shape["q"])
        if "gain" in shape:
            values[2] = normalized(AIR if band == AIRBAND else GAIN, shape["gain"])
        record["type"][band] = float(shape.get("type", 0))
        record["on"][band] = 1.0
        if "name" in shape:
            record["names"][band] = shape["name"]
    record["volume"] = normalized(GAIN, volume_db)
    return {"name": name, "bank": bank, "record": record}


VOCALS = "Vocals & Speech"
INSTRUMENTS = "Drums & Instruments"
MASTER = "Mix & Master"

PRESETS = [
    preset("Vocal Clarity", VOCALS, {
        HP: dict(freq=80, q=0.7, type=1, name="Rumble"),
        B2: dict(freq=250, q=1.0, gain=-3.32, name="Boxiness"),
        B4: dict(freq=3000, q=1.0, gain=2.5, name="Presence"),
        B5: dict(freq=10000, q=0.7, gain=1.66, type=1, name="Sheen"),
        AIRBAND: dict(gain=2, name="Air")}),
    preset("Warm Vocal", VOCALS, {
        HP: dict(freq=60, q=0.7, type=0, name="Rumble"),
        B1: dict(freq=200, q=0.7, gain=2, type=1, name="Warmth"),
        B4: dict(freq=5000, q=1.7, gain=-2, name="Harshness"),
        B5: dict(freq=12000, q=0.7, gain=1.5, type=1, name="Top")}),
    preset("Vocal De-Box", VOCALS, {
        HP: dict(freq=100, q=0.7, type=1, name="Rumble"),
        B2: dict(freq=400, q=1.7, gain=-4.98, name="Box"),
        B3: dict(freq=1000, q=1.0, gain=-1.66, name="Nasal"),
        B4: dict(freq=5000, q=1.0, gain=1.66, name="Diction")}),
    preset("Podcast Voice", VOCALS, {
        HP: dict(freq=100, q=0.7, type=1, name="Low Cut"),
        B1: dict(freq=140, q=0.7, gain=1.66, type=1, name="Body"),
        B2: dict(freq=300, q=1.0, gain=-2, name="Mud"),
        B4: dict(freq=3000, q=1.0, gain=3, name="Intelligibility"),
        LP: dict(freq=14000, q=0.7, type=1, name="Hiss")}),
    preset("Broadcast Cleanup", VOCALS, {
        HP: dict(freq=140, q=0.7, type=1, name="Rumble & Pops"),
        B2: dict(freq=200, q=1.7, gain=-3.32, name="Room Boom"),
        B3: dict(freq=1000, q=1.0, gain=-1.5, name="Honk"),
        B4: dict(freq=7000, q=3.5, gain=-4, name="Sibilance"),
        LP: dict(freq=12000, q=0.7, type=1, name="Hiss")}),
    preset("Telephone Voice", VOCALS, {
        HP: dict(freq=300, q=2.35, type=1, name="Line Low"),
        B3: dict(freq=1500, q=1.0, gain=4.98, name="Honk"),
        LP: dict(freq=3000, q=2.35, type=1, name="Line High")}, volume_db=-1.66),
    preset("Kick Punch", INSTRUMENTS, {
        HP: dict(freq=30, q=0.7, type=1, name="Sub Rumble"),
        B1: dict(freq=60, q=1.7, gain=4, name="Thump"),
        B2: dict(freq=300, q=1.0, gain=-4.98, name="Cardboard"),
        B4: dict(freq=3000, q=1.7, gain=3.32, name="Beater")}, volume_db=-1.66),
    preset("Snare Snap", INSTRUMENTS, {
        HP: dict(freq=80, q=0.7, type=1, name="Rumble"),
        B2: dict(freq=200, q=1.7, gain=2, name="Body"),
        B3: dict(freq=700, q=1.7, gain=-3.32, name="Ring"),
        B4: dict(freq=5000, q=1.0, gain=3, name="Snap"),
        AIRBAND: dict(gain=2, name="Air")}),
    preset("Overheads Air", INSTRUMENTS, {
        HP: dict(freq=200, q=0.7, type=1, name="Kick Bleed"),
        B2: dict(freq=500, q=1.0, gain=-1.66, name="Boxiness"),
        B5: dict(freq=8500, q=0.7, gain=3, type=1, name="Cymbals"),
        AIRBAND: dict(gain=5, name="Air")}),
    preset("Bass Definition", INSTRUMENTS, {
        HP: dict(freq=30, q=0.7, type=0, name="Sub"),
        B1: dict(freq=80, q=0.7, gain=2, type=1, name="Weight"),
        B2: dict(freq=200, q=1.0, gain=-3, name="Mud"),
        B4: dict(freq=1500, q=1.7, gain=3.32, name="Growl"),
        LP: dict(freq=8500, q=0.7, type=0, name="Fret Noise")}),
    preset("Electric Guitar Bite", INSTRUMENTS, {
        HP: dict(freq=100, q=0.7, type=1, name="Low Cut"),
        B2: dict(freq=300, q=1.0, gain=-2.5, name="Mud"),
        B4: dict(freq=3000, q=1.0, gain=3, name="Bite"),
        LP: dict(freq=10000, q=0.7, type=0, name="Fizz")}),
    preset("Acoustic Guitar Shine", INSTRUMENTS, {
        HP: dict(freq=80, q=0.7, type=1, name="Low Cut"),
        B2: dict(freq=200, q=1.0, gain=-3, name="Boom"),
        B4: dict(freq=5000, q=1.0, gain=2, name="Pick"),
        B5: dict(freq=12000, q=0.7, gain=2, type=1, name="Shine")}),
    preset("Master Gentle Smile", MASTER, {
        HP: dict(freq=20, q=0.7, type=1, name="Subsonic"),
        B1: dict(freq=100, q=0.52, gain=1.66, type=1, name="Lows"),
        B3: dict(freq=1000, q=0.5, gain=-1, name="Mids"),
        B5: dict(freq=12000, q=0.52, gain=1.66, type=1, name="Highs")}),
    preset("Master Low-End Tighten", MASTER, {
        HP: dict(freq=30, q=0.7, type=1, name="Subsonic"),
        B1: dict(freq=60, q=1.0, gain=1, name="Kick Weight"),
        B2: dict(freq=300, q=1.0, gain=-1.5, name="Low Mids")}),
    preset("Mix Bus Mud Cut", MASTER, {
        B2: dict(freq=300, q=1.0, gain=-2.5, name="Mud"),
        B4: dict(freq=3000, q=0.5, gain=1, name="Focus")}),
    preset("Clean Start", MASTER, {
        HP: dict(freq=20, q=0.7, type=1, name="Subsonic")}),
]


def fmt(value):
    return "%e" % f32(value)


def settings_text(record):
    keys = ["BANDE1_FREQ", "BANDE1_QUAL", "BANDE2_FREQ", "BANDE2_QUAL", "BANDE2_GAIN",
            "BANDE3_FREQ", "BANDE3_QUAL", "BANDE3_GAIN", "BANDE4_FREQ", "BANDE4_QUAL", "BANDE4_GAIN",
            "BANDE5_FREQ", "BANDE5_QUAL", "BANDE5_GAIN", "BANDE6_FREQ", "BANDE6_QUAL", "BANDE6_GAIN",
            "BANDE7_FREQ", "BANDE7_QUAL", "AIR_35K_GAIN", "VOLUME_GENERAL"]
    fields = [(HP, 0), (HP, 1), (B1, 0), (B1, 1), (B1, 2), (B2, 0), (B2, 1), (B2, 2), (B3, 0), (B3, 1), (B3, 2),
              (B4, 0), (B4, 1), (B4, 2), (B5, 0), (B5, 1), (B5, 2), (LP, 0), (LP, 1), (AIRBAND, 2)]
    lines = []
    for key, field in zip(keys, fields + [None]):
        value = record["volume"] if field is None else record["values"][field[0]][field[1]]
        lines.append("!@RIGH@%s#%s#\n" % (key, fmt(value)))
        lines.append("!@LEFT@%s#%s#\n" % (key, fmt(value)))
    switches = [("BANDE1_ON", record["on"][HP]), ("BANDE1_TYPE", record["type"][HP]),
                ("BANDE2_ON", record["on"][B1]), ("BANDE2_TYPE", record["type"][B1]),
                ("BANDE3_ON", record["on"][B2]), ("BANDE4_ON", record["on"][B3]), ("BANDE5_ON", record["on"][B4]),
                ("BANDE6_ON", record["on"][B5]), ("BANDE6_TYPE", record["type"][B5]),
                ("BANDE7_ON", record["on"][LP]), ("BANDE7_TYPE", record["type"][LP]),
                ("AIR_35K_ON", record["on"][AIRBAND]), ("ACTIF_GENERAL", record["general"])]
    lines += ["!%s#%s#\n" % (key, fmt(value)) for key, value in switches]
    names = ["BANDE1_NAME", "BANDE2_NAME", "BANDE3_NAME", "BANDE4_NAME", "BANDE5_NAME", "BANDE6_NAME",
             "BANDE7_NAME", "AIR_35K_NAME"]
    lines += ["!%s#%s#\n" % (key, name) for key, name in zip(names, record["names"])]
    return "".join(lines)


def info_text(number, entry):
    active = sum(1 for on in entry["record"]["on"] if on >= 0.5)
    return ("!NOM_PRESET#%s#\n!NOM_BANQUE#%s#\n!NOM_AUTEUR#Corvane#\n!NOM_PROJET#Factory#\n"
            "!DATE_CREATION#%s#\n!DATE_MODIFICATION#%s#\n!NBR_BANDES#%.2d#\n!USINE#01#\n"
            "!LEFT-RIGHT#00#\n!NUMERO_PRESET#%.4d#\n") % (entry["name"], entry["bank"], DATE, DATE, active, number)


def main():
    out = Path(sys.argv[1] if len(sys.argv) > 1 else Path(__file__).parent)
    for number, entry in enumerate(PRESETS):
        assert len(entry["name"]) <= 31 and len(entry["bank"]) <= 31
        assert all(len(n) <= 23 for n in entry["record"]["names"])
        (out / ("preset%.4d.inf" % number)).write_bytes(info_text(number, entry).encode("ascii"))
        (out / ("preset%.4d.prt" % number)).write_bytes(settings_text(entry["record"]).encode("ascii"))
    initial = initial_record()
    initial["general"] = 0.0
    initial["names"] = [""] * 8
    (out / "InitSettings").write_bytes(settings_text(initial).encode("ascii"))


if __name__ == "__main__":
    main()
