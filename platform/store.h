// Per-user settings store: texts addressed by application, section and key.
#pragma once

#include <memory>
#include <string>

namespace platform {

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  // The stored text, or fallback when the key, section or application is
  // missing. A value stored as something other than text also reads as
  // fallback, and *foreign then describes it ("REG_DWORD 5"); else it is empty.
  virtual std::string Read(const std::string& app, const std::string& section,
                           const std::string& key, const std::string& fallback,
                           std::string* foreign) = 0;
  // Creates application and section as needed. On failure returns false and
  // puts the system's reason into *error.
  virtual bool Write(const std::string& app, const std::string& section, const std::string& key,
                     const std::string& value, std::string* error) = 0;
};

// HKEY_CURRENT_USER\Software\VB and VBA Program Settings\<app>\<section>,
// one REG_SZ value per key: the classic home of a program's own settings.
std::unique_ptr<SettingsStore> CreateRegistryStore();
extern const char kRegistryRoot[];

}  // namespace platform
