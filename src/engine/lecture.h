// Working state shared by the passes of one conversion (internal to the engine).
#pragma once

#include <cstdio>

#include "engine/conversion.h"
#include "engine/gedcom_line.h"
#include "platform/line_reader.h"

namespace brimsel {

struct Lecture {
  GedcomFichier& modele;
  DialogServices& dialogue;
  LineReader& lecteur;
  OptionsConversion options;
  const char* chemin = "";  // the file's full name, for the error box
  int lignes = 0;          // line counter of the current pass
  int avantAffichage = 100;  // lines left before the counter is shown again
  bool modifie = false;    // the file no longer matches what pass 1 counted

  // Reads the next line and counts it; the counter shows every 100 lines.
  bool LigneSuivante(Line& line) {
    if (!lecteur.Next(line)) return false;
    ++lignes;
    if (--avantAffichage == 0) {
      avantAffichage = 100;
      AfficheCompteur(lignes);
    }
    return true;
  }
  void AfficheCompteur(int valeur);
  void Message(const char* format, ...) __attribute__((format(printf, 2, 3)));
  void Statut(const char* texte) { dialogue.SetStatus(true, texte); }
};

// Pass 1: counts records and notes. False when the file holds no individual.
void Passe1(Lecture& l);
// Allocates the model's arrays at the sizes that pass 1 counted.
void AlloueTableaux(GedcomFichier& m);
// Pass 2: fills the records.
void Passe2(Lecture& l);
// Code resolution, pass 3, added individuals, counts and summary.
void ResoutCodes(Lecture& l);
void Passe3(Lecture& l);
void AjouteConjoints(Lecture& l);
void AfficheComptes(Lecture& l);

}  // namespace brimsel
