#include "Catalogues.h"

#include <gtest/gtest.h>

TEST(Smoke, Catalogues) { EXPECT_EQ(hakomaru::PrefectureRows(true).size(), 55u); }
