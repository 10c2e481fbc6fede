#include <gtest/gtest.h>

#include "model_library.h"
#include "test_support.h"

namespace {

using namespace testing_support;

Outcome BindIn(const ScopedTempDir& dir) {
  return RunInChild([&] {
    ScopedWorkingDirectory cwd(dir.path());
    ModelLibrary library;
    ModelEntryPoints entries;
    bool bound = BindModelLibrary(library, entries);
    std::printf("bound=%d loaded=%d\n", bound ? 1 : 0, library.IsLoaded() ? 1 : 0);
  });
}

const char* kAllFound =
    "Fluvex.dll found!\n"
    "Found 1D water balance function in Fluvex.dll\n"
    "Found 2D water balance function in Fluvex.dll\n"
    "Found diffusion routing function in Fluvex.dll\n"
    "Found Muskingham-Cunge routing function in Fluvex.dll\n";

const char* kErrorText =
    "Error in Fluvex.dll, recompile release version and include all of the following functions:\n"
    " onelayerbalance\n twolayerbalance\n diffroute\n cungeroute\n lagroute\n";

TEST(ModelLibrary, BindsAllFiveEntryPoints) {
  ScopedTempDir dir;
  InstallModel(dir.path(), TEST_MODEL_PATH);
  Outcome outcome = BindIn(dir);
  EXPECT_EQ(outcome.out, std::string(kAllFound) + "Found lag routing function in Fluvex.dll\nbound=1 loaded=1\n");
}

TEST(ModelLibrary, AMissingEntryPointFailsAndReleasesTheLibrary) {
  ScopedTempDir dir;
  InstallModel(dir.path(), TEST_MODEL_WITHOUT_LAG_PATH);
  Outcome outcome = BindIn(dir);
  EXPECT_EQ(outcome.out, std::string(kAllFound) + "Lag routing function not found in Fluvex.dll\n" +
                             kErrorText + "bound=0 loaded=0\n");
}

TEST(ModelLibrary, AMissingLibraryReportsEveryEntryPointAsNotFound) {
  ScopedTempDir dir;
  Outcome outcome = BindIn(dir);
  EXPECT_EQ(outcome.out,
            std::string("Fluvex.dll not found, make sure Fluvex.dll is in working directory.\n"
                        "1D water balance function not found in Fluvex.dll\n"
                        "2D water balance function not found in Fluvex.dll\n"
                        "Diffusion routing function not found in Fluvex.dll\n"
                        "Muskingham-Cunge routing function not found in Fluvex.dll\n"
                        "Lag routing function not found in Fluvex.dll\n") +
                kErrorText + "bound=0 loaded=0\n");
  EXPECT_EQ(outcome.err.rfind("./fluvex.dll: cannot be loaded (", 0), 0u) << outcome.err;
}

// A library that is there but cannot be loaded keeps the notice and gets the loader's reason.
TEST(ModelLibrary, ALibraryThatCannotBeLoadedIsReportedWithTheLoadersReason) {
  ScopedTempDir dir;
  WriteFile(dir / "fluvex.dll", "not a library\n");
  Outcome outcome = BindIn(dir);
  EXPECT_EQ(outcome.out.rfind("Fluvex.dll not found, make sure Fluvex.dll is in working directory.\n", 0), 0u);
  EXPECT_EQ(outcome.err, "./fluvex.dll: cannot be loaded (./fluvex.dll: file too short)\n");
}

TEST(ModelLibrary, TheHandleMovesAndIsNotCopied) {
  static_assert(!std::is_copy_constructible<ModelLibrary>::value, "handle must not be copied");
  ScopedTempDir dir;
  InstallModel(dir.path(), TEST_MODEL_PATH);
  ScopedWorkingDirectory cwd(dir.path());
  ModelLibrary a;
  ASSERT_TRUE(a.Load(ModelLibraryPath()));
  ModelLibrary b(std::move(a));
  EXPECT_FALSE(a.IsLoaded());
  EXPECT_TRUE(b.IsLoaded());
  EXPECT_NE(b.Find("DIFFROUTE"), nullptr);
  EXPECT_EQ(a.Find("DIFFROUTE"), nullptr);
  EXPECT_EQ(b.Find("NOSUCHENTRY"), nullptr);
}

}  // namespace
