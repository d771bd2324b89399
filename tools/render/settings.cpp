#include "tools/render/settings.h"

#include <cctype>
#include <stdexcept>

#include "host/parameters.h"

namespace stellix::render {
namespace {

bool sameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

std::string_view trimmed(std::string_view t) {
  while (!t.empty() && std::isspace(static_cast<unsigned char>(t.front()))) t.remove_prefix(1);
  while (!t.empty() && std::isspace(static_cast<unsigned char>(t.back()))) t.remove_suffix(1);
  return t;
}

std::string joined(const std::vector<std::string>& items, const char* separator) {
  std::string out;
  for (const std::string& s : items) out += (out.empty() ? "" : separator) + s;
  return out;
}

StateBlob stateOf(PluginInstance& plugin, const std::string& what) {
  const std::vector<std::uint8_t> chunk = plugin.getChunk();
  if (chunk.empty()) throw std::runtime_error("the plug-in hands out no chunk, so " + what + " cannot be loaded");
  return parseChunk(chunk, plugin.effect().uniqueID);
}

// Loads bank as the plug-in's chunk and reads it back: setChunk's answer alone does not
// tell whether the plug-in kept the values (it undoes a load it finds invalid).
void loadBank(PluginInstance& plugin, const StateBlob& bank, const std::string& what) {
  const std::int32_t id = plugin.effect().uniqueID;
  plugin.setChunk(makeBankChunk(bank, id));
  const std::vector<std::uint8_t> back = plugin.getChunk();
  bool same = false;
  if (!back.empty()) {
    const StateBlob got = parseChunk(back, id);
    same = got.current == bank.current && got.programs.size() == bank.programs.size();
    for (std::size_t p = 0; same && p < bank.programs.size(); ++p) {
      same = got.programs[p].name == bank.programs[p].name;
      for (int i = 0; same && i < kStateParams; ++i) {
        const auto& sent = bank.programs[p].values[i];
        same = !sent || got.programs[p].values[i] == sent;
      }
    }
  }
  if (!same) throw std::runtime_error("the plug-in did not take " + what);
}

}  // namespace

std::vector<int> settableParameters() {
  std::vector<int> out;
  for (int i = 0; i < kParamCount; ++i)
    if (kParams[i].display != Display::None) out.push_back(i);
  return out;
}

ParamSetting parseSetting(std::string_view arg) {
  const std::size_t eq = arg.find('=');
  if (eq == std::string_view::npos) throw std::runtime_error("--set needs NAME=VALUE, got '" + std::string(arg) + "'");
  const std::string_view name = trimmed(arg.substr(0, eq));
  const std::string_view text = arg.substr(eq + 1);
  std::vector<std::string> names;
  for (int i : settableParameters()) {
    names.push_back(kParams[i].name);
    if (!sameIgnoringCase(name, kParams[i].name)) continue;
    const std::optional<float> v = valueFromText(i, text);
    if (!v) {
      throw std::runtime_error("cannot read '" + std::string(text) + "' as " + kParams[i].name +
                               "; valid values: " + acceptedTexts(i));
    }
    return {i, *v};
  }
  throw std::runtime_error("unknown parameter '" + std::string(name) + "'; valid names: " + joined(names, ", "));
}

std::vector<std::string> programNames(PluginInstance& plugin) {
  std::vector<std::string> names;
  std::string name;
  // The host side sees one program, but the plug-in names all of its own.
  constexpr int kMaxPrograms = 1024;
  while (static_cast<int>(names.size()) < kMaxPrograms && plugin.programNameIndexed(static_cast<int>(names.size()), name))
    names.push_back(name);
  return names;
}

int findProgram(PluginInstance& plugin, const std::string& nameOrIndex) {
  const std::vector<std::string> names = programNames(plugin);
  for (std::size_t i = 0; i < names.size(); ++i)
    if (sameIgnoringCase(names[i], trimmed(nameOrIndex))) return static_cast<int>(i);
  const std::string_view t = trimmed(nameOrIndex);
  if (!t.empty() && t.size() < 6 && t.find_first_not_of("0123456789") == std::string_view::npos) {
    const int index = std::stoi(std::string(t));
    if (index < static_cast<int>(names.size())) return index;
  }
  std::vector<std::string> listed;
  for (std::size_t i = 0; i < names.size(); ++i) listed.push_back(std::to_string(i) + " \"" + names[i] + "\"");
  throw std::runtime_error("no program '" + nameOrIndex + "'; programs: " + joined(listed, ", "));
}

void applySettings(PluginInstance& plugin, const PluginSettings& settings) {
  if (settings.bank) {
    StateBlob bank = *settings.bank;
    bank.current = 0;  // as the plug-in's own bank loader: program 0 is current afterwards
    loadBank(plugin, bank, "the bank " + settings.bankPath);
  }
  if (!settings.program.empty()) {
    const int k = findProgram(plugin, settings.program);
    const std::string what = "program " + settings.program;
    if (!plugin.getChunk().empty()) {
      StateBlob state = stateOf(plugin, what);
      state.current = k;
      loadBank(plugin, state, what);
    } else {
      // No chunk: the plug-in's program change, if it has one.
      plugin.dispatch(effSetProgram, 0, k);
      if (plugin.programName() != programNames(plugin)[static_cast<std::size_t>(k)])
        throw std::runtime_error("the plug-in hands out no chunk and ignores program changes: cannot select " + what);
    }
  }
  if (settings.preset) {
    const std::string what = "the preset " + settings.presetPath;
    StateBlob state = stateOf(plugin, what);
    state.programs[static_cast<std::size_t>(state.current)] = settings.preset->programs.at(0);
    loadBank(plugin, state, what);
  }
  for (const ParamSetting& p : settings.parameters) plugin.setParameter(p.index, p.value);
}

}  // namespace stellix::render
