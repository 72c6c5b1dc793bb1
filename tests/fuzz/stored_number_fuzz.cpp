// Any stored bytes, read back for each list and check setting: a value that
// the control accepts, or nothing (the field's default), never a crash. A
// value found saves as a text that loads back as the same value.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "settings/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string stored(reinterpret_cast<const char*>(data), size);
  for (int field = 0; field < settings::kFieldCount; ++field) {
    const settings::FieldInfo& info = settings::Info(field);
    if (info.kind == settings::Kind::Text) continue;
    std::optional<int16_t> value = settings::ParseStoredNumber(field, stored);
    if (!value) continue;
    const bool accepted = info.kind == settings::Kind::ListIndex
                              ? *value >= -1 && *value < info.choiceCount
                              : *value >= 0 && *value <= 2;
    if (!accepted) std::abort();
    if (settings::ParseStoredNumber(field, settings::DecimalText(*value)) != value) std::abort();
  }
  return 0;
}
