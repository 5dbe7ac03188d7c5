// The check table and the identifiers the rules name checks by: one row per identifier, in the
// same order (the rules find a check's row by the identifier's place).

#include "analysis/audit/checks/AuditChecks.h"

#include <gtest/gtest.h>

#include <set>

#include "analysis/audit/checks/AuditCheckIds.h"

namespace sg {
namespace {

TEST(AuditChecks, EveryIdentifierHasItsRowAndEveryRowAnIdentifier) {
    const auto checks = AuditChecks();
    ASSERT_EQ(checks.size(), kAuditCheckIds.size());
    std::set<std::string_view> seen;
    for (std::size_t i = 0; i < checks.size(); ++i) {
        EXPECT_EQ(checks[i].id, kAuditCheckIds[i]);
        EXPECT_TRUE(seen.insert(checks[i].id).second) << checks[i].id << " twice";
        EXPECT_EQ(FindAuditCheck(checks[i].id), &checks[i]);
        EXPECT_LT(AuditChartGroupOf(checks[i]), AuditChartGroups().size()) << checks[i].id;
        EXPECT_FALSE(checks[i].summary.empty()) << checks[i].id;
    }
    EXPECT_EQ(FindAuditCheck("title-too-lung"), nullptr);
}

}  // namespace
}  // namespace sg
