// Feeds arbitrary bytes to every reader of data from outside: the host chunk, the preset and
// bank file loaders (plain and endian-reversed) and the loaders of stored defaults. Besides
// the sanitizers it checks that a refused chunk changes nothing and that the bank the effect
// ends with still goes through a chunk round trip unchanged.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include "host/plugin.h"

namespace {

VstIntPtr VST_CALL fuzzHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
  return opcode == audioMasterVersion ? 2400 : 0;
}

using Bytes = std::vector<std::uint8_t>;

Bytes bankImage(Plugin& p) {
  const auto* b = reinterpret_cast<const std::uint8_t*>(p.bank());
  return Bytes(b, b + sizeof(stellix::ProgramRecord) * stellix::kNumPrograms);
}

Bytes chunkOf(Plugin& p) {
  void* data = nullptr;
  const VstInt32 size = p.getChunk(&data, false);
  const auto* c = static_cast<const std::uint8_t*>(data);
  return size > 0 && c ? Bytes(c, c + size) : Bytes();
}

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "preset_fuzzer: %s\n", what);
  std::abort();
}

Plugin& effect() {
  static Plugin* plugin = new Plugin(fuzzHost);  // kept for the whole run
  return *plugin;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The effect reads and writes the per-user store: give it an empty one of its own.
  static char folder[] = "/tmp/stellix-fuzz-XXXXXX";
  if (::mkdtemp(folder)) {
    ::setenv("XDG_CONFIG_HOME", folder, 1);
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(folder, ec);
    });
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Plugin& plugin = effect();
  CPresetSystemEditor& editor = plugin.presetSystemEditor();
  Bytes input(data, data + size);  // exactly size bytes: a read beyond them is caught

  const Bytes before = bankImage(plugin);
  const int current = plugin.getCurrentProgramIndex();
  if (plugin.setChunk(input.data(), static_cast<VstInt32>(input.size()), false) != 0) {
    if (bankImage(plugin) != before || plugin.getCurrentProgramIndex() != current)
      fail("a refused chunk changed the bank");
  }
  for (bool reversed : {false, true}) {
    editor.loadPresetData(input.data(), input.size(), reversed);
    editor.loadBankData(input.data(), input.size(), reversed);
  }
  editor.loadStoredBank(input.data(), input.size());
  editor.loadStoredPreset(input.data(), input.size());

  // Whatever was loaded, what the effect writes it reads back, and writes again the same.
  Bytes chunk = chunkOf(plugin);
  if (chunk.empty()) fail("no chunk");
  if (plugin.setChunk(chunk.data(), static_cast<VstInt32>(chunk.size()), false) != 0) fail("own chunk refused");
  if (chunkOf(plugin) != chunk) fail("chunk round trip changed the bank");
  return 0;
}
