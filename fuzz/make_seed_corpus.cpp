// Writes the fuzzer's seed corpus: chunks, preset and bank blobs in the current and the
// legacy layouts, each in native and in reversed byte order. Usage: make_seed_corpus <folder>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "host/plugin.h"
#include "presets/record_blob.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
namespace blob = stellix::blob;

VstIntPtr VST_CALL seedHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
  return opcode == audioMasterVersion ? 2400 : 0;
}

void swap4(Bytes& b, std::size_t at) {
  std::swap(b[at], b[at + 3]);
  std::swap(b[at + 1], b[at + 2]);
}

void reverseRecordBlob(Bytes& b, std::size_t at) {
  swap4(b, at);
  for (int i = 0; i < 9; ++i) swap4(b, at + 5 + 4 * i);
  for (std::size_t p = at + blob::kHeaderBytes; p + blob::kRecordHeadBytes <= b.size();) {
    std::int32_t type, length;
    std::memcpy(&type, &b[p], 4);
    std::memcpy(&length, &b[p + 4], 4);
    for (int i = 0; i < 3; ++i) swap4(b, p + 4 * i);
    if (type == blob::kValueRecord)
      for (int i = 0; i < 5; ++i) swap4(b, p + 12 + 4 * i);
    p += blob::kRecordHeadBytes + static_cast<std::size_t>(length);
  }
}

// Raw program entries after a head of headBytes bytes whose numbers are swapped too.
Bytes rawEntries(const Bytes& head, const stellix::ProgramRecord* programs, int count, bool reversed,
                 std::size_t numbersInHead) {
  Bytes b = head;
  const auto* p = reinterpret_cast<const std::uint8_t*>(programs);
  b.insert(b.end(), p, p + count * sizeof(stellix::ProgramRecord));
  if (reversed) {
    for (std::size_t i = 0; i < numbersInHead; ++i) swap4(b, 4 * i);
    for (int i = 0; i < count; ++i)
      for (int j = 0; j < stellix::kNumParams; ++j)
        swap4(b, head.size() + i * sizeof(stellix::ProgramRecord) + 24 + 4 * j);
  }
  return b;
}

Bytes ints(std::initializer_list<std::int32_t> values) {
  Bytes b;
  for (std::int32_t v : values) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(&v);
    b.insert(b.end(), p, p + 4);
  }
  return b;
}

bool writeSeed(const std::string& folder, const std::string& name, const Bytes& b) {
  std::FILE* f = std::fopen((folder + "/" + name).c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(b.data(), 1, b.size(), f) == b.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_seed_corpus <folder>\n");
    return 2;
  }
  char store[] = "/tmp/stellix-seed-XXXXXX";
  if (!::mkdtemp(store)) return 1;
  ::setenv("XDG_CONFIG_HOME", store, 1);
  std::vector<std::pair<std::string, Bytes>> seeds;
  {
    Plugin plugin(seedHost);
    plugin.selectProgram(10);
    CPresetSystemEditor& editor = plugin.presetSystemEditor();
    const std::int32_t id = plugin.getUniqueId();
    const Bytes bank = editor.writeBank(), preset = editor.writePreset();
    Bytes chunk = ints({blob::kChunkTag, id});
    chunk.insert(chunk.end(), bank.begin(), bank.end());
    const Bytes legacyChunkHead = ints({blob::kLegacyChunkTag, id, stellix::kNumPrograms, 3, 0, 0, 0, 0});
    Bytes idAndType = ints({id});
    idAndType.push_back(0);
    for (bool reversed : {false, true}) {
      const std::string suffix = reversed ? "-reversed" : "-native";
      Bytes b = bank, p = preset, c = chunk;
      if (reversed) {
        reverseRecordBlob(b, 0);
        reverseRecordBlob(p, 0);
        swap4(c, 0);
        swap4(c, 4);
        reverseRecordBlob(c, 8);
      }
      seeds.push_back({"bank" + suffix, b});
      seeds.push_back({"preset" + suffix, p});
      seeds.push_back({"chunk" + suffix, c});
      seeds.push_back(
          {"legacy-chunk" + suffix, rawEntries(legacyChunkHead, plugin.bank(), stellix::kNumPrograms, reversed, 8)});
      Bytes head = idAndType;
      head[4] = blob::kLegacyBankType;
      seeds.push_back({"legacy-bank" + suffix, rawEntries(head, plugin.bank(), stellix::kNumPrograms, reversed, 1)});
      head[4] = blob::kLegacyPresetType;
      seeds.push_back({"legacy-preset" + suffix, rawEntries(head, &plugin.bank()[10], 1, reversed, 1)});
    }
  }
  for (const auto& [name, bytes] : seeds)
    if (!writeSeed(argv[1], name, bytes)) return 1;
  std::error_code ec;
  std::filesystem::remove_all(store, ec);
  return 0;
}
