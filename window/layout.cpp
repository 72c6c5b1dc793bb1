#include "window/layout.h"

#include <cstring>

namespace window {

const char kCaptionFontFace[] = "MS Sans Serif";

namespace {
using K = ControlKind;
using F = FontKind;
}  // namespace

namespace {
// clang-format off
const ControlSpec kRows[] = {
    {"SName", K::TextBox, false, "", 840, 120, 1695, 285, F::Default, kFirstFieldId + 0, 0},
    {"MName", K::TextBox, false, "", 3600, 120, 1695, 285, F::Default, kFirstFieldId + 1, 0},
    {"Port", K::TextBox, false, "5121", 6120, 120, 735, 285, F::Default, kFirstFieldId + 2, 0},
    {"PVP", K::ComboBox, false, "Full", 720, 600, 855, 315, F::Default, kFirstFieldId + 3, 0},
    {"GType", K::ComboBox, false, "Action", 3240, 600, 1335, 315, F::Default, kFirstFieldId + 4, 0},
    {"Diff", K::ComboBox, false, "Normal", 5760, 600, 1095, 315, F::Default, kFirstFieldId + 5, 0},
    {"Players", K::TextBox, false, "10", 1440, 1080, 375, 285, F::Default, kFirstFieldId + 6, 0},
    {"MinLvl", K::TextBox, false, "1", 3120, 1080, 375, 285, F::Default, kFirstFieldId + 7, 0},
    {"MaxLvl", K::TextBox, false, "40", 4800, 1080, 375, 285, F::Default, kFirstFieldId + 8, 0},
    {"AutoSave", K::TextBox, false, "0", 6480, 1080, 375, 285, F::Default, kFirstFieldId + 9, 0},
    {"PPass", K::TextBox, true, "", 960, 240, 1335, 285, F::Default, kFirstFieldId + 10, 0},
    {"DPass", K::TextBox, true, "GM417", 2880, 240, 1335, 285, F::Default, kFirstFieldId + 11, 0},
    {"APass", K::TextBox, true, "Chief417", 5160, 240, 1335, 285, F::Default, kFirstFieldId + 12, 0},
    {"Pub", K::CheckBox, false, "Public Server", 7320, 120, 975, 375, F::Default, kFirstFieldId + 13, 1},
    {"ELC", K::CheckBox, false, "Enforce Legal Chars", 7320, 600, 1215, 375, F::Default, kFirstFieldId + 14, 1},
    {"ILR", K::CheckBox, false, "Item Level Restrictions", 7320, 1080, 1215, 375, F::Default, kFirstFieldId + 15, 0},
    {"Party", K::CheckBox, false, "One Party", 7320, 1560, 975, 375, F::Default, kFirstFieldId + 16, 0},
    {"Reload", K::CheckBox, false, "Reload When Empty", 7320, 2040, 1215, 375, F::Default, kFirstFieldId + 17, 0},
    {"SVault", K::CheckBox, false, "Server Vault", 7320, 2520, 1095, 375, F::Default, kFirstFieldId + 18, 0},
    {"List1", K::ListBox, false, "", 120, 2400, 6855, 2220, F::LogBold, kListId, 0},
    {"Start", K::Button, false, "Start Server", 7320, 3720, 1215, 375, F::Default, kStartId, 0},
    {"Kill", K::Button, false, "Kill Server", 7320, 4200, 1215, 375, F::Default, kKillId, 0},
    {"cmd", K::Label, false, "", 120, 4800, 8535, 975, F::Default, kCmdId, 0},
    {"Label", K::Label, false, "Server", 120, 120, 735, 255, F::Caption, kFirstLabelId + 0, 0},
    {"Label2", K::Label, false, "Port", 5640, 120, 495, 255, F::Caption, kFirstLabelId + 2, 0},
    {"Label3", K::Label, false, "Max Players", 120, 1080, 1215, 255, F::Caption, kFirstLabelId + 3, 0},
    {"Label4", K::Label, false, "Min Level", 2040, 1080, 975, 255, F::Caption, kFirstLabelId + 4, 0},
    {"Label5", K::Label, false, "Max Level", 3720, 1080, 1095, 255, F::Caption, kFirstLabelId + 5, 0},
    {"Label6", K::Label, false, "PVP", 120, 600, 495, 255, F::Caption, kFirstLabelId + 6, 0},
    {"Label7", K::Label, false, "Game Type", 1920, 600, 1215, 255, F::Caption, kFirstLabelId + 7, 0},
    {"Label8", K::Label, false, "Difficulty", 4920, 600, 1215, 255, F::Caption, kFirstLabelId + 8, 0},
    {"Label9", K::Label, false, "AutoSave", 5400, 1080, 975, 255, F::Caption, kFirstLabelId + 9, 0},
    {"Frame1", K::Frame, false, "Passwords", 120, 1560, 6855, 615, F::Default, kFrameId, 0},
    {"Label10", K::Label, true, "Player", 120, 240, 855, 255, F::Caption, kFirstLabelId + 10, 0},
    {"Label11", K::Label, true, "DM", 2400, 240, 615, 255, F::Caption, kFirstLabelId + 11, 0},
    {"Label12", K::Label, true, "Admin", 4440, 240, 735, 255, F::Caption, kFirstLabelId + 12, 0},
    {"Label13", K::Label, false, "Module", 2760, 120, 735, 255, F::Caption, kFirstLabelId + 13, 0},
    {"Save", K::Button, false, "Save Settings", 7320, 3240, 1215, 375, F::Default, kSaveId, 0},
};
// clang-format on
}  // namespace

const ControlSpec (&kControls)[kControlCount] = kRows;

int TwipsToPixels(int twips, int dpi) { return (twips * dpi + kTwipsPerInch / 2) / kTwipsPerInch; }

const ControlSpec* FindControl(const char* name) {
  for (const ControlSpec& c : kControls)
    if (std::strcmp(c.name, name) == 0) return &c;
  return nullptr;
}

const ControlSpec* CaptionLabel(const ControlSpec& box) {
  if (box.kind != ControlKind::TextBox && box.kind != ControlKind::ComboBox) return nullptr;
  const ControlSpec* nearest = nullptr;
  for (const ControlSpec& c : kControls)
    if (c.kind == ControlKind::Label && c.inFrame == box.inFrame && c.top == box.top &&
        c.left < box.left && (!nearest || c.left > nearest->left))
      nearest = &c;
  return nearest;
}

const char* AccessibleName(const ControlSpec& control) {
  if (control.kind == ControlKind::ListBox) return "Event log";
  const ControlSpec* caption = CaptionLabel(control);
  return caption ? caption->caption : nullptr;
}

namespace {

// Place in twips in the client area, frame offset included.
PixelRect TwipsRect(const ControlSpec& control) {
  int left = control.left, top = control.top;
  if (control.inFrame) {
    const ControlSpec* frame = FindControl("Frame1");
    left += frame->left;
    top += frame->top;
  }
  return {left, top, control.width, control.height};
}

}  // namespace

bool OverlapsNoControl(const ControlSpec& control) {
  // Edges that do not cross in twips do not cross in pixels either: the
  // conversion keeps their order.
  const PixelRect a = TwipsRect(control);
  for (const ControlSpec& other : kControls) {
    if (&other == &control || other.kind == ControlKind::Frame) continue;
    const PixelRect b = TwipsRect(other);
    if (a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
        b.top < a.top + a.height)
      return false;
  }
  return true;
}

PixelRect ClientRect(const ControlSpec& control, int dpi) {
  const PixelRect t = TwipsRect(control);
  // Convert the edges, not the sizes, so neighbours stay flush at any DPI.
  int x = TwipsToPixels(t.left, dpi), y = TwipsToPixels(t.top, dpi);
  return {x, y, TwipsToPixels(t.left + t.width, dpi) - x, TwipsToPixels(t.top + t.height, dpi) - y};
}

}  // namespace window
