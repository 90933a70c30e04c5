#pragma once
// The e-mail addresses of vCard files (.vcf), the form in which Linux address books export their
// contacts: versions 2.1, 3.0 and 4.0, folded lines, EMAIL with any parameters or a group prefix
// (item1.EMAIL), quoted-printable or base64 values, UTF-8 or a named character set, several
// cards per file.

#include <QString>
#include <QStringList>

#include <string_view>

namespace vaskor {

struct ContactVCard {
    QString nom;           // FN, or N when there is no FN; may be empty
    QStringList adresses;  // the EMAIL values, in card order, trimmed, without "mailto:"
};

// Every card of the text, in file order. Lines outside BEGIN:VCARD ... END:VCARD are ignored; a
// last card without END still counts. Never fails: what cannot be read is left out.
QList<ContactVCard> LireVCard(std::string_view octets);

}  // namespace vaskor
