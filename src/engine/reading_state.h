// Working state shared by the passes of one conversion (internal to the engine).
#pragma once

#include <cstdio>

#include "engine/conversion.h"
#include "engine/gedcom_line.h"
#include "platform/line_reader.h"

namespace brimsel {

struct ReadingState {
  GedcomModel& modele;
  DialogServices& dialogue;
  LineReader& lecteur;
  ConversionOptions options;
  const char* chemin = "";  // the file's full name, for the error box
  int lignes = 0;          // line counter of the current pass
  int avantAffichage = 100;  // lines left before the counter is shown again
  bool modifie = false;    // the file no longer matches what pass 1 counted

  // Calls f(line) for each line of the pass and counts the lines; the counter shows every 100.
  template <class F>
  void ForEachLine(F&& f) {
    int n = lignes;
    int avant = avantAffichage;
    lecteur.ForEach([&](Line& line) {
      ++n;
      if (--avant == 0) {
        avant = 100;
        ShowLineCount(n);
      }
      f(line);
      return true;
    });
    lignes = n;
    avantAffichage = avant;
  }
  // The same for a pass that looks only at the lines `choix` selects (and may be handed
  // others): the lines passed over are counted, and the counter shows at the same lines.
  template <class F>
  void ForEachSelectedLine(const LineReader::Selection& choix, F&& f) {
    int n = lignes;
    int avant = avantAffichage;
    lecteur.ForEachSelected(
        choix,
        [&](Line& line) {
          ++n;
          if (--avant == 0) {
            avant = 100;
            ShowLineCount(n);
          }
          f(line);
        },
        [&](std::size_t passees) {
          while (passees >= static_cast<std::size_t>(avant)) {
            passees -= static_cast<std::size_t>(avant);
            n += avant;
            avant = 100;
            ShowLineCount(n);
          }
          n += static_cast<int>(passees);
          avant -= static_cast<int>(passees);
        });
    lignes = n;
    avantAffichage = avant;
  }
  void ShowLineCount(int valeur);
  void Message(const char* format, ...) __attribute__((format(printf, 2, 3)));
  void Statut(const char* texte) { dialogue.SetStatus(true, texte); }
};

// Pass 1: counts records and notes. False when the file holds no individual.
void CountRecords(ReadingState& l);
// Allocates the model's arrays at the sizes that pass 1 counted.
void AllocateRecords(GedcomModel& m);
// Pass 2: fills the records.
void FillRecords(ReadingState& l);
// Code resolution, pass 3, added individuals, counts and summary.
void ResolveCodes(ReadingState& l);
void CheckLinks(ReadingState& l);
void AddMissingSpouses(ReadingState& l);
void ShowCounts(ReadingState& l);

}  // namespace brimsel
