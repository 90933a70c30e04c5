#!/usr/bin/env python3
"""Writes Vaskor's built-in sounds (short mono 16-bit PCM wave files) into src/platform/gui/sons/.

The files are committed; run this again only to change a sound. Output is deterministic.
"""
import math
import os
import random
import struct
import wave

DOSSIER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "src", "platform", "gui", "sons")


def enveloppe(t, attaque, duree, decroissance):
    """Short attack, exponential decay, and a fade at the very end so that nothing clicks."""
    if t < attaque:
        a = t / attaque
    else:
        a = math.exp(-(t - attaque) * decroissance)
    fin = duree - t
    if fin < 0.01:
        a *= max(fin, 0.0) / 0.01
    return a


def cloche(freq, t, duree, decroissance=9.0):
    """A bell-like note: the fundamental with two softer, quicker-fading partials."""
    e = enveloppe(t, 0.004, duree, decroissance)
    s = math.sin(2 * math.pi * freq * t)
    s += 0.35 * math.sin(2 * math.pi * 2 * freq * t) * math.exp(-t * 6)
    s += 0.12 * math.sin(2 * math.pi * 3.01 * freq * t) * math.exp(-t * 12)
    return e * s / 1.47


def melanger(taux, duree, notes):
    """notes: (start in seconds, length in seconds, function of time since start)."""
    n = int(taux * duree)
    out = [0.0] * n
    for debut, longueur, f in notes:
        i0 = int(debut * taux)
        for i in range(i0, min(n, i0 + int(longueur * taux))):
            out[i] += f((i - i0) / taux, longueur)
    return out


def ecrire(nom, taux, echantillons, volume):
    crete = max(1e-9, max(abs(x) for x in echantillons))
    donnees = b"".join(struct.pack("<h", int(round(x / crete * volume * 32767))) for x in echantillons)
    with wave.open(os.path.join(DOSSIER, nom), "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(taux)
        w.writeframes(donnees)


def son_ok():
    # Accepted message: a light rising two-note chime (A5 then E6).
    taux = 22050
    return taux, melanger(taux, 0.42, [
        (0.00, 0.16, lambda t, d: cloche(880.0, t, d, 14.0)),
        (0.09, 0.33, lambda t, d: cloche(1318.5, t, d, 10.0)),
    ])


def son_a_marquer():
    # Message to mark: two even knocks on a lower note, asking for a look.
    taux = 22050
    def coup(t, d):
        return cloche(659.3, t, d, 22.0) + 0.5 * cloche(987.8, t, d, 30.0)
    return taux, melanger(taux, 0.36, [
        (0.00, 0.15, coup),
        (0.17, 0.19, coup),
    ])


def son_a_effacer():
    # Message to delete: a short falling sweep with a breath of noise, like something thrown away.
    taux = 11025
    alea = random.Random(1999)
    duree = 0.32
    n = int(taux * duree)
    phase = 0.0
    out = []
    bruit = 0.0
    for i in range(n):
        t = i / taux
        f = 900.0 * math.exp(-t * 5.5) + 140.0
        phase += 2 * math.pi * f / taux
        bruit = 0.85 * bruit + 0.15 * (alea.random() * 2 - 1)  # low-passed noise
        e = enveloppe(t, 0.006, duree, 7.0)
        out.append(e * (math.sin(phase) + 0.3 * math.sin(2 * phase) + 0.6 * bruit))
    return taux, out


def son_defaut():
    # The fallback for a user file that cannot be played: a plain, neutral beep.
    taux = 22050
    def bip(t, d):
        return enveloppe(t, 0.01, d, 4.0) * math.sin(2 * math.pi * 1000.0 * t)
    return taux, melanger(taux, 0.18, [(0.0, 0.18, bip)])


def main():
    os.makedirs(DOSSIER, exist_ok=True)
    for nom, (taux, ech), volume in [
        ("SON_MSG_OK.wav", son_ok(), 0.55),
        ("SON_MSG_A_MARQUER.wav", son_a_marquer(), 0.55),
        ("SON_MSG_A_EFFACER.wav", son_a_effacer(), 0.6),
        ("SON_DEFAUT.wav", son_defaut(), 0.45),
    ]:
        ecrire(nom, taux, ech, volume)
        print(nom, taux, "Hz", len(ech), "samples")


if __name__ == "__main__":
    main()
