// The checks of what the update server and a downloaded program say, apart
// from any window.
#include "protocol/verification.h"

#include <gtest/gtest.h>

using namespace tk;

TEST(MajVerification, TheVersionAProgramPrints) {
    EXPECT_TRUE(version_annoncee("tarvik 9.9.9\n", QStringLiteral("9.9.9")));
    EXPECT_TRUE(version_annoncee("9.9.9", QStringLiteral("9.9.9")));
    EXPECT_FALSE(version_annoncee("tarvik 9.9.9 \n", QStringLiteral("9.9.9")));
    EXPECT_FALSE(version_annoncee("tarvik 9.9.91\n", QStringLiteral("9.9.9")));
    EXPECT_FALSE(version_annoncee("a b 9.9.9\n", QStringLiteral("9.9.9")));
    EXPECT_FALSE(version_annoncee("", QString()));
    EXPECT_FALSE(version_annoncee("tarvik \n", QString()));
}
