#include "ui/ip_address.h"

#include <gtest/gtest.h>

namespace {

TEST(ParseIpAddress, ReadsFourDecimalFields) {
    EXPECT_EQ(ui::ParseIpAddress("127.0.0.1"), (ui::IpFields{127, 0, 0, 1}));
    EXPECT_EQ(ui::ParseIpAddress("255.255.255.255"), (ui::IpFields{255, 255, 255, 255}));
}

TEST(ParseIpAddress, RefusesAnythingElse) {
    for (const char* text : {"", "1.2.3", "1.2.3.4.", "1.2.3.4.5", "256.0.0.1", "1..2.3", "a.b.c.d", " 1.2.3.4",
                             "1.2.3.4 ", "-1.2.3.4", "1.2.3.99999999999"}) {
        EXPECT_FALSE(ui::ParseIpAddress(text)) << text;
    }
}

TEST(FormatIpAddress, WritesDottedDecimal) {
    EXPECT_EQ(ui::FormatIpAddress({10, 0, 0, 255}), "10.0.0.255");
    EXPECT_EQ(ui::FormatIpAddress({0, 0, 0, 0}), "0.0.0.0");
}

}  // namespace
