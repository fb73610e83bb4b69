// The intro tunes' structure as the build checks it from their sources: loop
// lengths per voice, the bar grid, the README's tune table, and the credits.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/tunecheck/readme_table.hpp"
#include "tools/tunecheck/tune_source.hpp"

namespace korveld::tunecheck {
namespace {

const std::string kTuneDir = std::string(KORVELD_SOURCE_DIR) + "/content/sid/tunes";

// A three-voice song in the driver's data format; `voice2` is voice 2's
// order list body.
std::string Song(const std::string& voice2, const std::string& extra = "") {
  return "        .include \"notes.inc\"\n"
         "NAME = \"Test Tune\"\n"
         "AUTHOR = \"Ada Test\"\n"
         "RELEASED = \"2009 Test\"\n" +
         extra +
         "song_speed  .byte 7, 5\n"
         "order_tab   .word order1, order2, order3\n"
         "pattab  .word p_bar, p_long, p_half\n"
         "p_bar   .byte L4, C4, C4, L2, C4, C4, C4, R, END\n"  // 16 rows
         "p_long  .byte L2, R, C4, L1, R, C4, L2, R, L2, R, C4, L1, R, C4, L4, R, END\n"  // 18 rows
         "p_half  .byte L8, C4, END\n"  // 8 rows
         "order1  .byte TR+0, 0, 0, LOOP, 0\n"
         "order2  .byte " + voice2 + "\n"
         "order3  .byte 0, 0\n"
         "        .byte LOOP, 0\n";
}

std::vector<Problem> Analyse(const std::string& text, TuneFacts& facts) {
  TuneSource src;
  src.file = "t.asm";
  std::vector<Problem> problems;
  ParseSourceText("t.asm", text, kTuneDir, src, problems);
  EXPECT_TRUE(problems.empty());
  AnalyseTune(src, facts, problems);
  return problems;
}

std::vector<std::string> Messages(const std::vector<Problem>& problems) {
  std::vector<std::string> out;
  for (const Problem& p : problems) out.push_back(FormatProblem(p));
  return out;
}

TEST(TuneStructure, VoicesInStepGiveTheLoopLength) {
  TuneFacts facts;
  EXPECT_TRUE(Analyse(Song("0, TR+2, 0, LOOP, 0"), facts).empty());
  EXPECT_EQ(facts.title, "Test Tune");
  EXPECT_EQ(facts.composer, "Ada Test");
  EXPECT_EQ(facts.year, 2009);
  EXPECT_EQ(facts.loopRows, 32);
  EXPECT_DOUBLE_EQ(facts.loopSeconds, 32 * 6 / 50.0);  // rows of 5 and 7 frames in turn
  EXPECT_EQ(FramesForRows(facts.speed, 0, 3), 5 + 7 + 5);
  // A voice repeating a figure a whole number of times keeps in step.
  EXPECT_TRUE(Analyse(Song("0, LOOP, 0"), facts).empty());
  EXPECT_EQ(facts.loopRows, 32);
}

TEST(TuneStructure, AVoiceThatDriftsFailsAtItsOrderList) {
  TuneFacts facts;
  // Voice 2 loops every 34 rows against 32: the drift of the old tune 8.
  EXPECT_EQ(Messages(Analyse(Song("0, 1, LOOP, 0"), facts)),
            (std::vector<std::string>{
                "t.asm:11: voice 1 loops every 32 rows, out of step with voice 2, which loops every 34",
                "t.asm:13: voice 3 loops every 32 rows, out of step with voice 2, which loops every 34",
                "t.asm:12: voice 2: pattern p_bar starts at row 34, 2 rows into a bar of 16"}));
  // Same length, but a half bar shifts voice 2 off the grid...
  EXPECT_EQ(Messages(Analyse(Song("2, 0, 2, LOOP, 0"), facts)),
            (std::vector<std::string>{"t.asm:12: voice 2: pattern p_bar starts at row 8, 8 rows into a bar of 16"}));
  // ...unless the source says why.
  EXPECT_TRUE(Analyse(Song("2, 0, 2, LOOP, 0", "; off-grid p_bar: after a pickup\n; off-grid p_half: a pickup\n"), facts)
                  .empty());
  EXPECT_TRUE(Analyse(Song("2, 0, 2, LOOP, 0", "BAR_ROWS = 8\n"), facts).empty());
}

TEST(TuneStructure, ReadmeTableMustStateTheSourcesTitlesAndLoops) {
  std::vector<TuneFacts> tunes(2);
  tunes[0].title = "One";
  tunes[0].loopSeconds = 64.2;
  tunes[1].title = "Two";
  tunes[1].loopSeconds = 71.68;
  std::vector<Problem> problems;
  CheckReadmeTable("R.md", "| tune | title | loop |\n|---|---|---|\n| 1 | One | 64 s |\n| 2 | Two | 72 s |\n",
                   tunes, problems);
  EXPECT_TRUE(problems.empty());
  CheckReadmeTable("R.md", "text\n\n| tune | title | loop |\n|---|---|---|\n| 1 | Uno | 64 s |\n| 2 | Two | 71 s |\n",
                   tunes, problems);
  EXPECT_EQ(Messages(problems), (std::vector<std::string>{"R.md:5: tune 1 is \"One\" in its source, not \"Uno\"",
                                                          "R.md:6: tune 2 repeats after 72 s, not 71 s"}));
  problems.clear();
  CheckReadmeTable("R.md", "| tune | title | loop |\n|---|---|---|\n| 1 | One | 64 s |\n", tunes, problems);
  EXPECT_EQ(Messages(problems), (std::vector<std::string>{"R.md:3: the tune table has no row for tune 2"}));
}

}  // namespace
}  // namespace korveld::tunecheck
