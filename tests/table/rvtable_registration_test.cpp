// The table item's registration: a program that links the table library but
// names nothing of the table item can still make tables from their item code.
// This file must not name any table symbol, or the linker would bring the
// table item in for that reason alone.
#include <gtest/gtest.h>

#include <memory>

#include "document/rvitem.h"
#include "document/rvstyle.h"
#include "tests/support/testrvdata.h"

TEST(TableRegistration, LinkingTheLibraryIsEnough)
{
    TRVStyle style(nullptr);
    TTestRVData data(&style);
    std::unique_ptr<TCustomRVItemInfo> item(CreateRollViewItem(rvsTable, &data));
    ASSERT_NE(item, nullptr);
    EXPECT_STREQ(item->ClassName(), "TRVTableItemInfo");
    EXPECT_EQ(item->StyleNo, rvsTable);
}
