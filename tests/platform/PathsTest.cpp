#include "platform/Paths.h"

#include <gtest/gtest.h>

namespace {

TEST(Paths, ExtensionIsTheTextAfterTheLastDot) {
    EXPECT_EQ(fGetExtension(QStringLiteral("C:\\out\\result.tar.CSV")), QStringLiteral("CSV"));
    EXPECT_EQ(fGetExtension(QStringLiteral("result")), QString());
    EXPECT_EQ(fGetExtension(QStringLiteral("result.")), QString());
}

} // namespace
