#pragma once
// The machine identity source of a Windows system.
//
// - Firmware part: the NUL-terminated byte string at physical address 0xFEC71, read through
//   the kernel section \Device\PhysicalMemory (ZwOpenSection, or NtOpenSection, from ntdll,
//   looked up at run time; 0x20000 bytes mapped read-only from physical offset 0xF0000, the
//   string taken at offset 0xEC71 of the view and never read past the view's end). Windows
//   grants this section to user programs only on old systems; on current ones, and under Wine,
//   the part is empty. The 95/98/Me family, which mapped the area into every process, is not
//   supported by the program and not read.
// - Product part: REG_SZ ProductId under HKLM\Software\Microsoft\Windows\CurrentVersion; where
//   that value is missing (it is on the NT family from Vista on), the ProductId under
//   HKLM\Software\Microsoft\Windows NT\CurrentVersion.
// - Machine part (used only when both are empty): REG_SZ MachineGuid under
//   HKLM\SOFTWARE\Microsoft\Cryptography, created with the installation of the system.
// All registry reads use the 64-bit view where there is one, so the 32-bit and 64-bit builds of
// the program compute the same identity on the same machine.

#include <memory>

#include "config/machine_identity.h"

namespace lw {

std::unique_ptr<MachineIdentitySource> MakeWindowsMachineIdentitySource();

}  // namespace lw
