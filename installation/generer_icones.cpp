// Writes the program's icon as PNG files of the hicolor theme, at build time, from the same
// drawing the program uses: generer_icones DOSSIER NOM TAILLE... gives
// DOSSIER/<t>x<t>/apps/NOM.png for each size.

#include "platform/gui/icones.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage : generer_icones DOSSIER NOM TAILLE...\n");
        return 64;
    }
    QGuiApplication app(argc, argv);
    const QString dossier = QString::fromLocal8Bit(argv[1]);
    const QString nom = QString::fromLocal8Bit(argv[2]);
    for (int i = 3; i < argc; ++i) {
        const int taille = QString::fromLatin1(argv[i]).toInt();
        if (taille <= 0) return 64;
        const QString sous = QStringLiteral("%1/%2x%2/apps").arg(dossier).arg(taille);
        if (!QDir().mkpath(sous)) return 1;
        const QString fichier = sous + QLatin1Char('/') + nom + QStringLiteral(".png");
        if (!vaskor::DessinerIcone(vaskor::Dessin::Application, taille).save(fichier, "PNG")) {
            std::fprintf(stderr, "generer_icones : impossible d'écrire %s\n", qPrintable(fichier));
            return 1;
        }
    }
    return 0;
}
