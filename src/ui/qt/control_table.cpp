// The dialog template "DlgTarvel" as data, transcribed in template order.
#include "ui/qt/control_table.h"

#include <set>

namespace brimsel::qt {

const std::array<ControlRow, kControlCount> kPanelControls = {{
    {501, ControlKind::kPush, "Fichier...", 4, 16, 40, 14},
    {503, ControlKind::kPush, "Convertir...", 141, 16, 39, 14},
    {520, ControlKind::kCount, "", 141, 70, 27, 12},
    {510, ControlKind::kCount, "", 30, 63, 30, 12},
    {537, ControlKind::kCount, "", 57, 16, 33, 12},
    {-1, ControlKind::kGroup, "Union", 136, 51, 112, 95},
    {561, ControlKind::kList, "", 4, 233, 244, 52},
    {565, ControlKind::kOwnerDrawn, "", 203, 17, 15, 12},
    {566, ControlKind::kLabel, "", 6, 2, 200, 8},
    {517, ControlKind::kLabel, "", 210, 2, 52, 8},
    {563, ControlKind::kPush, "?", 227, 17, 21, 12},
    {560, ControlKind::kLine, "", 4, 36, 244, 12},
    {-1, ControlKind::kLabel, "total", 10, 64, 18, 8},
    {511, ControlKind::kCount, "", 53, 94, 30, 12},
    {515, ControlKind::kCount, "", 53, 122, 30, 12},
    {-1, ControlKind::kLabel, "naissance", 10, 96, 36, 8},
    {-1, ControlKind::kLabel,
     "d\xE9"
     "c\xE8"
     "s",
     13, 125, 28, 8},
    {-1, ControlKind::kLabel, "lieu", 216, 103, 21, 8},
    {521, ControlKind::kCount, "", 171, 114, 30, 12},
    {522, ControlKind::kCount, "", 210, 114, 30, 12},
    {-1, ControlKind::kLabel, "date", 175, 103, 22, 8},
    {-1, ControlKind::kLabel, "lieu", 99, 83, 20, 8},
    {-1, ControlKind::kLabel, "date", 60, 83, 20, 8},
    {512, ControlKind::kCount, "", 92, 94, 30, 12},
    {516, ControlKind::kCount, "", 92, 122, 30, 12},
    {513, ControlKind::kCount, "", 91, 63, 30, 12},
    {-1, ControlKind::kLabel, "parent", 67, 64, 20, 8},
    {508, ControlKind::kCount, "", 53, 107, 30, 12},
    {509, ControlKind::kCount, "", 92, 107, 30, 12},
    {-1, ControlKind::kLabel,
     "bapt\xEA"
     "me",
     11, 110, 34, 8},
    {-1, ControlKind::kRule, "Frame1", 4, 81, 124, 1},
    {-1, ControlKind::kLabel,
     "d\xE9"
     "but",
     142, 115, 24, 8},
    {-1, ControlKind::kLabel, "fin", 146, 130, 22, 8},
    {-1, ControlKind::kRule, "Frame2", 136, 99, 112, 1},
    {524, ControlKind::kCount, "", 210, 130, 30, 12},
    {523, ControlKind::kCount, "", 171, 130, 30, 12},
    {-1, ControlKind::kLabel, "erreurs", 95, 17, 28, 9},
    {-1, ControlKind::kGroup, "Note", 4, 161, 124, 34},
    {550, ControlKind::kCount, "", 50, 178, 30, 12},
    {551, ControlKind::kCheck, "inclure", 9, 177, 39, 12},
    {540, ControlKind::kCount, "", 157, 167, 30, 12},
    {585, ControlKind::kCount, "", 212, 182, 30, 12},
    {-1, ControlKind::kLabel, "QUAY", 134, 168, 24, 8},
    {552, ControlKind::kCount, "", 88, 178, 30, 12},
    {-1, ControlKind::kLabel, " INDI", 54, 168, 24, 8},
    {-1, ControlKind::kLabel, "FAM", 94, 168, 22, 8},
    {-1, ControlKind::kLabel, "err FAMS", 140, 87, 32, 8},
    {580, ControlKind::kCount, "", 174, 70, 27, 12},
    {581, ControlKind::kCount, "", 212, 70, 27, 12},
    {582, ControlKind::kCount, "", 174, 84, 27, 12},
    {583, ControlKind::kCount, "", 212, 84, 27, 12},
    {-1, ControlKind::kLabel, "total", 144, 59, 24, 8},
    {-1, ControlKind::kLabel, "H", 184, 59, 16, 8},
    {-1, ControlKind::kLabel, "F", 220, 60, 12, 8},
    {584, ControlKind::kCount, "", 168, 182, 30, 12},
    {-1, ControlKind::kLabel, "err CHIL", 136, 185, 28, 8},
    {543, ControlKind::kCount, "", 218, 166, 30, 12},
    {-1, ControlKind::kLabel, "SOUR", 193, 167, 24, 8},
    {554, ControlKind::kCheck, "nb ref", 8, 200, 32, 12},
    {555, ControlKind::kCheck, "OEM => ANSI", 43, 200, 60, 12},
    {556, ControlKind::kCheck, "Nom Propre", 8, 213, 52, 12},
    {400, ControlKind::kInput, "1", 176, 213, 28, 12},
    {401, ControlKind::kInput, "1", 212, 213, 28, 12},
    {402, ControlKind::kInput, "", 136, 213, 28, 12},
    {-1, ControlKind::kLabel, "Indi", 140, 204, 20, 8},
    {-1, ControlKind::kLabel, "FAM +", 216, 202, 24, 8},
    {-1, ControlKind::kLabel, "INDI+", 180, 202, 24, 8},
    {405, ControlKind::kPushCentred, "Capital...", 63, 212, 32, 14},
    {-1, ControlKind::kGroup, "Individu", 4, 52, 128, 108},
    {518, ControlKind::kCount, "", 92, 137, 30, 12},
    {519, ControlKind::kCount, "", 54, 137, 30, 12},
    {-1, ControlKind::kLabel,
     "s\xE9"
     "pulture",
     12, 138, 32, 8},
    {406, ControlKind::kPushCentred, "Strip", 100, 211, 32, 14},
    // Added after the template's own controls, in the free band under the group "Union".
    {-1, ControlKind::kLabel,
     "Jeu de caract\xE8"
     "res",
     134, 151, 56, 8},
    {571, ControlKind::kCombo, "", 190, 148, 58, 12},
    // Beside "nb ref" and "OEM => ANSI", unticked at start.
    {557, ControlKind::kCheck, "SQLite", 104, 200, 32, 11},
}};

const ControlRow* FindControl(int id) {
  if (id == -1) return nullptr;
  for (const ControlRow& row : kPanelControls) {
    if (row.id == id) return &row;
  }
  return nullptr;
}

bool ControlTableIsConsistent() {
  std::set<int> seen;
  for (const ControlRow& row : kPanelControls) {
    if (row.id != -1 && !seen.insert(row.id).second) return false;
  }
  return true;
}

}  // namespace brimsel::qt
