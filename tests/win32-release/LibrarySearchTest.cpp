// Where the program's libraries come from, under Wine: once the search is
// restricted as each program does first, a library left beside the
// executable is found neither by name nor through LoadSystemLibrary, while
// the system's own (AVIFIL32, for video thumbnails) still loads.
#include <gtest/gtest.h>
#include <windows.h>

#include "platform/win32/SystemLibrary.h"

namespace pim {
namespace {

TEST(LibrarySearch, APlantedLibraryIsIgnoredAndTheSystemsLoads) {
    // Built beside this test; found there before the search is restricted.
    HMODULE planted = LoadLibraryW(L"pim_planted.dll");
    ASSERT_NE(planted, nullptr) << "the planted library was not built beside the test";
    FreeLibrary(planted);

    RestrictLibrarySearch();
    EXPECT_EQ(LoadLibraryW(L"pim_planted.dll"), nullptr);
    EXPECT_EQ(LoadSystemLibrary(L"pim_planted.dll"), nullptr);

    HMODULE avifil = LoadSystemLibrary(L"avifil32.dll");
    ASSERT_NE(avifil, nullptr);
    EXPECT_NE(SystemFunction<void(WINAPI*)()>(avifil, "AVIFileInit"), nullptr);
    EXPECT_EQ(SystemFunction<void(WINAPI*)()>(avifil, "NoSuchFunction"), nullptr);
    EXPECT_EQ(SystemFunction<void(WINAPI*)()>(nullptr, "AVIFileInit"), nullptr);
}

}  // namespace
}  // namespace pim
