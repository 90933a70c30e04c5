#include "core/dates.h"
#include "mail/echec.h"
#include "mail/message.h"
#include "support/outils.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <map>
#include <optional>
#include <set>
#include <sstream>

using namespace vaskor;

namespace {


std::vector<Texte> Affichages(const std::vector<TElementAdresse>& l)
{
    std::vector<Texte> r;
    for (const auto& e : l) r.push_back(TexteAdresse(e));
    return r;
}

}  // namespace

TEST(TIdMessage, FillsEveryFieldFromTheHeaderLines)
{
    test::ZoneLocale utc;
    TIdMessage m;
    m.Headers = LignesEnteteDepuisTexte(
        "Return-Path: <rebond@exemple.fr>\r\n"
        "From: =?ISO-8859-1?Q?Andr=E9?= <andre@exemple.fr>\r\n"
        "Sender: =?ISO-8859-1?Q?Andr=E9?= <envoi@exemple.fr>\r\n"
        "To: Anne <anne@exemple.fr>,\r\n"
        "\t=?windows-1252?Q?Z=F6e?= <zoe@exemple.fr>\r\n"
        "Cc: Amis: c@d.fr;\r\n"
        "Reply-To: =?ISO-8859-1?Q?R=E9ponse?= <r@exemple.fr>\r\n"
        "Subject: =?ISO-8859-1?Q?caf=E9_cr=E8me?=\r\n"
        "Subject: second\r\n"
        "Date: Tue, 7 Sep 2004 10:20:30 +0200\r\n"
        "Message-ID: <1234@exemple.fr>\r\n"
        "Content-Type: text/plain;\r\n"
        " charset=\"iso-8859-15\"; format=flowed\r\n"
        "Content-Transfer-Encoding: quoted-printable\r\n"
        "Content-Disposition: inline\r\n"
        "Organization: Exemple SA\r\n"
        "References: <1@x> <2@x>\r\n"
        "Newsgroups: fr.comp.mail\r\n"
        "Return-Receipt-To: accuse@exemple.fr\r\n"
        "X-Priority: 3 (Normal)\r\n"
        "\r\n"
        "Subject: dans le corps\r\n");
    ASSERT_EQ(m.Headers.size(), 20u);
    m.ExtraHeaders.push_back("X-Ajout: 1");
    m.AnalyserEntetes();
    EXPECT_EQ(m.Subject, "caf\xE9 cr\xE8me");
    EXPECT_EQ(m.From.Name, "Andr\xE9");
    EXPECT_EQ(m.From.Address, "andre@exemple.fr");
    EXPECT_EQ(m.Sender.Name, "=?ISO-8859-1?Q?Andr=E9?=");  // the Sender is not decoded
    EXPECT_EQ(m.Sender.Address, "envoi@exemple.fr");
    EXPECT_EQ(FormaterIso(m.Date), "2004-09-07 08:20:30");
    EXPECT_EQ(Affichages(m.Recipients), (std::vector<Texte>{"Anne <anne@exemple.fr>", "\"Z\xF6" "e\" <zoe@exemple.fr>"}));
    EXPECT_EQ(Affichages(m.CCList), std::vector<Texte>{"c@d.fr"});
    EXPECT_EQ(Affichages(m.ReplyTo), std::vector<Texte>{"=?ISO-8859-1?Q?R=E9ponse?= <r@exemple.fr>"});
    EXPECT_EQ(m.ContentType, "text/plain; charset=\"iso-8859-15\"; format=flowed");
    EXPECT_EQ(m.CharSet, "ISO-8859-15");
    EXPECT_EQ(m.ContentTransferEncoding, "quoted-printable");
    EXPECT_EQ(m.ContentDisposition, "inline");
    EXPECT_EQ(m.MsgId, "<1234@exemple.fr>");
    EXPECT_EQ(m.Organization, "Exemple SA");
    EXPECT_EQ(m.References, "<1@x> <2@x>");
    EXPECT_EQ(m.NewsGroups, "fr.comp.mail");
    EXPECT_EQ(TexteAdresse(m.ReceiptRecipient), "accuse@exemple.fr");
    EXPECT_EQ(m.Priority, "3 (Normal)");

    m.Clear();
    EXPECT_TRUE(m.Headers.empty());
    EXPECT_TRUE(m.ExtraHeaders.empty());
    EXPECT_TRUE(m.Subject.empty());
    EXPECT_TRUE(m.Recipients.empty());
    EXPECT_EQ(m.Date, 0);
}

TEST(TIdMessage, TakesTheCharsetFromTheContentTypeAndPrefersTheFirstReceiptAndPriorityHeaders)
{
    struct Cas {
        const char* contentType;
        const char* charset;
    };
    const Cas cas[] = {
        {"text/plain; charset=utf-8", "UTF-8"},
        {"text/plain; CharSet=\"windows-1252\"; x=1", "WINDOWS-1252"},
        {"text/plain; charset=iso-8859-1; format=flowed", "ISO-8859-1"},
        {"text/plain; charset=\"sans fin", "SANS FIN"},
        {"text/plain; charset=", ""},
        {"text/plain", ""},
        {"", ""},
    };
    for (const Cas& c : cas) {
        TIdMessage m;
        m.Headers = {std::string("Content-Type: ") + c.contentType};
        m.AnalyserEntetes();
        EXPECT_EQ(m.CharSet, c.charset) << c.contentType;
    }

    TIdMessage m;
    m.Headers = {"Disposition-Notification-To: Anne <anne@exemple.fr>", "Return-Receipt-To: autre@exemple.fr",
                 "Priority: urgent", "X-Priority: 1"};
    m.AnalyserEntetes();
    EXPECT_EQ(m.ReceiptRecipient.Address, "anne@exemple.fr");
    EXPECT_EQ(m.Priority, "urgent");
}

TEST(TIdMessage, AnUnreadableHeaderStopsTheParseAndKeepsTheFieldsAlreadyRead)
{
    TIdMessage m;
    m.Headers = {"Subject: Bonjour", "From: <a@b.fr> c@d.fr", "Message-Id: <1@x>", "Date: 7 Sep 2004 10:00:00",
                 "Content-Type: text/plain; charset=us-ascii"};
    try {
        m.AnalyserEntetes();
        FAIL() << "the From should make the block unreadable";
    } catch (const Echec& e) {
        EXPECT_EQ(e.Message(), "@ Outside address");
    }
    EXPECT_EQ(m.ContentType, "text/plain; charset=us-ascii");
    EXPECT_EQ(m.Subject, "Bonjour");
    EXPECT_TRUE(m.MsgId.empty());
    EXPECT_EQ(m.Date, 0);

    TIdMessage q;
    q.Headers = {"Subject: =?ISO-8859-1?Q?caf=XY?=", "From: a@b.fr"};
    EXPECT_THROW(q.AnalyserEntetes(), Echec);
    EXPECT_TRUE(q.From.Address.empty());
}

// Every message of the shared corpus of real and broken mail goes through the header parse.
TEST(Corpus, EveryMessageOfTheSharedCorpusIsParsedOrRefusedWithAFailure)
{
    const auto partage = test::DossierPartage();
    if (partage.empty() || !std::filesystem::is_directory(partage / "corpus"))
        GTEST_SKIP() << "no shared folder with a corpus beside the repository: corpus not checked";
    const auto corpus = partage / "corpus";
    test::ZoneLocale utc;

    // The manifest names every message; the files must all be there.
    std::set<std::string> attendus;
    {
        std::istringstream manifeste(test::LireTout(corpus / "MANIFEST.tsv"));
        std::string ligne;
        std::getline(manifeste, ligne);  // column names
        while (std::getline(manifeste, ligne)) {
            const auto tab = ligne.rfind('\t');
            if (tab != std::string::npos) attendus.insert(ligne.substr(tab + 1));
        }
    }
    const std::set<std::string> pasDesMessages = {"README.md", "MANIFEST.tsv", ".gitattributes", "SOURCE.md",
                                                  "LICENSE"};
    std::map<std::string, TIdMessage> lus;
    std::map<std::string, Texte> refus;
    std::string plusLent;
    double plusLong = 0;
    for (const auto& entree : std::filesystem::recursive_directory_iterator(corpus)) {
        if (!entree.is_regular_file() || pasDesMessages.count(entree.path().filename().string())) continue;
        const std::string nom = std::filesystem::relative(entree.path(), corpus).generic_string();
        const std::string octets = test::LireTout(entree.path());
        const auto debut = std::chrono::steady_clock::now();
        TIdMessage m;
        m.Headers = LignesEnteteDepuisTexte(octets);
        try {
            m.AnalyserEntetes();
            lus[nom] = std::move(m);
        } catch (const Echec& e) {
            EXPECT_EQ(e.Genre(), GenreEchec::Autre) << nom;
            EXPECT_FALSE(e.Message().empty()) << nom;
            refus[nom] = e.Message();
        }
        const double duree = std::chrono::duration<double>(std::chrono::steady_clock::now() - debut).count();
        if (duree > plusLong) plusLong = duree, plusLent = nom;
    }
    for (const auto& a : attendus) EXPECT_TRUE(lus.count(a) || refus.count(a)) << a << " missing";
    EXPECT_EQ(lus.size() + refus.size(), attendus.size());

    for (const auto& [nom, m] : lus) {
        EXPECT_EQ(m.Subject.find('\0'), Texte::npos) << nom;
        EXPECT_TRUE(m.ExtraHeaders.empty()) << nom;
    }
    // A few messages whose fields are known.
    auto lu = [&](const std::string& nom) -> const TIdMessage& {
        static const TIdMessage vide;
        auto it = lus.find(nom);
        if (it == lus.end()) {
            ADD_FAILURE() << nom << " not parsed";
            return vide;
        }
        return it->second;
    };
    const TIdMessage& ex10 = lu("mail-gem/rfc2822/example10.eml");
    EXPECT_EQ(TexteAdresse(ex10.From), "Pete <pete@silly.test>");
    EXPECT_EQ(FormaterIso(ex10.Date), "1969-02-14 03:02:00");
    EXPECT_EQ(Affichages(ex10.Recipients),
              (std::vector<Texte>{"Chris Jones <c@public.example>", "joe@example.org", "John <jdoe@one.test>"}));
    const TIdMessage& ex04 = lu("mail-gem/rfc2822/example04.eml");
    EXPECT_EQ(ex04.Recipients.size(), 3u);
    EXPECT_TRUE(ex04.CCList.empty());
    const TIdMessage& ex14 = lu("mail-gem/rfc2822/example14.eml");
    EXPECT_EQ(ex14.Subject, "Re: TEST \x83\x65\x83\x58\x83\x67 \x83\x65\x83\x58\x83\x67");
    EXPECT_EQ(ex14.CharSet, "ISO-2022-JP");
    const TIdMessage& long_ = lu("flanker/long-header.eml");
    EXPECT_GT(long_.Subject.size(), 100000u);
    EXPECT_EQ(TexteAdresse(long_.From), "bob@example.com");
    // Dates in odd shapes, read in UTC: a two-digit year, a zone that is not a number, a far
    // year, an odd zone offset, an impossible time.
    const std::pair<const char*, const char*> dates[] = {
        {"mail-gem/rfc2822/example12.eml", "1997-11-21 09:55:06"},
        {"mail-gem/error_emails/trademark_character_in_subject.eml", "2010-10-12 16:21:05"},
        {"mail-gem/plain_emails/raw_email_bad_time.eml", "3609-06-30 09:33:50"},
        {"mail-gem/error_emails/content_transfer_encoding_with_8bits.eml", "2001-12-04 22:10:25"},
        {"mail-gem/error_emails/bad_date_header2.eml", "1899-12-30 00:00:00"},
    };
    for (const auto& [nom, date] : dates) EXPECT_EQ(FormaterIso(lu(nom).Date), date) << nom;
    // A leading comma and a whitespace-only continuation leave no empty item.
    EXPECT_EQ(Affichages(lu("mail-gem/error_emails/weird_to_header.eml").Recipients),
              (std::vector<Texte>{"user-example@aol.com", "e-s-a-s-2200@app.ar.com"}));
    EXPECT_EQ(lu("mail-gem/error_emails/new_line_in_to_header.eml").Recipients.size(), 6u);
    // A word that is not ISO or WINDOWS stays as it came, between decoded text.
    EXPECT_EQ(lu("mail-gem/plain_emails/raw_email_with_partially_quoted_subject.eml").Subject,
              "Re: Test: =?UTF-8?B?Iua8ouWtlyI=?= mid =?UTF-8?B?Iua8ouWtlyI=?= tail");
    // Its From holds a second address after the bracketed one.
    EXPECT_EQ(refus["mail-gem/plain_emails/raw_email_with_at_display_name.eml"], "@ Outside address");

    std::cout << "[ corpus   ] " << lus.size() + refus.size() << " messages: " << lus.size() << " parsed, "
              << refus.size() << " unreadable header blocks; slowest " << plusLent << " (" << plusLong * 1000
              << " ms)\n";
    for (const auto& [nom, texte] : refus) std::cout << "[ corpus   ]   unreadable: " << nom << ": " << texte << "\n";
}

TEST(TIdMessage, TheModernDecodingReachesTheSubjectSenderAndListsAndOutlivesClear)
{
    TIdMessage m;
    m.DecodageModerne = true;
    m.Clear();
    ASSERT_TRUE(m.DecodageModerne);
    m.Headers = {"Subject: =?UTF-8?Q?=C3=A9t=C3=A9?=", "Sender: =?UTF-8?B?w4l0w6k=?= <e@x.fr>",
                 "To: =?UTF-8?Q?Z=C3=A9?= <z@x.fr>", "Cc: Caf\xC3\xA9 <c@x.fr>"};
    m.AnalyserEntetes();
    EXPECT_EQ(m.Subject, "\xE9t\xE9");
    EXPECT_EQ(TexteAdresse(m.Sender), "\"\xC9t\xE9\" <e@x.fr>");
    EXPECT_EQ(m.Recipients.at(0).Name, "Z\xE9");
    EXPECT_EQ(m.CCList.at(0).Name, "Caf\xE9");
}

TEST(Corpus, WithTheModernDecodingNoSubjectOrSenderKeepsAUtf8Word)
{
    const auto partage = test::DossierPartage();
    if (partage.empty() || !std::filesystem::is_directory(partage / "corpus"))
        GTEST_SKIP() << "no shared folder with a corpus beside the repository: corpus not checked";
    for (const auto& entree : std::filesystem::recursive_directory_iterator(partage / "corpus")) {
        if (!entree.is_regular_file()) continue;
        TIdMessage m;
        m.DecodageModerne = true;
        m.Headers = LignesEnteteDepuisTexte(test::LireTout(entree.path()));
        try {
            m.AnalyserEntetes();
        } catch (const Echec&) {
            continue;  // an address that cannot be parsed: the same as with the other decoding
        }
        for (const Texte& t : {m.Subject, TexteAdresse(m.From)})
            EXPECT_EQ(ChercherSansCasse(t, "=?UTF-8?"), Texte::npos) << entree.path() << ": " << t;
    }
}
