#include "trampoline.h"

#include <cstdint>
#include <cstring>

#include "pe_image.h"

namespace lw::hook {

#if defined(_WIN64)

namespace {

constexpr std::size_t kJumpSize = 16;  // 14 bytes of code, padded
constexpr std::size_t kBlockSize = 4096;
constexpr std::size_t kMaxBlocks = 16;
constexpr uint64_t kReach = 0x100000000ull;

// Pages of jumps; a block is never freed, since callers may hold its addresses for good.
struct Block {
  uint8_t* base = nullptr;
  std::size_t used = 0;
};
Block blocks[kMaxBlocks];
SRWLOCK blocks_lock = SRWLOCK_INIT;

bool Reaches(const Block& block, uintptr_t module) {
  const auto base = reinterpret_cast<uintptr_t>(block.base);
  return base > module && base + kBlockSize - module <= kReach;
}

// The target of the jump at `code`, which must lie in one of our blocks.
void* JumpTarget(const uint8_t* code) {
  void* target;
  std::memcpy(&target, code + 6, sizeof target);
  return target;
}

// A block-sized allocation above `module` whose end is within 4 GB of it.
uint8_t* AllocateNear(uintptr_t module, std::size_t image_size) {
  SYSTEM_INFO system;
  GetSystemInfo(&system);
  const uintptr_t granularity = system.dwAllocationGranularity;
  auto align = [&](uintptr_t value) { return (value + granularity - 1) & ~(granularity - 1); };
  uintptr_t address = align(module + image_size);
  while (address + kBlockSize - module <= kReach) {
    MEMORY_BASIC_INFORMATION region;
    if (VirtualQuery(reinterpret_cast<void*>(address), &region, sizeof region) == 0) break;
    if (region.State == MEM_FREE) {
      void* block = VirtualAlloc(reinterpret_cast<void*>(address), kBlockSize,
                                 MEM_RESERVE | MEM_COMMIT, PAGE_EXECUTE_READ);
      if (block) return static_cast<uint8_t*>(block);
    }
    const uintptr_t next =
        align(reinterpret_cast<uintptr_t>(region.BaseAddress) + region.RegionSize);
    address = next > address ? next : address + granularity;
  }
  return nullptr;
}

// Writes a jump to `target` at the end of the block; the page stays executable throughout,
// because other threads may be running through the jumps already there.
uint8_t* AddJump(Block& block, void* target) {
  uint8_t code[kJumpSize] = {0xFF, 0x25, 0, 0, 0, 0};  // jmp qword ptr [rip+0]
  std::memcpy(code + 6, &target, sizeof target);
  code[14] = code[15] = 0xCC;
  uint8_t* jump = block.base + block.used;
  DWORD old;
  if (!VirtualProtect(block.base, kBlockSize, PAGE_EXECUTE_READWRITE, &old)) return nullptr;
  std::memcpy(jump, code, kJumpSize);
  VirtualProtect(block.base, kBlockSize, PAGE_EXECUTE_READ, &old);
  FlushInstructionCache(GetCurrentProcess(), jump, kJumpSize);
  block.used += kJumpSize;
  return jump;
}

uint8_t* JumpFor(HMODULE module, void* target) {
  const auto base = reinterpret_cast<uintptr_t>(module);
  const IMAGE_NT_HEADERS* headers = ImageHeaders(module);
  if (!headers) return nullptr;
  AcquireSRWLockExclusive(&blocks_lock);
  uint8_t* jump = nullptr;
  Block* room = nullptr;
  for (Block& block : blocks) {
    if (!block.base || !Reaches(block, base)) continue;
    for (std::size_t at = 0; at < block.used && !jump; at += kJumpSize) {
      if (JumpTarget(block.base + at) == target) jump = block.base + at;
    }
    if (!room && block.used < kBlockSize) room = &block;
  }
  if (!jump && !room) {
    for (Block& block : blocks) {
      if (block.base) continue;
      block.base = AllocateNear(base, headers->OptionalHeader.SizeOfImage);
      if (block.base) room = &block;
      break;
    }
  }
  if (!jump && room) jump = AddJump(*room, target);
  ReleaseSRWLockExclusive(&blocks_lock);
  return jump;
}

}  // namespace

bool ExportOffsetFor(HMODULE module, void* target, DWORD& offset) {
  uint8_t* jump = JumpFor(module, target);
  if (!jump) return false;
  offset =
      static_cast<DWORD>(reinterpret_cast<uintptr_t>(jump) - reinterpret_cast<uintptr_t>(module));
  return true;
}

void* FollowJump(void* code) {
  auto address = static_cast<uint8_t*>(code);
  AcquireSRWLockShared(&blocks_lock);
  void* target = code;
  for (const Block& block : blocks) {
    if (block.base && address >= block.base && address < block.base + block.used) {
      target = JumpTarget(address);
    }
  }
  ReleaseSRWLockShared(&blocks_lock);
  return target;
}

#else  // x86: the 32-bit sum of base and offset wraps around to any address.

bool ExportOffsetFor(HMODULE module, void* target, DWORD& offset) {
  offset =
      static_cast<DWORD>(reinterpret_cast<uintptr_t>(target) - reinterpret_cast<uintptr_t>(module));
  return true;
}

void* FollowJump(void* code) { return code; }

#endif

}  // namespace lw::hook
