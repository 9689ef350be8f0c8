// The test program's own view of the test sound library that the binding
// loaded: the same library, reached through the platform loader again.
#pragma once
#include "platform/plat_module.h"

#include <cstdint>
#include <vector>

struct TestLibCall {
  int slot;     // the entry point's slot number
  int64_t a;
  int64_t b;
  int64_t c;
};

class TestLibView {
 public:
  // Loads "fmod.dll" as the binding does; null handle when there is none.
  TestLibView() : module_(PlatModuleLoad("fmod.dll")) {}
  ~TestLibView() {
    if (module_ != nullptr) {
      PlatModuleFree(module_);
    }
  }
  TestLibView(const TestLibView&) = delete;
  TestLibView& operator=(const TestLibView&) = delete;

  bool Loaded() const { return module_ != nullptr; }
  int Identity() const { return Call<int (*)()>("_TestLibIdentity@0")(); }
  void Reset() const { Call<void (*)()>("_TestLibReset@0")(); }
  void SetInitResult(int r) const { Call<void (*)(int)>("_TestLibSetInitResult@4")(r); }
  void SetRefuse(int r) const { Call<void (*)(int)>("_TestLibSetRefuse@4")(r); }
  std::vector<TestLibCall> Calls() const {
    std::vector<TestLibCall> calls;
    int n = Call<int (*)()>("TestLibLogged")();
    auto at = Call<const int64_t* (*)(int)>("TestLibLogAt");
    for (int i = 0; i < n; i++) {
      const int64_t* e = at(i);
      calls.push_back(TestLibCall{static_cast<int>(e[0]), e[1], e[2], e[3]});
    }
    return calls;
  }
  std::vector<int> Slots() const {
    std::vector<int> slots;
    for (const TestLibCall& c : Calls()) {
      slots.push_back(c.slot);
    }
    return slots;
  }
  void* Symbol(const char* name) const { return PlatModuleSymbol(module_, name); }

 private:
  template <typename Fn>
  Fn Call(const char* name) const {
    return reinterpret_cast<Fn>(PlatModuleSymbol(module_, name));
  }
  PlatModule module_;
};
