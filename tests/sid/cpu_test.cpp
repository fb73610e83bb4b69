// The 6510 interpreter: the worked examples and the deliberate quirks.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "sid/cpu.hpp"
#include "tests/sid/sid_test_helpers.hpp"

namespace korveld::sid {
namespace {

using testing::FreshState;
using testing::Poke;

// A state with `program` at $2000 and the CPU about to run it.
std::unique_ptr<SidState> At2000(const std::vector<std::uint8_t>& program, std::uint8_t stack = 0xFD) {
  auto s = FreshState();
  Poke(*s, 0x2000, program);
  s->cpu.s = stack;
  s->cpu.pc = 0x2000;
  return s;
}

// Address 0 or 1 runs nothing; RTS and RTI return after one instruction;
// BRK and a jump into the empty ROM area end the call; an undefined opcode
// skips one byte; a runaway routine stops at the budget.
TEST(CallRoutine, HowARoutineEnds) {
  for (std::uint16_t address : {0, 1}) {
    auto s = FreshState();
    s->memory.bytes[0] = 0xA9;  // would load A if it ran
    EXPECT_EQ(CallRoutine(*s, address, 0x42), 0u);
    EXPECT_EQ(std::tuple(s->cpu.a, s->cpu.x, s->cpu.p, s->cpu.s, s->cpu.pc), std::tuple(0x42, 0, 0, 0xFD, address));
  }
  for (std::uint8_t op : {0x60, 0x40}) {
    auto s = At2000({op});
    EXPECT_EQ(CallRoutine(*s, 0x2000, 0), 1u);
    EXPECT_EQ(std::tuple(s->cpu.pc, s->cpu.s), std::tuple(1, 0xFF));
  }
  auto s = At2000({0xA9, 0x01, 0x00, 0xA9, 0x02, 0x60});  // LDA #1; BRK; LDA #2 (never reached)
  EXPECT_EQ(CallRoutine(*s, 0x2000, 0), 2u);
  EXPECT_EQ(s->cpu.a, 1);
  Poke(*s, 0x3000, {0x04, 0xA9, 0x07, 0x4C, 0x31, 0xEA});  // $04, LDA #7, JMP $EA31
  EXPECT_EQ(CallRoutine(*s, 0x3000, 0), 4u);
  EXPECT_EQ(std::tuple(s->cpu.a, s->cpu.pc), std::tuple(7, 0));
  Poke(*s, 0x2000, {0x4C, 0x00, 0x20});  // JMP $2000
  EXPECT_EQ(CallRoutine(*s, 0x2000, 0), kInstructionBudget);
  EXPECT_EQ(s->counters.budgetExhausted, 1u);
  EXPECT_EQ(s->cpu.pc, 0x2000);
}

// Where the interpreter departs from the chip on purpose (the CPU vectors
// mask these cases): each program ends in RTS and leaves A and the flags.
TEST(CpuQuirks, ArithmeticAndShiftFlags) {
  struct Case {
    const char* what;
    std::vector<std::uint8_t> program;
    std::uint8_t a, flags;  // flags among C, N, V, Z
  };
  const Case cases[] = {
      {"ADC is binary with D set", {0xF8, 0x18, 0xA9, 0x09, 0x69, 0x01, 0x60}, 0x0A, 0},
      {"$50 + $50: V = N xor C", {0x18, 0xA9, 0x50, 0x69, 0x50, 0x60}, 0xA0, kFlagN | kFlagV},
      {"$FF + 1: V = N xor C", {0x18, 0xA9, 0xFF, 0x69, 0x01, 0x60}, 0x00, kFlagC | kFlagZ | kFlagV},
      {"$10 - $20 borrows", {0x38, 0xA9, 0x10, 0xE9, 0x20, 0x60}, 0xF0, kFlagN | kFlagV},
      {"ASL A of $80: Z from nine bits", {0xA9, 0x80, 0x0A, 0x60}, 0x00, kFlagC},
      {"ASL $40 of $80", {0xA9, 0x80, 0x85, 0x40, 0x06, 0x40, 0x60}, 0x80, kFlagC},
  };
  for (const Case& c : cases) {
    auto s = At2000(c.program);
    CallRoutine(*s, 0x2000, 0);
    EXPECT_EQ(s->cpu.a, c.a) << c.what;
    EXPECT_EQ(s->cpu.p & (kFlagC | kFlagN | kFlagV | kFlagZ), c.flags) << c.what;
  }
}

// CMP, CPX and CPY: carry when the register is at least the operand, equal
// values included; zero when equal; negative from bit 7 of the difference.
TEST(CpuFlags, CompareSetsCarryOnEqualValues) {
  const std::uint8_t cases[][3] = {{0x40, 0x40, kFlagC | kFlagZ}, {0x10, 0x20, kFlagN}, {0x80, 0x01, kFlagC},
                                   {0xFF, 0x00, kFlagC | kFlagN}};  // register, operand, flags
  for (const auto& [name, load, compare] : {std::tuple{"CMP", 0xA9, 0xC9}, {"CPX", 0xA2, 0xE0}, {"CPY", 0xA0, 0xC0}}) {
    for (const auto& c : cases) {
      auto s = At2000({static_cast<std::uint8_t>(load), c[0], static_cast<std::uint8_t>(compare), c[1], 0x60});
      CallRoutine(*s, 0x2000, 0);
      EXPECT_EQ(s->cpu.p & (kFlagC | kFlagN | kFlagZ), c[2])
          << name << " of " << int{c[0]} << " with " << int{c[1]} << " (flags C = 1, Z = 2, N = 128)";
    }
  }
}

TEST(CpuJumps, IndirectJumpCrossesThePageEnd) {
  auto s = At2000({0x6C, 0xFF, 0x30});
  Poke(*s, 0x30FF, {0x34, 0x12});
  s->memory.bytes[0x3000] = 0x56;  // a page-wrapping fetch would use this
  CpuStep(*s);
  EXPECT_EQ(s->cpu.pc, 0x1234);
}

TEST(CpuStack, PullsSaturateAtFFAndPushesAtZero) {
  auto s = At2000({0x68, 0x68, 0x68, 0x68});  // PLA x 4, S as CallRoutine leaves it
  Poke(*s, 0x1FE, {0x11, 0x22});
  for (int i = 0; i < 4; ++i) {
    CpuStep(*s);
    EXPECT_EQ(s->cpu.a, i == 0 ? 0x11 : 0x22) << "pull " << i;
    EXPECT_EQ(s->cpu.s, i == 0 ? 0xFE : 0xFF);
  }
  Poke(*s, 0x2000, {0xA9, 0x33, 0x48, 0x48});  // LDA #$33; PHA; PHA
  s->cpu.s = 0x00;
  s->cpu.pc = 0x2000;
  for (int i = 0; i < 3; ++i) CpuStep(*s);
  EXPECT_EQ(s->cpu.s, 0x00);
  EXPECT_EQ(s->memory.bytes[0x100], 0x33);
  EXPECT_EQ(s->memory.bytes[0x1FF], 0x22);
}

TEST(CpuMemory, SidStoresReachTheChipNotMemory) {
  auto s = At2000({0xA9, 0x0F, 0x8D, 0x18, 0xD4, 0xAD, 0x18, 0xD4, 0x60});  // LDA #$0F; STA $D418; LDA $D418
  s->memory.bytes[0xD418] = 0x5A;
  CallRoutine(*s, 0x2000, 0);
  EXPECT_EQ(std::tuple(s->registers.bytes[27], s->memory.bytes[0xD418], s->cpu.a), std::tuple(0x0F, 0x5A, 0x5A));
  // Mirrors: $D438 is register 24 again; read-modify-write reaches the chip.
  s->memory.bytes[0xD404] = 0x40;
  Poke(*s, 0x2000, {0xA9, 0x01, 0x8D, 0x38, 0xD4, 0xEE, 0x04, 0xD4, 0x60});
  CallRoutine(*s, 0x2000, 0);
  EXPECT_EQ(std::tuple(s->registers.bytes[27], s->registers.bytes[4], s->memory.bytes[0xD404]), std::tuple(1, 0x41, 0x40));
}

TEST(CpuFlags, PhpPushesPUnchangedAndPlpLoadsAllBits) {
  auto s = At2000({0x08, 0x28}, 0xFF);  // PHP; PLP
  s->cpu.p = 0x01;
  CpuStep(*s);
  EXPECT_EQ(s->memory.bytes[0x1FF], 0x01);
  s->memory.bytes[0x1FF] = 0xFF;
  CpuStep(*s);
  EXPECT_EQ(s->cpu.p, 0xFF);
}

}  // namespace
}  // namespace korveld::sid
