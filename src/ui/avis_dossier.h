#pragma once
// The notice shown when a portable copy's folder cannot be written and the data live in the
// fallback folder instead.

#include "platform/base/dossiers.h"

class QWidget;

namespace vaskor {

class BoitesMessage;

// Tells the user once per set-aside folder, in an "Information" box, where the data are kept
// and why; remembered in the settings file of the folder used ([Général] DossierEcarteSignale).
// Returns whether the box was shown.
bool SignalerDossierEcarte(QWidget* parent, BoitesMessage& boites, const ResultatDossier& dossier);

}  // namespace vaskor
