#!/usr/bin/env python3
"""Fills a Maildir with generated messages for the POP3 integration tests and the benchmark.

The messages vary where a header parser can go wrong: senders with accented, quoted and
commented names, subjects made of RFC 2047 encoded words (Q and B; ISO-8859-1, ISO-8859-15,
windows-1252, and UTF-8 which Vaskor leaves undecoded), folded subjects, dates in several zones
and forms, multipart messages with base64 attachments.

Beside the messages it writes an expectation file, one line per message, TAB-separated, UTF-8:
    message-id  size  from  subject  date
where size is what the server lists (the message with CRLF line ends), and from, subject and
date are what `vaskor-cli scan --decodage-moderne 0` prints for that message with TZ=UTC. The texts are
written by hand from the rules Vaskor applies to headers (the encoded words of charsets other
than ISO-* and WINDOWS-* stay as they are, the bytes of the others are taken as code page 1252,
blanks between encoded words stay, folded lines are joined with one blank), not computed by a
second parser.

The Maildir file names carry ,S=<file size>,W=<size with CRLF>: Dovecot trusts them for LIST
and for TOP, so they must be exact. Files are written with LF line ends, as a delivery agent
would store them. Names sort in generation order, so message n on the server is the n-th
generated one (Dovecot numbers new files in the order of their names); tests should still match
by Message-Id.
"""

import argparse
import base64
import datetime
import os
import random
import sys

UNDEFINED_1252 = {0x81, 0x8D, 0x8F, 0x90, 0x9D}


def cp1252_display(data: bytes) -> str:
    """The UTF-8 text vaskor-cli prints for code page 1252 bytes (undefined bytes map to U+00xx)."""
    out = []
    for b in data:
        if b in UNDEFINED_1252:
            out.append(chr(b))
        else:
            out.append(bytes([b]).decode("cp1252"))
    return "".join(out)


# ---------------------------------------------------------------------------------------------
# Encoded words

Q_SAFE = set(b"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789!*+-/")


def q_word(charset: str, data: bytes, lower=False) -> str:
    enc = []
    for b in data:
        if b == 0x20:
            enc.append("_")
        elif b in Q_SAFE:
            enc.append(chr(b))
        else:
            enc.append("=%02X" % b)
    return "=?%s?%s?%s?=" % (charset, "q" if lower else "Q", "".join(enc))


def b_word(charset: str, data: bytes, lower=False) -> str:
    return "=?%s?%s?%s?=" % (charset, "b" if lower else "B", base64.b64encode(data).decode("ascii"))


def vaskor_decodes(charset: str) -> bool:
    c = charset.upper()
    return c.startswith("ISO") or c.startswith("WINDOWS")


def word(rng, charset, text, letter=None, lower=False):
    """An encoded word for `text` and the text vaskor shows for it."""
    data = text.encode(charset_python(charset))
    letter = letter or rng.choice("QB")
    w = (q_word if letter == "Q" else b_word)(charset, data, lower)
    shown = cp1252_display(data) if vaskor_decodes(charset) else w
    return w, shown


def charset_python(c: str) -> str:
    return {"windows-1252": "cp1252"}.get(c.lower(), c.lower())


# ---------------------------------------------------------------------------------------------
# Subjects: each maker returns (header lines without "Subject: ", expected text)

SUJETS_LATIN1 = [
    "Réunion de lundi", "Café crème à volonté", "Été indien sur la côte",
    "Reçu de votre commande n° 4521", "Où êtes-vous ?", "Élève, maître et garçon",
    "Prix spécial : 15 % de réduction", "Bon anniversaire, Zoë !", "Façade à rénover",
    "Öffnungszeiten für März", "Señor Muñoz = ¿qué tal?",
]
SUJETS_LATIN9 = ["Facture de 120 € réglée", "Œuvres complètes", "Cœur de bœuf à 9 €"]
SUJETS_1252 = ["Offre à 49 € – livraison offerte", "L’été « chaud » arrive", "Œuf, bœuf et cœur",
               "Prix ™ spécial…", "“Citation” et ‘guillemets’"]
SUJETS_UTF8 = ["Déjà vu ✓", "Привет, мир", "日本語の件名", "Zoë’s café"]
SUJETS_ASCII = ["Weekly report", "Re: meeting notes", "Invoice 2024-118", "Fwd: holiday pictures",
                "Your account statement", "Lunch?", "Build #1234 passed", "[liste] question about POP3"]


def sujet_ascii(rng, i):
    s = "%s %d" % (rng.choice(SUJETS_ASCII), i)
    return [s], s


def sujet_un_mot(rng, i, charset, textes):
    text = rng.choice(textes)
    w, shown = word(rng, charset, text, lower=rng.random() < 0.2)
    return [w], shown


def sujet_mixte(rng, i):
    # Plain text around one encoded word.
    w, shown = word(rng, "ISO-8859-1", rng.choice(["café", "résumé", "déjà", "naïve"]))
    return ["Re: %s du jour %d" % (w, i)], "Re: %s du jour %d" % (shown, i)


def sujet_plie_mots(rng, i):
    # Two encoded words folded over two lines: the blank between them stays.
    charset = rng.choice(["ISO-8859-1", "windows-1252"])
    w1, s1 = word(rng, charset, "Réunion", letter="Q")
    w2, s2 = word(rng, charset, "de l'équipe n° %d" % i, letter="B")
    return [w1, "\t" + w2], s1 + " " + s2


def sujet_plie_texte(rng, i):
    # A long plain subject folded at blanks; each fold becomes exactly one blank.
    words = ("This is a rather long subject line %d that a sending program chose to fold over "
             "several lines because it passed seventy-eight characters" % i).split(" ")
    lignes, courante = [], ""
    for w in words:
        if courante and len(courante) + 1 + len(w) > 30:
            lignes.append(courante)
            courante = w
        else:
            courante = (courante + " " + w) if courante else w
    lignes.append(courante)
    out = [lignes[0]] + [rng.choice([" ", "\t", "    "]) + l for l in lignes[1:]]
    return out, " ".join(words)


def sujet_colles(rng, i):
    # Two encoded words with nothing between them.
    w1, s1 = word(rng, "ISO-8859-1", "café", letter="Q")
    w2, s2 = word(rng, "ISO-8859-1", " crème", letter="Q")
    return [w1 + w2 + " %d" % i], s1 + s2 + " %d" % i


def sujet_octet_indefini(rng, i):
    # Code page 1252 leaves 0x81 undefined; vaskor-cli writes it as U+0081.
    data = b"Octet \x81 seul"
    return [q_word("windows-1252", data)], cp1252_display(data)


def sujet_commence_par_egal(rng, i):
    # Q text that starts with "=XX": the "?" that ends the letter must not be taken for the end.
    w, shown = word(rng, "ISO-8859-1", "Été %d" % i, letter="Q")
    return [w], shown


def sujet_point_interrogation(rng, i):
    w, shown = word(rng, "ISO-8859-1", "Ça va ? Oui = %d" % i, letter="Q")
    return [w], shown


def sujet_vide(rng, i):
    return [""], ""


FABRICANTS_SUJET = [
    (10, sujet_ascii),
    (10, lambda r, i: sujet_un_mot(r, i, "ISO-8859-1", SUJETS_LATIN1)),
    (4, lambda r, i: sujet_un_mot(r, i, "ISO-8859-15", SUJETS_LATIN9)),
    (6, lambda r, i: sujet_un_mot(r, i, "windows-1252", SUJETS_1252)),
    (5, lambda r, i: sujet_un_mot(r, i, "UTF-8", SUJETS_UTF8)),
    (4, sujet_mixte),
    (4, sujet_plie_mots),
    (4, sujet_plie_texte),
    (2, sujet_colles),
    (1, sujet_octet_indefini),
    (2, sujet_commence_par_egal),
    (2, sujet_point_interrogation),
    (1, sujet_vide),
]

# ---------------------------------------------------------------------------------------------
# Senders: each maker returns (header name, raw value, expected display text)

PRENOMS = ["Jean", "Marie", "Paul", "Claire", "Luc", "Sophie", "Hugo", "Anne"]
NOMS = ["Dupont", "Martin", "Bernard", "Petit", "Durand", "Leroy", "Moreau", "Simon"]
ACCENTUES = [("René", "Lefèvre"), ("Zoë", "Müller"), ("Amélie", "Poulain"), ("Jürgen", "Groß"),
             ("François", "Garçon"), ("Hélène", "Dubois"), ("Chloé", "Bérard")]
DOMAINES = ["example.fr", "exemple.com", "mail.example.org", "post.example.de", "example.net"]


def adresse(rng, prenom="", nom=""):
    base = (prenom + "." + nom).lower() if prenom else rng.choice(["contact", "info", "no-reply", "bob+tag"])
    base = base.encode("ascii", "ignore").decode() or "x"
    base = "".join(c for c in base if c.isalnum() or c in ".-+")
    return "%s@%s" % (base, rng.choice(DOMAINES))


def de_simple(rng):
    p, n = rng.choice(PRENOMS), rng.choice(NOMS)
    a = adresse(rng, p, n)
    return "From", "%s %s <%s>" % (p, n, a), "%s %s <%s>" % (p, n, a)


def de_guillemets_virgule(rng):
    p, n = rng.choice(PRENOMS), rng.choice(NOMS)
    a = adresse(rng, p, n)
    return "From", '"%s, %s" <%s>' % (n, p, a), '"%s, %s" <%s>' % (n, p, a)


def de_guillemets_inutiles(rng):
    p, n = rng.choice(PRENOMS), rng.choice(NOMS)
    a = adresse(rng, p, n)
    return "From", '"%s %s" <%s>' % (p, n, a), "%s %s <%s>" % (p, n, a)


def de_commentaire_apres(rng):
    p, n = rng.choice(PRENOMS), rng.choice(NOMS)
    a = adresse(rng, p, n)
    return "From", "%s (%s %s)" % (a, p, n), a


def de_commentaire_avant(rng):
    p, n = rng.choice(PRENOMS), rng.choice(NOMS)
    a = adresse(rng, p, n)
    return "From", "%s (Service client) <%s>" % (p, a), "%s <%s>" % (p, a)


def de_crochets_seuls(rng):
    a = adresse(rng)
    return "From", "<%s>" % a, a


def de_nu(rng):
    a = adresse(rng)
    return "From", a, a


def de_initiale(rng):
    p, n = rng.choice(PRENOMS), rng.choice(NOMS)
    a = adresse(rng, p, n)
    return "From", "%s. %s <%s>" % (p[0], n, a), '"%s. %s" <%s>' % (p[0], n, a)


def de_echappements(rng):
    a = adresse(rng, "bob", "obrien")
    return "From", "\"O'Brien \\\"Bob\\\"\" <%s>" % a, "\"O'Brien \\\"Bob\\\"\" <%s>" % a


def de_accents(rng):
    p, n = rng.choice(ACCENTUES)
    a = adresse(rng, p, n)
    charset = rng.choice(["ISO-8859-1", "ISO-8859-15", "windows-1252"])
    w, shown = word(rng, charset, "%s %s" % (p, n))
    return "From", "%s <%s>" % (w, a), '"%s" <%s>' % (shown, a)


def de_accents_utf8(rng):
    p, n = rng.choice(ACCENTUES)
    a = adresse(rng, p, n)
    w, shown = word(rng, "UTF-8", "%s %s" % (p, n))
    # The encoded word is left alone and every character of it is allowed unquoted.
    return "From", "%s <%s>" % (w, a), "%s <%s>" % (shown, a)


def sender_seul(rng):
    a = "robot@" + rng.choice(DOMAINES)
    return "Sender", a, a


FABRICANTS_EXPEDITEUR = [
    (10, de_simple), (3, de_guillemets_virgule), (3, de_guillemets_inutiles),
    (3, de_commentaire_apres), (2, de_commentaire_avant), (2, de_crochets_seuls), (2, de_nu),
    (2, de_initiale), (1, de_echappements), (8, de_accents), (3, de_accents_utf8), (1, sender_seul),
]

# ---------------------------------------------------------------------------------------------
# Dates

JOURS = ["Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"]
MOIS = ["Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"]
ZONES = [0, 60, 120, -300, -420, 330, 570, -210, 780, -600]


def date(rng):
    """(header value or None, expected UTC text)."""
    if rng.random() < 0.01:
        return None, ""  # no date: an empty field
    utc = datetime.datetime(1995, 1, 1) + datetime.timedelta(seconds=rng.randrange(35 * 365 * 86400))
    forme = rng.random()
    if forme < 0.08:
        # GMT and the month-first order some old programs used.
        loc = utc
        texte = "%s %d %d %02d:%02d:%02d GMT" % (MOIS[loc.month - 1], loc.day, loc.year,
                                                 loc.hour, loc.minute, loc.second)
    else:
        minutes = rng.choice(ZONES)
        loc = utc + datetime.timedelta(minutes=minutes)
        signe = "+" if minutes >= 0 else "-"
        zone = "%s%02d%02d" % (signe, abs(minutes) // 60, abs(minutes) % 60)
        jour = ("%02d" if rng.random() < 0.5 else "%d") % loc.day
        annee = "%d" % loc.year
        if forme < 0.12 and loc.year >= 2000 and loc.year < 2080:
            annee = "%02d" % (loc.year % 100)  # two-digit year, read as 20xx
        texte = "%s %s %s %02d:%02d:%02d %s" % (jour, MOIS[loc.month - 1], annee,
                                               loc.hour, loc.minute, loc.second, zone)
        if rng.random() < 0.8:
            # Some programs write no blank after the comma; RFC 5322 allows it.
            texte = JOURS[loc.weekday()] + ("," if rng.random() < 0.04 else ", ") + texte
        if rng.random() < 0.15:
            texte += " (%s)" % rng.choice(["CET", "CEST", "EST", "UTC"])
    return texte, utc.strftime("%Y-%m-%d %H:%M:%S")


# ---------------------------------------------------------------------------------------------
# Bodies

MOTS = ("le la les un une des et ou mais donc car ni que qui quoi dont où mail serveur message "
        "réunion projet semaine équipe compte rendu merci bonjour cordialement").split()


def texte_corps(rng, lignes):
    return "\n".join(" ".join(rng.choice(MOTS) for _ in range(rng.randint(4, 14)))
                     for _ in range(lignes)) + "\n"


def qp(data: bytes) -> str:
    out = []
    for ligne in data.split(b"\n"):
        s, n = [], 0
        for b in ligne:
            t = chr(b) if (33 <= b <= 126 and b != 61) or b == 32 else "=%02X" % b
            if n + len(t) > 72:
                s.append("=\n")
                n = 0
            s.append(t)
            n += len(t)
        out.append("".join(s))
    return "\n".join(out)


def corps(rng, i):
    """(extra header lines, body text) for message i."""
    r = rng.random()
    if r < 0.5:
        charset = rng.choice(["iso-8859-1", "windows-1252", "utf-8"])
        data = texte_corps(rng, rng.randint(2, 40)).encode(charset_python(charset), "replace")
        return (["MIME-Version: 1.0", 'Content-Type: text/plain; charset="%s"' % charset,
                 "Content-Transfer-Encoding: quoted-printable"], qp(data) + "\n")
    if r < 0.6:
        return [], texte_corps(rng, rng.randint(1, 10))
    frontiere = "=_vaskor_%d_%08x" % (i, rng.getrandbits(32))
    parties = []
    data = texte_corps(rng, rng.randint(2, 20)).encode("iso-8859-1", "replace")
    parties.append('Content-Type: text/plain; charset=ISO-8859-1\nContent-Transfer-Encoding: '
                   'quoted-printable\n\n' + qp(data) + "\n")
    for k in range(rng.randint(1, 3)):
        taille = rng.choice([200, 1500, 6000, 20000]) + rng.randrange(1000)
        if rng.random() < 0.03:
            taille = 150000 + rng.randrange(50000)
        contenu = rng.getrandbits(8 * taille).to_bytes(taille, "little")
        b64 = base64.encodebytes(contenu).decode("ascii")
        nom, _ = word(rng, "ISO-8859-1", rng.choice(["relevé", "photo", "pièce", "annexe"]) + "-%d.bin" % k,
                      letter="Q")
        type_ = rng.choice(["application/octet-stream", "application/pdf", "image/jpeg"])
        parties.append('Content-Type: %s; name="%s"\nContent-Transfer-Encoding: base64\n'
                       'Content-Disposition: attachment; filename="%s"\n\n%s' % (type_, nom, nom, b64))
    texte = "This is a multi-part message in MIME format.\n\n"
    for p in parties:
        texte += "--%s\n%s\n" % (frontiere, p)
    texte += "--%s--\n" % frontiere
    return (["MIME-Version: 1.0", 'Content-Type: multipart/mixed;\n\tboundary="%s"' % frontiere], texte)


def choisir(rng, table):
    total = sum(p for p, _ in table)
    x = rng.randrange(total)
    for p, f in table:
        if x < p:
            return f
        x -= p
    raise AssertionError


def message(rng, graine, i, illisible=False):
    """(raw bytes with LF line ends, expectation fields)."""
    mid = "<gen-%d-%d@vaskor.test>" % (graine, i)
    nom_exp, valeur_exp, affiche = choisir(rng, FABRICANTS_EXPEDITEUR)(rng)
    if illisible:
        # An "@" after the closing ">" of a bracketed address: the header block cannot be read.
        nom_exp, valeur_exp, affiche = "From", "<a@example.fr> b@example.fr", "@ Outside address"
    lignes_sujet, sujet = choisir(rng, FABRICANTS_SUJET)(rng, i)
    texte_date, date_utc = date(rng)
    entetes = []
    for k in range(rng.choice([0, 1, 2, 2, 3, 8])):
        entetes.append("Received: from relay%d.example.net (relay%d.example.net [192.0.2.%d])\n"
                       "\tby mx.example.org (Postfix) with ESMTP id %08X\n"
                       "\tfor <anne@example.org>; Mon, 1 Jan 2024 10:00:%02d +0000" % (k, k, k + 1, rng.getrandbits(32), k))
    entetes.append("Return-Path: <bounce-%d@example.net>" % i)
    entetes.append("%s: %s" % (nom_exp, valeur_exp))
    to = ["Anne <anne@example.org>", '"Bruno, B." <bruno@example.org>', "chloe@example.org (Chloé)",
          "Équipe: david@example.org, eve@example.org;"]
    entetes.append("To: " + ", ".join(rng.sample(to, rng.randint(1, 3))))
    if rng.random() < 0.3:
        entetes.append("Cc: =?ISO-8859-1?Q?Ren=E9?= <rene@example.fr>,\n\tpaul@example.fr")
    if rng.random() < 0.2:
        entetes.append("Reply-To: <reponse-%d@example.net>" % i)
    if lignes_sujet != [""] or rng.random() < 0.5:
        entetes.append("Subject: " + "\n".join(lignes_sujet))
    if texte_date is not None:
        entetes.append("Date: " + texte_date)
    entetes.append("Message-ID: " + mid)
    if rng.random() < 0.2:
        entetes.append("Organization: Soci=?ISO-8859-1?Q?=E9t=E9?= Exemple")
    if rng.random() < 0.3:
        entetes.append("X-Mailer: Generator %d.%d" % (rng.randint(1, 9), rng.randint(0, 20)))
    if rng.random() < 0.1:
        entetes.append("References: " + "\n\t".join("<ref-%d-%d@vaskor.test>" % (i, k) for k in range(12)))
    extra, texte = corps(rng, i)
    entetes.extend(extra)
    brut = ("\n".join(entetes) + "\n\n" + texte).encode("latin-1")
    return brut, (mid, affiche, sujet, date_utc)


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--maildir", required=True, help="Maildir to add the messages to (created when missing)")
    ap.add_argument("--count", type=int, required=True)
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--expect", help="expectation file to write")
    ap.add_argument("--unreadable", default="",
                    help="comma-separated message numbers whose header block Vaskor must refuse "
                         "(their expected sender is the failure text)")
    a = ap.parse_args()
    illisibles = {int(x) for x in a.unreadable.split(",") if x.strip()}

    rng = random.Random(a.seed)
    for sous in ("cur", "new", "tmp"):
        os.makedirs(os.path.join(a.maildir, sous), exist_ok=True)
    attendus = []
    t0 = 1700000000
    for i in range(1, a.count + 1):
        brut, (mid, de, sujet, date_utc) = message(rng, a.seed, i, i in illisibles)
        physique = len(brut)
        virtuel = physique + brut.count(b"\n")
        # Seconds increase with i, so that the names sort in generation order.
        nom = "%d.M%06dP%dQ%d.vaskorlab,S=%d,W=%d:2," % (t0 + i, i % 1000000, a.seed, i, physique, virtuel)
        tmp = os.path.join(a.maildir, "tmp", nom)
        with open(tmp, "wb") as f:
            f.write(brut)
        os.rename(tmp, os.path.join(a.maildir, "cur", nom))
        for champ in (de, sujet):
            assert "\t" not in champ and "\n" not in champ, champ
        attendus.append("%s\t%d\t%s\t%s\t%s\n" % (mid, virtuel, de, sujet, date_utc))
    if a.expect:
        with open(a.expect, "w", encoding="utf-8") as f:
            f.write("# message-id\tsize\tfrom\tsubject\tdate (UTC)\n")
            f.writelines(attendus)
    return 0


if __name__ == "__main__":
    sys.exit(main())
