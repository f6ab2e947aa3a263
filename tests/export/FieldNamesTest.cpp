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
    EXPECT_EQ(names.columns(), 1003u);
    EXPECT_EQ(FindFieldIndex("TEL CELL", names), 0);
    EXPECT_EQ(FindFieldIndex("", names), 1);
    EXPECT_EQ(FindFieldIndex("FN", names), 2);
    EXPECT_EQ(FindFieldIndex("fn", names), -1);
    EXPECT_EQ(FindFieldIndex("TEL", names), -1);
    EXPECT_EQ(FindFieldIndex("X-FIELD-WITH-A-LONG-NAME-999", names), 1002);
    EXPECT_EQ(names[2], "FN");
}

TEST(FieldNames, RepeatedFieldsGetColumnsInOrderOfFirstAppearance)
{
    // Contacts of EMAIL, TEL, EMAIL; then TEL, TEL, EMAIL, EMAIL, EMAIL.
    FieldNames names;
    Occurrences occurrences;
    for (const auto& contact : { std::vector<std::string> { "EMAIL", "TEL", "EMAIL" },
             std::vector<std::string> { "TEL", "TEL", "EMAIL", "EMAIL", "EMAIL" } }) {
        for (const std::string& name : contact) {
            const std::size_t field = names.add(name);
            names.addColumn(field, occurrences.next(field));
        }
        occurrences.nextContact();
    }
    const std::vector<std::pair<std::size_t, std::size_t>> columns
        = { { 0, 1 }, { 1, 1 }, { 0, 2 }, { 1, 2 }, { 0, 3 } };
    ASSERT_EQ(names.columns(), columns.size());
    for (std::size_t column = 0; column < columns.size(); ++column) {
        EXPECT_EQ(names.columnField(column), columns[column]) << column;
        EXPECT_EQ(names.column(columns[column].first, columns[column].second), static_cast<std::ptrdiff_t>(column));
    }
    EXPECT_EQ(names.column(0, 4), -1);
}

} // namespace
} // namespace tessely
