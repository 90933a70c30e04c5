#pragma once
// The settings record and its file, vaskor.ini in the program folder. The key names keep their
// accents in the file ("ContrôleAuto"); the fields drop them ("ControleAuto"), so that every
// editor and keyboard can type them.

#include "core/compte.h"
#include "core/fichiers.h"
#include "core/texte.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace vaskor {

inline constexpr std::string_view kNomFichierConfig = "vaskor.ini";

// Section names, code page 1252.
inline const Texte kSectionGeneral = "G\xE9n\xE9ral";
inline const Texte kSectionMessages = "Messages";
inline const Texte kSectionFiltrage = "Filtrage";
inline const Texte kSectionSons = "Sons";
inline const Texte kSectionEntetes = "Ent\xEAtes";

// Two keys of "Général" that the program only tests for presence and never writes.
inline const Texte kCleAutoriserReponse = "AutoriserR\xE9ponse";
inline const Texte kCleAutoriserEnregistrementPJ = "AutoriserEnregistrementPJ";

// Created with everything false, zero and empty; ChargerConfig gives it the file's values or the
// defaults (ConfigParDefaut).
struct TConfig {
    bool FiltresExpActif = false;       // Filtrage, 1
    bool FiltresSujetActif = false;     // Filtrage, 1
    bool FiltresEnteteActif = false;    // Filtrage, 1
    bool ControlerAuLancement = false;  // Général, 0
    bool QueLesMailsDesAmis = false;    // Filtrage, 0
    bool JouerSons = false;             // Général, 1
    bool SonsParDef = false;            // Sons, 1
    bool AutoRun = false;               // Général, 0
    bool MasquerAuLancement = false;    // Général, 0
    bool DeconnexionInternet = false;   // Général, 1
    bool PasserTailleMax = false;       // Messages, 1
    bool ControlerA = false;            // "ContrôlerA", Général, 0: daily at HeureCtrl rather than every N minutes
    bool ControleAuto = false;          // "ContrôleAuto", Général, 0
    bool AllowSavePJ = false;           // Messages, 0
    bool DoubleClicEditer = false;      // Général, 0
    bool ApercuPlainText = false;       // Messages, 1
    bool DecodageModerne = false;       // "DecodageModerne", Messages, 1: headers decoded as today's mail readers do (UTF-8)
    std::int32_t FrequenceControleAuto = 0;  // "FréquenceContrôleAuto", Général, 30 minutes, 1..120
    std::int32_t NbLignesSvg = 0;            // Messages, 100, at most 1500
    std::int32_t ActionParDefaut = 0;        // "ActionParDéfaut", Filtrage, 0..2
    std::int32_t TaillePasserMessage = 0;    // Messages, 300 (units of 1000 bytes), 10..15000
    std::vector<Texte> Entetes;              // the key names of the section "Entêtes", in file order
    Texte MsgOK;                             // Sons, wave file names
    Texte MsgAMarquer;
    Texte MsgAEffacer;
    Texte HeureCtrl;                         // Général, "19:00", not checked here

    // The size limit in bytes.
    std::int64_t TailleMaxOctets() const { return std::int64_t(TaillePasserMessage) * 1000; }
};

// What the loading rules need to know about the computer and the account list.
struct EnvironnementConfig {
    bool sortieSonPresente = true;     // at least one wave output device
    bool compteEnControleAuto = true;  // an account of the list has ControleAuto set
};
bool UnCompteEnControleAuto(const ListeComptes& comptes);

// Every field at its default, as a missing settings file gives.
TConfig ConfigParDefaut();

class FichierIni;
// Reads every key with its default, then applies the loading rules. `dossierSons` is the folder
// against which relative sound file names are looked for.
void LireConfig(const FichierIni& ini, TConfig& config, const EnvironnementConfig& env, const fs::path& dossierSons);
// Writes every field in the file's order, then the section "Entêtes" anew (names that cannot
// stand as a key, or repeated, are left out).
void EcrireConfig(const TConfig& config, FichierIni& ini);

// The settings file of a program folder, whatever the letter case of its name.
fs::path CheminConfig(const fs::path& dossier);

// Loads the folder's settings file into `config`. A missing file gives the defaults and no
// error; an unreadable one gives the defaults and the reason to show.
ResultatFichier ChargerConfig(const fs::path& dossier, TConfig& config, const EnvironnementConfig& env);

// Writes every field into the folder's settings file, keeping its other lines. The file is read
// again first; when it exists but cannot be read it is left alone and the reason is returned,
// so that a save never drops lines it could not see. Nothing is written when the file would not
// change.
// With `lue`, the settings as the program last read or wrote them, only the fields that differ
// from it are written: a setting changed in the file meanwhile by another program or an editor
// is not put back to this program's older value.
ResultatFichier EnregistrerConfig(const fs::path& dossier, const TConfig& config, const TConfig* lue = nullptr);

// Has the settings file the key in the section (any value)? Read from the file at each call.
bool ParametrePresent(const fs::path& dossier, std::string_view section, std::string_view cle);

}  // namespace vaskor
