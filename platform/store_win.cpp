#include <windows.h>

#include <string>

#include "platform/handles_win.h"
#include "platform/shell.h"
#include "platform/store.h"

namespace platform {

const char kRegistryRoot[] = "Software\\VB and VBA Program Settings";

namespace {

std::string KeyPath(const std::string& app, const std::string& section) {
  return std::string(kRegistryRoot) + "\\" + app + "\\" + section;
}

// A value that is not REG_SZ, as the operator would recognise it in regedit.
std::string Describe(DWORD type, const std::string& data) {
  switch (type) {
    case REG_DWORD: {
      DWORD number = 0;
      data.copy(reinterpret_cast<char*>(&number), sizeof number);
      return "REG_DWORD " + std::to_string(number);
    }
    case REG_EXPAND_SZ:
    case REG_MULTI_SZ:
      return std::string(type == REG_EXPAND_SZ ? "REG_EXPAND_SZ " : "REG_MULTI_SZ ") +
             data.substr(0, data.find('\0'));
    case REG_BINARY:
      return "REG_BINARY, " + std::to_string(data.size()) + " bytes";
    default:
      return "registry type " + std::to_string(type) + ", " + std::to_string(data.size()) +
             " bytes";
  }
}

class RegistryStore : public SettingsStore {
 public:
  std::string Read(const std::string& app, const std::string& section, const std::string& key,
                   const std::string& fallback, std::string* foreign) override {
    foreign->clear();
    UniqueKey k;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, KeyPath(app, section).c_str(), 0, KEY_QUERY_VALUE,
                        k.put()) != ERROR_SUCCESS)
      return fallback;
    // Asked for its size, then read; another copy of Vigilo may lengthen it
    // in between, so ask again until it fits.
    DWORD type = 0, size = 0;
    std::string value;
    for (;;) {
      const LONG status =
          ::RegQueryValueExA(k.get(), key.c_str(), nullptr, &type,
                             value.empty() ? nullptr : reinterpret_cast<BYTE*>(&value[0]), &size);
      const bool sizeOnly = status == ERROR_SUCCESS && value.empty() && size != 0;
      if (status != ERROR_MORE_DATA && !sizeOnly) {
        if (status != ERROR_SUCCESS) return fallback;
        break;
      }
      value.assign(size, '\0');
    }
    value.resize(size);
    if (type != REG_SZ) {
      *foreign = Describe(type, value);
      return fallback;
    }
    // The stored terminator, if any, is not part of the text.
    size_t nul = value.find('\0');
    if (nul != std::string::npos) value.resize(nul);
    return value;
  }

  bool Write(const std::string& app, const std::string& section, const std::string& key,
             const std::string& value, std::string* error) override {
    UniqueKey k;
    LONG status = ::RegCreateKeyExA(HKEY_CURRENT_USER, KeyPath(app, section).c_str(), 0, nullptr, 0,
                                    KEY_SET_VALUE, nullptr, k.put(), nullptr);
    if (status == ERROR_SUCCESS)
      status = ::RegSetValueExA(k.get(), key.c_str(), 0, REG_SZ,
                                reinterpret_cast<const BYTE*>(value.c_str()),
                                static_cast<DWORD>(value.size()) + 1);
    if (status != ERROR_SUCCESS) {
      *error = ErrorText(static_cast<unsigned long>(status));
      return false;
    }
    return true;
  }
};

}  // namespace

std::unique_ptr<SettingsStore> CreateRegistryStore() { return std::make_unique<RegistryStore>(); }

}  // namespace platform
