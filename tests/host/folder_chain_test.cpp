#include "mainwindow/FolderChain.h"

#include <gtest/gtest.h>

namespace velm {
namespace {

using Chain = std::vector<std::wstring>;

TEST(FolderChain, StartsBelowTheDriveOrTheShare) {
    EXPECT_EQ(FolderChain(L"C:\\Users\\p\\Pictures\\OrvikVelmora\\"),
              (Chain{L"C:\\Users", L"C:\\Users\\p", L"C:\\Users\\p\\Pictures",
                     L"C:\\Users\\p\\Pictures\\OrvikVelmora"}));
    EXPECT_EQ(FolderChain(L"\\\\server\\share\\p\\Pictures\\OrvikVelmora\\"),
              (Chain{L"\\\\server\\share\\p", L"\\\\server\\share\\p\\Pictures",
                     L"\\\\server\\share\\p\\Pictures\\OrvikVelmora"}));
    EXPECT_EQ(FolderChain(L"\\\\?\\C:\\Pictures\\OrvikVelmora"),
              (Chain{L"\\\\?\\C:\\Pictures", L"\\\\?\\C:\\Pictures\\OrvikVelmora"}));
    EXPECT_EQ(FolderChain(L"\\\\?\\UNC\\server\\share\\OrvikVelmora\\"),
              (Chain{L"\\\\?\\UNC\\server\\share\\OrvikVelmora"}));
    EXPECT_EQ(FolderChain(L"\\\\server\\share\\"), Chain{});
    EXPECT_EQ(FolderChain(L"\\\\server\\share"), Chain{});
    EXPECT_EQ(FolderChain(L"\\\\server"), Chain{});
    EXPECT_EQ(FolderChain(L"C:\\"), Chain{});
    EXPECT_EQ(FolderChain(L"Pictures\\OrvikVelmora\\"), Chain{}) << "no root";
}

} // namespace
} // namespace velm
