// No heap allocation from the first pass of the run loop to its end: every
// allocation of this test program is counted while the loop runs.
#include "tests/presentation/sim.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

extern "C" void* __libc_malloc(size_t size);
extern "C" void* __libc_calloc(size_t count, size_t size);
extern "C" void* __libc_realloc(void* block, size_t size);
extern "C" void __libc_free(void* block);

namespace {

std::atomic<bool> Counting{false};
std::atomic<uint64_t> Allocations{0};

void Count() {
  if (Counting.load(std::memory_order_relaxed)) {
    Allocations.fetch_add(1, std::memory_order_relaxed);
  }
}

void* Allocate(size_t size) {
  Count();
  void* block = __libc_malloc(size == 0 ? 1 : size);
  if (block == nullptr) {
    throw std::bad_alloc();
  }
  return block;
}

void StartCounting() {
  Allocations = 0;
  Counting = true;
}
void StopCounting() { Counting = false; }

}  // namespace

// Every way this program can take memory from the heap goes through here.
extern "C" void* malloc(size_t size) {
  Count();
  return __libc_malloc(size);
}
extern "C" void* calloc(size_t count, size_t size) {
  Count();
  return __libc_calloc(count, size);
}
extern "C" void* realloc(void* block, size_t size) {
  Count();
  return __libc_realloc(block, size);
}
extern "C" void free(void* block) { __libc_free(block); }

void* operator new(size_t size) { return Allocate(size); }
void* operator new[](size_t size) { return Allocate(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept { return malloc(size); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return malloc(size); }
void operator delete(void* block) noexcept { free(block); }
void operator delete[](void* block) noexcept { free(block); }
void operator delete(void* block, size_t) noexcept { free(block); }
void operator delete[](void* block, size_t) noexcept { free(block); }

namespace {

TEST(Heap, TheCounterSeesAllocations) {
  StartCounting();
  void* a = malloc(16);
  int* b = new int(3);
  StopCounting();
  EXPECT_EQ(Allocations.load(), 2u);
  delete b;
  free(a);
}

TEST(Heap, NoAllocationFromTheFirstPassToTheEndOfTheLoop) {
  SimOptions options;
  options.passMs = 20;
  options.beforeLoop = StartCounting;
  options.afterLoop = StopCounting;
  SimReset(options);
  ASSERT_EQ(SimRunTraced(), 0u);
  // The whole script ran inside the counted stretch.
  ASSERT_GT(SimTraceCount(), 100u);
  EXPECT_EQ(SimTraceAt(SimTraceCount() - 1).row, 7u);
  EXPECT_EQ(Allocations.load(), 0u);
}

}  // namespace
