// Checks of the Win32 platform layer, run under wine: the processing mutex, the registry
// store (kinds, conversions, missing and foreign values) and atomic file replacement.
// A plain program (GoogleTest is not available for mingw-w64); exits non-zero on failure.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "platform/atomic_file.h"
#include "platform/processing_mutex.h"
#include "platform/user_store.h"

namespace {

using stellix::UserStoreKey;
using Access = UserStoreKey::Access;

int gFailures = 0;

void check(bool ok, const char* what) {
  if (ok) return;
  ++gFailures;
  std::fprintf(stderr, "FAIL: %s\n", what);
}

constexpr const char* kKey = "SOFTWARE\\Korvan\\StellixPlatformCheck";
constexpr const wchar_t* kWideKey = L"SOFTWARE\\Korvan\\StellixPlatformCheck";

void mutex() {
  stellix::ProcessingMutex m;
  check(m.lock() && m.lock(1000), "the owner locks again without waiting");
  bool other = true;
  DWORD waited = 0;
  std::thread([&] {
    const DWORD start = GetTickCount();
    other = m.lock(100);
    waited = GetTickCount() - start;
  }).join();
  check(!other && waited >= 90, "another thread gives up after the bound");
  m.unlock();
  std::thread([&] { other = m.lock(0); }).join();
  check(!other, "one unlock of two leaves the mutex held");
  m.unlock();

  // A thread that ends holding the mutex abandons it; the next one gets it, owned.
  std::thread([&] { m.lock(); }).join();
  check(m.lock(1000), "an abandoned mutex is acquired");
  m.unlock();
  std::thread([&] {
    other = m.lock(0);
    if (other) m.unlock();
  }).join();
  check(other, "and released again");
}

// Reads a value as the registry holds it: kind and bytes.
bool rawValue(const wchar_t* name, DWORD& type, std::string& bytes) {
  HKEY key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kWideKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
  BYTE buf[512];
  DWORD size = sizeof buf;
  const bool ok = RegQueryValueExW(key, name, nullptr, &type, buf, &size) == ERROR_SUCCESS;
  RegCloseKey(key);
  if (ok) bytes.assign(reinterpret_cast<const char*>(buf), size);
  return ok;
}

bool setRaw(const wchar_t* name, DWORD type, const void* data, DWORD size) {
  HKEY key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kWideKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return false;
  const bool ok = RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
  RegCloseKey(key);
  return ok;
}

void store() {
  RegDeleteTreeW(HKEY_CURRENT_USER, kWideKey);
  check(!UserStoreKey::open(kKey, Access::Read) && !UserStoreKey::open(kKey, Access::DeleteValues),
        "a missing key does not open for reading or deleting");
  check(!UserStoreKey::open(std::string(256, 'k'), Access::Write), "a key path over 255 characters is refused");

  auto key = UserStoreKey::open(kKey, Access::Write);
  check(key != nullptr, "the key is created for writing");
  if (!key) return;
  const unsigned char blob[] = {'K', 'r', 0, 0xFF, 7};
  // "Grüße" in the ANSI code page: the registry holds the UTF-16 text and its terminator.
  std::string ansi = "C:\\Presets\\Gr";
  const wchar_t umlauts[] = L"\u00fc\u00dfe\\";
  char converted[16] = {};
  WideCharToMultiByte(CP_ACP, 0, umlauts, -1, converted, sizeof converted, nullptr, nullptr);
  ansi += converted;
  check(key->writeBinary("Blob", blob, sizeof blob) && key->writeBinary("Empty", nullptr, 0) &&
            key->writeString("Text", ansi) && key->writeString("Blank", "") && key->writeUInt32("Number", 0xFFFFFFFEu),
        "values are written");
  key.reset();

  DWORD type = 0;
  std::string bytes;
  check(rawValue(L"Blob", type, bytes) && type == REG_BINARY && bytes == std::string("Kr\0\xFF\7", 5),
        "binary values are REG_BINARY with the bytes as they are");
  const std::wstring wide = std::wstring(L"C:\\Presets\\Gr") + umlauts;
  check(rawValue(L"Text", type, bytes) && type == REG_SZ &&
            bytes == std::string(reinterpret_cast<const char*>(wide.c_str()), (wide.size() + 1) * sizeof(wchar_t)),
        "strings are REG_SZ, UTF-16 with the terminator");
  check(rawValue(L"Number", type, bytes) && type == REG_DWORD && bytes == std::string("\xFE\xFF\xFF\xFF", 4),
        "numbers are REG_DWORD");

  // Values as other writers may leave them: no terminator, another kind.
  const wchar_t unterminated[] = {L'a', L'b', L'c'};
  const DWORD number = 3;
  check(setRaw(L"Unterminated", REG_SZ, unterminated, sizeof unterminated) && setRaw(L"NumberText", REG_SZ, L"7", 4) &&
            setRaw(L"StringNumber", REG_DWORD, &number, sizeof number) &&
            setRaw(L"Expand", REG_EXPAND_SZ, L"%TEMP%", 14),
        "foreign values are written");

  auto reader = UserStoreKey::open(kKey, Access::Read);
  check(reader != nullptr, "the key opens for reading");
  if (!reader) return;
  unsigned char back[8] = {};
  check(reader->valueSize("Blob") == 5u && reader->readBinary("Blob", back, sizeof back) == 5u &&
            std::memcmp(back, blob, 5) == 0,
        "binary round trip");
  check(!reader->readBinary("Blob", back, 4), "a value larger than the buffer is not read");
  check(reader->readBinary("Empty", nullptr, 0) == 0u && !reader->readBinary("Blob", nullptr, 0),
        "without a buffer only an empty value reads");
  check(reader->readString("Text") == ansi && reader->readString("Blank") == "", "string round trip");
  check(reader->readUInt32("Number") == 0xFFFFFFFEu, "number round trip");

  struct Missing {
    const char* name;
    bool string, number, size;
  };
  static constexpr Missing kAbsent[] = {
      // name, readString answers, readUInt32 answers, valueSize answers
      {"Nothing", false, false, false},
      {"NumberText", true, false, true},
      {"StringNumber", false, true, true},
      {"Blob", false, false, true},
  };
  for (const Missing& m : kAbsent) {
    check(reader->readString(m.name).has_value() == m.string, m.name);
    check(reader->readUInt32(m.name).has_value() == m.number, m.name);
    check(reader->valueSize(m.name).has_value() == m.size, m.name);
  }
  check(reader->readString("Unterminated") == "abc", "a string stored without terminator ends at its size");
  check(reader->readString("Expand") == "%TEMP%", "expandable strings read as stored");
  check(!reader->writeUInt32("Number", 1), "a key opened for reading does not write");

  auto deleter = UserStoreKey::open(kKey, Access::DeleteValues);
  check(deleter && deleter->deleteValue("Blob") && deleter->deleteValue("Nothing"),
        "deleting a value, and one that does not exist");
  check(!reader->valueSize("Blob"), "a deleted value is gone");
  reader.reset();
  deleter.reset();
  RegDeleteTreeW(HKEY_CURRENT_USER, kWideKey);
}

std::string contents(const char* path) {
  std::string s;
  if (FILE* f = std::fopen(path, "rb")) {
    char buf[256];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
    std::fclose(f);
  }
  return s;
}

void atomicFile() {
  char folder[MAX_PATH];
  GetTempPathA(sizeof folder, folder);
  const std::string path = std::string(folder) + "stellix-atomic-check.kvp";
  check(stellix::writeFileAtomically(path, "first", 5) && contents(path.c_str()) == "first", "a new file is written");
  check(stellix::writeFileAtomically(path, "second!", 7) && contents(path.c_str()) == "second!",
        "an existing file is replaced");
  check(!stellix::writeFileAtomically(std::string(folder) + "no such folder\\x.kvp", "x", 1),
        "a file in a missing folder is not written");
  DeleteFileA(path.c_str());
}

}  // namespace

int main() {
  mutex();
  store();
  atomicFile();
  if (gFailures) {
    std::fprintf(stderr, "%d platform check(s) failed\n", gFailures);
    return 1;
  }
  std::printf("ok: Win32 processing mutex, registry store and atomic file replacement\n");
  return 0;
}
