// Names in the per-user store: the plug-in's key, its values and the metering preferences.
#pragma once

namespace stellix::store {

constexpr const char* kKey = "SOFTWARE\\Korvan\\Korvanstellix";
constexpr const char* kPrefsKey = "SOFTWARE\\Korvan\\Korvanstellix\\PREFS";

// Blobs with the content of a bank or preset file.
constexpr const char* kDefaultBank = "DefaultBank";
constexpr const char* kDefaultPreset = "DefaultPreset";
constexpr const char* kMemoA = "MemoA";
constexpr const char* kMemoB = "MemoB";
// The remembered folder and file names of the file operations.
constexpr const char* kCurrDir = "CurrDir";
constexpr const char* kCurrBank = "CurrBank";
constexpr const char* kCurrPreset = "CurrPreset";
// Put there by the installation; only read.
constexpr const char* kManualPath = "ManualPath";

// Display settings that outlive the session, each a step index under kPrefsKey.
struct MeteringPreference {
  const char* name;
  int parameter;
  int steps;
};
constexpr MeteringPreference kMeteringPreferences[] = {
    {"Metering_Scale", 9, 3},    {"Metering_Type", 18, 2},  {"Metering_Zoom", 19, 2},
    {"Metering_AttShow", 20, 8}, {"Metering_Recon", 14, 2}, {"Metering_Post", 21, 2},
};

}  // namespace stellix::store
