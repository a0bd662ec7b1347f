// libFuzzer target: the settings file reader and the score record decoder
// over arbitrary file contents.
#include <cstddef>
#include <cstdint>
#include <string>

#include "persist/high_score_table.h"
#include "persist/preferences.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  PreferencesReader file(std::string_view(reinterpret_cast<const char*>(data), size));
  static const char* const kKeys[] = {"smoothing", "scanlines", "stretch",  "trails", "60hzmode",
                                      "mousesens", "volume",    "joystick", "music"};
  uint32_t sum = 0;
  for (const char* key : kKeys) sum += static_cast<uint32_t>(file.ReadInteger(key, 1));
  HighScoreTable table;
  for (int i = 1; i <= 8; ++i) {
    std::string plain = DecodeScoreRecord(file.ReadString("score0" + std::to_string(i), ""));
    if (plain != "%err%") SetEntryFromRecord(table, i, plain, true);
  }
  // A decoded record coded again must decode to itself.
  std::string again = DecodeScoreRecord(EncodeScoreRecordWithKey(table.hsNames[1], 1 + static_cast<int32_t>(sum % 999)));
  if (again != table.hsNames[1]) __builtin_trap();
  return 0;
}
