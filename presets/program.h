// The program record: a 24-byte name and the 26 normalized parameter values.
#pragma once

#include <cstddef>

namespace stellix {

constexpr int kNumParams = 26;
constexpr int kNumPrograms = 27;
constexpr int kProgramNameBytes = 24;
// Longest name the plug-in itself stores (a name read from a file may fill all 24 bytes).
constexpr int kMaxStoredNameLength = 23;

struct ProgramRecord {
  char name[kProgramNameBytes];
  float values[kNumParams];
};
static_assert(sizeof(ProgramRecord) == 128);
static_assert(offsetof(ProgramRecord, values) == 24);

// Stores name as a record name: at most 23 characters, NUL-padded.
void setRecordName(ProgramRecord& p, const char* name) noexcept;
// Copies a record name (up to 24 characters) into text with its own terminator (25 bytes).
void readRecordName(const ProgramRecord& p, char* text) noexcept;

// Writes the 27 factory programs into bank.
void fillFactoryBank(ProgramRecord* bank) noexcept;

}  // namespace stellix
