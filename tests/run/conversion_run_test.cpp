// A whole run in this process, from the flags' texts to what it prints (a string RunOutput)
// and writes: the steps the program's main makes (options, plan, run), without the program.
#include "run/conversion_run.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "obj/obj_test_files.h"
#include "run/run_options_from_flags.h"
#include "run/run_plan.h"

namespace {

struct StringOutput : RunOutput {
  std::string printed, warnings;
  bool out(std::string_view text) override {
    printed += text;
    return true;
  }
  void warn(std::string_view text) override { warnings.append(text).append("\n"); }
  void note(std::string_view text) override { warnings.append(text).append("\n"); }
  std::FILE* progressStream() override { return nullptr; }
};

std::string source(const std::string& relative) {
  return objtest::readBytes(std::string(QUORVEX_SOURCE_DIR) + "/" + relative);
}

TEST(ConversionRun, FromTheFlagsToWhatIsPrintedAndWritten) {
  const struct Case {
    const char* name;
    std::string toProj, inputbase, tile;
    const char* printed;
    RunMessage failure;      // none: the run succeeds
    const char* firstVertex;  // of the output; "" when none is written
  } cases[] = {
      {"zone mode", "1", "", source("data/tiles/tile_a.obj"), "4548\n", RunMessage::none,
       "v 500167.229166 3320221.936298 37.203948"},
      {"project -> ENU", "0", "ENU:117.002642,30.001377", source("data/tiles/tile_a.obj"), "",
       RunMessage::none, "v -87.685595 -44.106674 37.203193"},
      {"a short vertex line", "0", "ENU:117.002642,30.001377", "v 1 2 3\nv 1 2\n", "",
       RunMessage::vertexLine, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    objtest::TempDir dir;
    FlagValues flags;
    flags.input = dir.write("t.obj", c.tile);
    flags.coord = dir.write("c.json", source("data/coord-gauss117.json"));
    flags.output = dir / "out.obj";
    flags.toProj = c.toProj;
    flags.bENU = "0";
    flags.inputbase = c.inputbase;
    flags.threads = "2";
    flags.maxresidual = "0.05";
    flags.maxclosure = "1";
    flags.materials = "none";
    flags.metadata = "none";
    const OptionsResult options = runOptionsFromFlags(flags);
    ASSERT_TRUE(options.options) << options.failure.detail;
    const PlanResult plan = makeRunPlan(*options.options);
    ASSERT_TRUE(plan.plan) << plan.failure.detail;
    StringOutput output;
    const std::optional<RunFailure> failure = runConversion(*plan.plan, output);
    EXPECT_EQ(failure ? failure->message : RunMessage::none, c.failure)
        << (failure ? failure->detail : "");
    EXPECT_EQ(output.printed, c.printed) << output.warnings;
    const std::string written = dir.exists("out.obj") ? dir.read("out.obj") : "";
    const std::size_t v = written.find("\nv ") + 1;  // 0: none
    EXPECT_EQ(v == 0 ? "" : written.substr(v, written.find('\n', v) - v), c.firstVertex);
  }
}

}  // namespace
