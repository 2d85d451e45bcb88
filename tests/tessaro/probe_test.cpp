// IsInstallOffice, and the export tables of the two libraries: each exports
// its one function and nothing else.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include "support/fake_installation.h"
#include "support/office_scratch.h"
#include "tessaro.h"

namespace tessaro_test {
namespace {

TEST(InstallationProbe, ReportsEachComponentInstalledHere) {
  EXPECT_EQ(IsInstallOffice(TESSARO_WORD), 1);
  EXPECT_EQ(IsInstallOffice(TESSARO_EXCEL), 1);
  EXPECT_EQ(IsInstallOffice(TESSARO_POWERPOINT), 1);
  for (int type : {3, -1, 1000}) EXPECT_EQ(IsInstallOffice(type), 0) << type;
}

TEST(InstallationProbe, ReportsAComponentMissingFromTheInstallation) {
  OfficeScratch scratch;
  const std::string root = scratch.path("office");
  make_fake_installation(root, {true, false, false});
  InstallationRootOverride only_writer(root);
  EXPECT_EQ(IsInstallOffice(TESSARO_WORD), 1);
  EXPECT_EQ(IsInstallOffice(TESSARO_EXCEL), 0);
  EXPECT_EQ(IsInstallOffice(TESSARO_POWERPOINT), 0);
  // Nothing is started to find out.
  EXPECT_EQ(scratch.leftovers(), "");
}

TEST(InstallationProbe, NoInstallationAtAllIsNotInstalled) {
  OfficeScratch scratch;
  InstallationRootOverride nowhere(scratch.path("no-office"));
  for (int type : {0, 1, 2}) EXPECT_EQ(IsInstallOffice(type), 0) << type;
}

struct Exports {
  const char *name;
  const char *library;
  const char *exported;
  const char *absent;
};

class ExportTable : public testing::TestWithParam<Exports> {};

TEST_P(ExportTable, ExportsItsOneFunction) {
  void *library = dlopen(GetParam().library, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << dlerror();
  EXPECT_NE(dlsym(library, GetParam().exported), nullptr);
  EXPECT_EQ(dlsym(library, GetParam().absent), nullptr);
  dlclose(library);
}

INSTANTIATE_TEST_SUITE_P(
    Libraries, ExportTable,
    testing::Values(
        Exports{"Tessaro", TESSARO_LIBRARY, "ConvertOfficeFileToPdf", "IsInstallOffice"},
        Exports{"TessaroProbe", TESSARO_PROBE_LIBRARY, "IsInstallOffice", "ConvertOfficeFileToPdf"}),
    [](const testing::TestParamInfo<Exports> &info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tessaro_test
