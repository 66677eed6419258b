// pim's page order for each sort key: the program's own order, the same the
// window and pim.exe under Wine give the same folder (tests/app/SortFolder.h).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/app/PdfFacts.h"
#include "tests/app/SortFolder.h"
#include "tests/app/TestPictures.h"
#include "tests/cli/PimProcess.h"

namespace pim {
namespace {

TEST(PimSort, EveryKeyGivesTheProgramsOwnOrder) {
    const std::string folder = test::FreshFolder("pim-sort");
    test::MakeSortFolder(folder);
    for (const std::string key : {"name", "size", "date", "type"}) {
        const std::vector<std::string> titles = test::TitlesOf(test::SortedNames(key));
        ASSERT_EQ(test::RunPim({"--quiet", "-s", key, "-o", key, folder}).exitCode, 0) << key;
        EXPECT_EQ(test::TPdfFacts::FromFile(folder + "/" + key + ".pdf").OutlineTitles(), titles) << key;
        ASSERT_EQ(test::RunPim({"--quiet", "-s", key, "-r", "-o", key + "-r", folder}).exitCode, 0) << key;
        EXPECT_EQ(test::TPdfFacts::FromFile(folder + "/" + key + "-r.pdf").OutlineTitles(),
                  std::vector<std::string>(titles.rbegin(), titles.rend()))
            << key;
    }
}

}  // namespace
}  // namespace pim
