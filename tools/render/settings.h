// The plug-in settings of a render: a bank file, a program, a preset file and parameter
// texts, applied to every instance in that order.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/render/plugin_state.h"
#include "tools/render/vst_host.h"

namespace stellix::render {

struct ParamSetting {
  int index;
  float value;  // normalized
};

// Reads "NAME=TEXT" as the user sees parameters (Drive=+6dB, Quantize=on, NoiseShape=type C).
// Throws std::runtime_error listing the valid names or values.
ParamSetting parseSetting(std::string_view arg);
// The parameters a user can set, in table order.
std::vector<int> settableParameters();

struct PluginSettings {
  std::string bankPath, presetPath;
  std::optional<StateBlob> bank, preset;
  std::string program;  // name or index; empty: keep the plug-in's
  std::vector<ParamSetting> parameters;
};

// The names of the plug-in's programs, in its order.
std::vector<std::string> programNames(PluginInstance& plugin);
// Program index for a name (any letter case) or an index; throws listing the names.
int findProgram(PluginInstance& plugin, const std::string& nameOrIndex);
// Applies the settings to a fresh instance; throws std::runtime_error when the plug-in
// does not take them.
void applySettings(PluginInstance& plugin, const PluginSettings& settings);

}  // namespace stellix::render
