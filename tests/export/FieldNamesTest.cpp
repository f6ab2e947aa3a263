#include "export/FieldNames.h"

#include <gtest/gtest.h>

namespace tessely
{
namespace
{

TEST(FieldNames, KeepsFirstAppearanceOrderAndFindsExactNames)
{
    FieldNames names;
    EXPECT_EQ(FindFieldIndex("", names), -1);
    EXPECT_EQ(names.add("TEL CELL"), 0u);
    EXPECT_EQ(names.add(""), 1u);
    EXPECT_EQ(names.add("FN"), 2u);
    EXPECT_EQ(names.add("TEL CELL"), 0u);
    // Adding many names moves nothing that the index points into.
    for (int i = 0; i < 1000; ++i)
        names.add("X-FIELD-WITH-A-LONG-NAME-" + std::to_string(i));
    EXPECT_EQ(names.size(), 1003u);
    EXPECT_EQ(FindFieldIndex("TEL CELL", names), 0);
    EXPECT_EQ(FindFieldIndex("", names), 1);
    EXPECT_EQ(FindFieldIndex("FN", names), 2);
    EXPECT_EQ(FindFieldIndex("fn", names), -1);
    EXPECT_EQ(FindFieldIndex("TEL", names), -1);
    EXPECT_EQ(FindFieldIndex("X-FIELD-WITH-A-LONG-NAME-999", names), 1002);
    EXPECT_EQ(names[2], "FN");
}

} // namespace
} // namespace tessely
