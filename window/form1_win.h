// The main window: the nineteen setting controls, the log, the buttons and
// the command line, with the handlers their notifications run.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "platform/handles_win.h"
#include "platform/process.h"
#include "platform/store.h"
#include "platform/timer.h"
#include "platform/window_list.h"
#include "settings/settings.h"
#include "supervision/supervisor.h"
#include "window/event_log.h"
#include "window/layout.h"

namespace window {

extern const char kFormCaption[];  // "Vigilo v1.0 by Valmo"
extern const char kAppTitle[];     // "Vigilo"
extern const char kMissingServerMessage[];
// The id of the watchdog's WM_TIMER.
constexpr unsigned kTimer1Id = 1;

class Form1 : private settings::SettingsView, private supervision::Host, private window::LogList {
 public:
  Form1();
  ~Form1() override;
  Form1(const Form1&) = delete;
  Form1& operator=(const Form1&) = delete;

  // Builds the hidden window with its design-time controls.
  bool Create(HINSTANCE instance);
  // False when the program must end (not in the server's folder).
  bool Form_Load();
  void Show(int showCommand);
  HWND hwnd() const { return hwnd_; }

  int32_t KillProcess(int32_t hProcessID, int32_t ExitCode);

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
  void OnCommand(int id, int code);
  void OnDpiChanged(int dpi, const RECT* suggested);
  struct Fonts {
    platform::UniqueFont normal, caption, log;
  };
  static SIZE FrameSize(int dpi);  // the window for the client area at that DPI
  static Fonts MakeFonts(int dpi);
  static int WindowHeight(const ControlSpec& spec, const PixelRect& r);
  void CreateControls();
  void CreateControl(int index, HINSTANCE instance);
  HFONT FontFor(const ControlSpec& spec) const;
  void FitCombo(HWND combo, int height);
  void LayOut();  // new fonts for dpi_, every control placed, the old fonts deleted
  HWND FieldControl(int field) const { return controls_[field]; }

  // Handlers, named after control and notification; each is thin.
  void SName_Change() { BuildCommandLine(); }
  void MName_Change() { BuildCommandLine(); }
  void Port_Change() { BuildCommandLine(); }
  void Players_Change() { BuildCommandLine(); }
  void MinLvl_Change() { BuildCommandLine(); }
  void MaxLvl_Change() { BuildCommandLine(); }
  void AutoSave_Change() { BuildCommandLine(); }
  void PPass_Change() { BuildCommandLine(); }
  void DPass_Change() { BuildCommandLine(); }
  void APass_Change() { BuildCommandLine(); }
  void PVP_Click() { BuildCommandLine(); }
  void GType_Click() { BuildCommandLine(); }
  void Diff_Click() { BuildCommandLine(); }
  void Pub_Click() { BuildCommandLine(); }
  void ELC_Click() { BuildCommandLine(); }
  void ILR_Click() { BuildCommandLine(); }
  void Party_Click() { BuildCommandLine(); }
  void Reload_Click() { BuildCommandLine(); }
  void SVault_Click() { BuildCommandLine(); }
  void Save_Click() { SaveSettings(); }
  void Start_Click() { supervisor_->Start_Click(); }
  void Kill_Click() { supervisor_->Kill_Click(); }
  void Timer1_Timer() { supervisor_->Timer1_Timer(); }

  // The setting's own notification handler, as assigning from code raises it.
  void RaiseSettingHandler(int field);

  void BuildCommandLine();
  void LoadSettings();
  void SaveSettings();
  void LogEvent(const std::string& text) override;

  // settings::SettingsView
  std::string Text(int field) const override;
  void SetText(int field, const std::string& text) override;
  int16_t Number(int field) const override;
  void SetNumber(int field, int16_t value) override;
  // supervision::Host
  std::string CommandLine() const override;
  std::string ServerName() const override;
  // window::LogList
  int Count() const override;
  void RemoveFirst() override;
  void Append(const std::string& line) override;
  void Select(int index) override;

  HWND hwnd_ = nullptr;
  HWND controls_[kControlCount] = {};
  HWND cmd_ = nullptr, list1_ = nullptr;  // the command line and the log, used by name
  HWND lastFocus_ = nullptr;              // the focused control when the form lost the activation
  bool built_ = false;
  bool loading_ = false;  // settings being read: the command line is built after
  int dpi_ = 96;
  Fonts fonts_;
  std::string appName_;
  std::unique_ptr<platform::SettingsStore> store_;
  std::unique_ptr<platform::ProcessApi> processes_;
  std::unique_ptr<platform::WindowList> windows_;
  std::unique_ptr<platform::Timer> timer1_;
  std::unique_ptr<supervision::Supervisor> supervisor_;
};

// Text of a window of this process, any length.
std::string WindowText(HWND window);

}  // namespace window
