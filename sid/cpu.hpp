// The 6510 interpreter that runs a tune's init and play routines. Binary
// arithmetic only, no cycles, no interrupts; stores to $D400-$D7FF reach the
// SID instead of memory.
#pragma once

#include <array>
#include <cstdint>

#include "sid/sid_state.hpp"

namespace korveld::sid {

enum Instruction : std::uint8_t {
  ADC, AND, ASL, BCC, BCS, BEQ, BIT, BMI, BNE, BPL, BRK, BVC, BVS, CLC, CLD, CLI, CLV, CMP, CPX, CPY,
  DEC, DEX, DEY, EOR, INC, INX, INY, JMP, JSR, LDA, LDX, LDY, LSR, NOP, ORA, PHA, PHP, PLA, PLP, ROL,
  ROR, RTI, RTS, SBC, SEC, SED, SEI, STA, STX, STY, TAX, TAY, TSX, TXA, TXS, TYA, UND
};

enum AddressingMode : std::uint8_t { IMP, IMM, ABS, ABX, ABY, ZP, ZPX, ZPY, IND, IZX, IZY, ACC, REL };

struct OpcodeTable {
  std::array<Instruction, 256> instruction;
  std::array<AddressingMode, 256> mode;
};
extern const OpcodeTable kOpcodeTable;

// Status flag bits.
inline constexpr std::uint8_t kFlagC = 0x01, kFlagZ = 0x02, kFlagI = 0x04, kFlagD = 0x08;
inline constexpr std::uint8_t kFlagB = 0x10, kFlagV = 0x40, kFlagN = 0x80;

// A routine that has not returned after this many instructions is stopped
// where it is. No real tune comes near it (the longest init routines run
// about 30,000), and it keeps a runaway routine from blocking the audio
// refill or the tune start.
inline constexpr std::uint32_t kInstructionBudget = 1000000;

void CpuReset(SidState& s);
std::uint8_t ReadByte(const SidState& s, std::uint16_t address);
void WriteByte(SidState& s, std::uint16_t address, std::uint8_t value);
void CpuStep(SidState& s);
// Runs the routine at address with A = a until it returns (PC <= 1) or the
// budget runs out; returns the number of instructions executed.
std::uint32_t CallRoutine(SidState& s, std::uint16_t address, std::uint8_t a);

}  // namespace korveld::sid
