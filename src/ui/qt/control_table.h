// The control panel's controls as constant data: the template "DlgTarvel" and those added after.
#pragma once

#include <array>
#include <cstddef>

namespace brimsel::qt {

// What a control is; each kind maps to one widget class of the panel.
enum class ControlKind {
  kPush,         // push button
  kPushCentred,  // push button, text centred
  kCheck,        // auto check box
  kGroup,        // group box (a frame with a title, not a container)
  kOwnerDrawn,   // the progress swatch
  kCount,        // read-only, right-aligned field filled by the conversion
  kInput,        // editable, right-aligned number field
  kLine,         // editable, left-aligned field (the status line)
  kLabel,        // static text
  kRule,         // etched horizontal line
  kList,         // the message list
  kCombo,        // drop-down list: the character sets of kCharsetChoices after "Automatique"
};

// One control of the template. Geometry in dialog units; text in Windows-1252 bytes.
struct ControlRow {
  int id;  // -1 for a control that nothing addresses
  ControlKind kind;
  const char* text;
  int x, y, w, h;
};

inline constexpr int kPanelWidthDu = 254;
inline constexpr int kPanelHeightDu = 286;
inline constexpr std::size_t kControlCount = 76;

// The controls in template order: creation order, tab order, and (first on top) stacking order.
extern const std::array<ControlRow, kControlCount> kPanelControls;

// The template entry of `id`, or nullptr when no control carries it (or for -1).
const ControlRow* FindControl(int id);

// Every identifier other than -1 appears once. The panel refuses to build from a table that
// breaks this, since the services address controls by identifier.
bool ControlTableIsConsistent();

}  // namespace brimsel::qt
