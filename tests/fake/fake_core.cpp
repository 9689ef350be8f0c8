// The fake platform's call log, reset, process services, files and libraries.
#include "tests/fake/fake_calls.h"
#include "tests/fake/fake_platform.h"

#include "platform/plat_file.h"
#include "platform/plat_module.h"
#include "platform/plat_system.h"

#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

FakeCall Calls[FakeCallRoom];
size_t CallsUsed = 0;

constexpr int ResetRoom = 32;
void (*Resets[ResetRoom])();
int ResetsUsed = 0;

std::string CommandLine;
uint64_t Slept = 0;
void (*SleepHook)(uint32_t) = nullptr;
uint64_t ClockNow = 0;

struct FakeFileData {
  std::vector<unsigned char> bytes;
};
std::map<std::string, FakeFileData>& Files() {
  static std::map<std::string, FakeFileData> files;
  return files;
}
struct OpenFile {
  const FakeFileData* data;
  uint64_t position;
};
constexpr int OpenRoom = 16;
OpenFile Open[OpenRoom];
uint64_t ReadLimit = UINT64_MAX;
uint64_t ReadTotal = 0;

struct FakeModule {
  std::string name;
  const FakeSymbol* symbols;
  size_t count;
  int loaded;
};
std::vector<FakeModule>& Modules() {
  static std::vector<FakeModule> modules;
  return modules;
}

void ResetCore() {
  CallsUsed = 0;
  CommandLine = "QZ_Quillwave2k.exe";
  Slept = 0;
  SleepHook = nullptr;
  ClockNow = 0;
  Files().clear();
  for (OpenFile& f : Open) {
    f = OpenFile{nullptr, 0};
  }
  ReadLimit = UINT64_MAX;
  ReadTotal = 0;
  Modules().clear();
}

}  // namespace

FakeResetRegistration::FakeResetRegistration(void (*reset)()) {
  if (ResetsUsed < ResetRoom) {
    Resets[ResetsUsed++] = reset;
  }
}

void FakeReset() {
  ResetCore();
  for (int i = 0; i < ResetsUsed; i++) {
    Resets[i]();
  }
}

void FakeRecord(const char* op) { FakeRecordArgs(op, {}); }

void FakeRecordArgs(const char* op, const int64_t (&arg)[FakeArgRoom]) {
  if (CallsUsed < FakeCallRoom) {
    FakeCall& call = Calls[CallsUsed++];
    call.op = op;
    for (size_t i = 0; i < FakeArgRoom; i++) {
      call.arg[i] = arg[i];
    }
  }
}

size_t FakeCallCount() { return CallsUsed; }
const FakeCall& FakeCallAt(size_t i) { return Calls[i]; }

size_t FakeCount(const char* op) {
  size_t n = 0;
  for (size_t i = 0; i < CallsUsed; i++) {
    n += std::strcmp(Calls[i].op, op) == 0 ? 1 : 0;
  }
  return n;
}

size_t FakeFind(const char* op, size_t from) {
  for (size_t i = from; i < CallsUsed; i++) {
    if (std::strcmp(Calls[i].op, op) == 0) {
      return i;
    }
  }
  return CallsUsed;
}

// --- process services ----------------------------------------------------

void FakeSetCommandLine(const char* text) { CommandLine = text; }
uint64_t FakeSleptMilliseconds() { return Slept; }
void FakeSetSleepHook(void (*hook)(uint32_t)) { SleepHook = hook; }
void FakeSetClockNanoseconds(uint64_t now) { ClockNow = now; }

const char* PlatCommandLine() { return CommandLine.c_str(); }

void PlatSleep(uint32_t milliseconds) {
  FakeLog(FakeSleepCall{milliseconds});
  Slept += milliseconds;
  if (SleepHook != nullptr) {
    SleepHook(milliseconds);
  }
}

void PlatExitProcess(uint32_t code) {
  FakeLog(FakeExitProcessCall{code});
  throw FakeExit{code};
}

uint64_t PlatClockNanoseconds() { return ClockNow; }

// --- files ---------------------------------------------------------------

void FakeFileAdd(const char* name, const void* data, size_t size) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  Files()[name].bytes.assign(bytes, bytes + size);
}

void FakeFileLimitReads(uint64_t bytes) { ReadLimit = bytes; }

int FakeFileOpenCount() {
  int n = 0;
  for (const OpenFile& f : Open) {
    n += f.data != nullptr ? 1 : 0;
  }
  return n;
}

PlatFile PlatFileOpen(const char* name) {
  FakeRecord("FileOpen");
  auto it = Files().find(name);
  if (it == Files().end()) {
    return PlatFileInvalid;
  }
  for (int i = 0; i < OpenRoom; i++) {
    if (Open[i].data == nullptr) {
      Open[i] = OpenFile{&it->second, 0};
      return i + 100;
    }
  }
  return PlatFileInvalid;
}

static OpenFile* FindOpen(PlatFile file) {
  int64_t i = file - 100;
  if (i < 0 || i >= OpenRoom || Open[i].data == nullptr) {
    return nullptr;
  }
  return &Open[i];
}

int64_t PlatFileSeekFromEnd(PlatFile file, int32_t distance) {
  FakeLog(FakeFileSeekCall{distance});
  OpenFile* f = FindOpen(file);
  if (f == nullptr) {
    return -1;
  }
  int64_t at = static_cast<int64_t>(f->data->bytes.size()) + distance;
  if (at < 0) {
    return -1;
  }
  f->position = static_cast<uint64_t>(at);
  return at;
}

uint32_t PlatFileRead(PlatFile file, void* destination, uint32_t count) {
  FakeLog(FakeFileReadCall{count});
  OpenFile* f = FindOpen(file);
  if (f == nullptr) {
    return 0;
  }
  uint64_t size = f->data->bytes.size();
  uint64_t n = f->position >= size ? 0 : size - f->position;
  if (n > count) {
    n = count;
  }
  uint64_t allowed = ReadTotal >= ReadLimit ? 0 : ReadLimit - ReadTotal;
  if (n > allowed) {
    n = allowed;
  }
  if (n > 0) {
    std::memcpy(destination, f->data->bytes.data() + f->position, n);
  }
  f->position += n;
  ReadTotal += n;
  return static_cast<uint32_t>(n);
}

void PlatFileClose(PlatFile file) {
  FakeRecord("FileClose");
  OpenFile* f = FindOpen(file);
  if (f != nullptr) {
    f->data = nullptr;
  }
}

// --- libraries -----------------------------------------------------------

void FakeModuleAdd(const char* name, const FakeSymbol* symbols, size_t count) {
  Modules().push_back(FakeModule{name, symbols, count, 0});
}

int FakeModuleLoadedCount() {
  int n = 0;
  for (const FakeModule& m : Modules()) {
    n += m.loaded;
  }
  return n;
}

PlatModule PlatModuleLoad(const char* name) {
  FakeLog(FakeModuleLoadCall{reinterpret_cast<intptr_t>(name)});
  for (FakeModule& m : Modules()) {
    if (m.name == name) {
      m.loaded++;
      return &m;
    }
  }
  return nullptr;
}

void* PlatModuleSymbol(PlatModule module, const char* name) {
  FakeLog(FakeModuleSymbolCall{reinterpret_cast<intptr_t>(name)});
  auto* m = static_cast<FakeModule*>(module);
  if (m == nullptr) {
    return nullptr;
  }
  // Same spelling rule as the real layer: "_Name@12" is looked up as "Name".
  std::string plain = name;
  size_t at = plain.rfind('@');
  if (plain.size() > 2 && plain[0] == '_' && at != std::string::npos && at > 1 &&
      at + 1 < plain.size() && plain.find_first_not_of("0123456789", at + 1) == std::string::npos) {
    plain = plain.substr(1, at - 1);
  }
  for (size_t i = 0; i < m->count; i++) {
    if (plain == m->symbols[i].name) {
      return m->symbols[i].address;
    }
  }
  return nullptr;
}

void PlatModuleFree(PlatModule module) {
  FakeRecord("ModuleFree");
  auto* m = static_cast<FakeModule*>(module);
  if (m != nullptr && m->loaded > 0) {
    m->loaded--;
  }
}
