// The main window's controls: kind, place in twips, caption and font. The
// table is in tab order; Win32 builds the window from it and tests check it.
#pragma once

#include <cstdint>

namespace window {

enum class ControlKind : std::uint8_t {
  TextBox,
  ComboBox,
  CheckBox,
  Button,
  Label,
  Frame,
  ListBox
};
enum class FontKind : std::uint8_t { Default, Caption, LogBold };

struct ControlSpec {
  const char* name;
  ControlKind kind;
  bool inFrame;                  // position relative to Frame1's top-left corner
  const char* caption;           // caption or initial content
  int left, top, width, height;  // twips
  FontKind font;
  int id;            // control id; setting controls are kFirstFieldId + field
  int initialCheck;  // check boxes only
};

constexpr int kControlCount = 38;  // all but the timer
// Every control, each once; a table of another length does not compile.
extern const ControlSpec (&kControls)[kControlCount];

constexpr int kClientWidthTwips = 8730;
constexpr int kClientHeightTwips = 5835;
constexpr int kTwipsPerInch = 1440;

constexpr int kFirstFieldId = 100;
constexpr int kSaveId = 200, kStartId = 201, kKillId = 202, kListId = 203, kCmdId = 204,
              kFrameId = 205, kFirstLabelId = 300;

// Caption fonts: "MS Sans Serif" 9.75 pt (975 hundredths of a point).
extern const char kCaptionFontFace[];
constexpr int kCaptionFontCentipoints = 975;

struct PixelRect {
  int left, top, width, height;
};

int TwipsToPixels(int twips, int dpi);

// Place in the client area, frame offset included, at the given DPI.
PixelRect ClientRect(const ControlSpec& control, int dpi);

const ControlSpec* FindControl(const char* name);

// The caption of a text or combo box: the nearest label to its left on its
// row, as the eye reads it. Null for other controls.
const ControlSpec* CaptionLabel(const ControlSpec& box);

// Whether the control's place overlaps no other control's, the frame aside,
// at any DPI.
bool OverlapsNoControl(const ControlSpec& control);

// What a screen reader should call a control: a box's caption, the log's own
// name. Null for controls that name themselves.
const char* AccessibleName(const ControlSpec& control);

}  // namespace window
