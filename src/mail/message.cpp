// Filling the parsed header from its raw lines.

#include "mail/message.h"

#include <stdexcept>

namespace vaskor {

namespace {

// The charset named in a Content-Type value, in capitals; empty when none is named.
Texte CharSetDe(std::string_view contentType)
{
    const Texte majuscules = EnMajusculesAscii(contentType);
    const std::size_t p = majuscules.find("CHARSET=");
    if (p == Texte::npos) return {};
    const std::string_view suite = std::string_view(majuscules).substr(p + 8);
    if (!suite.empty() && suite[0] == '"') {
        const std::size_t f = suite.find('"', 1);
        return Texte(suite.substr(1, f == std::string_view::npos ? std::string_view::npos : f - 1));
    }
    return Texte(suite.substr(0, suite.find(';')));
}

}  // namespace

CompteLigne::CompteLigne()
{
    // Rows made before their account is known share one blank record.
    static const std::shared_ptr<const TCompte> vierge = std::make_shared<const TCompte>(TCompte::Vierge());
    compte_ = vierge;
}

CompteLigne::CompteLigne(const TCompte& compte) : compte_(std::make_shared<const TCompte>(compte)) {}

void TIdMessage::Clear()
{
    const bool moderne = DecodageModerne;
    *this = TIdMessage();
    DecodageModerne = moderne;
}

void TIdMessage::AnalyserEntetes()
{
    // The order matters: when a header makes the block unreadable, the fields before it keep
    // their values and the later ones stay empty.
    // Every value read in one pass over the block (a search per name would read it twenty times).
    static constexpr std::string_view kNoms[] = {
        "Content-Type", "Content-Transfer-Encoding", "Content-Disposition", "Subject", "From", "Message-Id",
        "Newsgroups", "To", "Cc", "Organization", "Disposition-Notification-To", "Return-Receipt-To", "References",
        "Reply-To", "Date", "Sender", "Priority", "X-Priority"};
    constexpr std::size_t kNombre = sizeof kNoms / sizeof kNoms[0];
    Texte valeurs[kNombre];
    LireValeursEntetes(Headers, kNoms, kNombre, valeurs);
    auto valeur = [&valeurs](std::string_view nom) -> Texte& {
        for (std::size_t k = 0; k < kNombre; ++k)
            if (kNoms[k] == nom) return valeurs[k];
        throw std::logic_error("ent\xEAte non lu");
    };
    ContentType = valeur("Content-Type");
    CharSet = CharSetDe(ContentType);
    ContentTransferEncoding = valeur("Content-Transfer-Encoding");
    ContentDisposition = valeur("Content-Disposition");
    const bool m = DecodageModerne;
    Subject = DecoderEntete(valeur("Subject"), m);
    From = AnalyserAdresse(DecoderEntete(valeur("From"), m));
    MsgId = valeur("Message-Id");
    NewsGroups = valeur("Newsgroups");
    Recipients = AnalyserListeAdresses(DecoderEntete(valeur("To"), m));
    CCList = AnalyserListeAdresses(DecoderEntete(valeur("Cc"), m));
    Organization = valeur("Organization");
    ReceiptRecipient = AnalyserAdresse(valeur("Disposition-Notification-To"));
    if (TexteAdresse(ReceiptRecipient).empty()) ReceiptRecipient = AnalyserAdresse(valeur("Return-Receipt-To"));
    References = valeur("References");
    ReplyTo = AnalyserListeAdresses(valeur("Reply-To"));
    DateLisible = LireDateInternet(valeur("Date"), Date);
    // The list shows the Sender when the From is empty: decoded like the From in the modern way.
    Sender = AnalyserAdresse(m ? DecoderEnteteModerne(valeur("Sender")) : valeur("Sender"));
    Priority = valeur("Priority");
    if (Priority.empty()) Priority = valeur("X-Priority");
}

}  // namespace vaskor
