#pragma once
// Export table entries are 32-bit offsets from the module base. On x86 any address is such an
// offset (the sum wraps around), so an entry can name our function directly. On x64 our
// function may lie further than 4 GB from the module, so the entry names a small jump
// (`jmp [rip+0]` and the 8-byte address, 14 bytes) that we place in memory allocated above the
// module, within reach of the offset.

#include <windows.h>

namespace lw::hook {

// The offset to store in an export table entry of `module` so that callers reach `target`;
// false when no memory within reach could be had.
bool ExportOffsetFor(HMODULE module, void* target, DWORD& offset);

// The function that `code` leads to: the target of one of our jumps, else `code` itself.
void* FollowJump(void* code);

}  // namespace lw::hook
