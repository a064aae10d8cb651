#include "app/handoff.h"

#include <gtest/gtest.h>

using Paths = std::vector<std::u16string>;

TEST(Handoff, PathsComeBackAsTheyWentWithCharactersOutsideEveryCodePage) {
    const Paths paths{u"C:\\包\\한글😀.apk", u"", u"Z:\\tmp\\b.xapk"};
    EXPECT_EQ(DecodeHandoff(EncodeHandoff(paths)), paths);
}

TEST(Handoff, RefusesDataThatIsNotExactlyOneListWithinTheLimits) {
    const std::string good = EncodeHandoff({u"C:\\a.apk"});
    EXPECT_FALSE(DecodeHandoff(""));
    EXPECT_FALSE(DecodeHandoff("MGH0" + good.substr(4)));
    EXPECT_FALSE(DecodeHandoff(good.substr(0, good.size() - 1)));  // cut inside a character
    EXPECT_FALSE(DecodeHandoff(good + "x"));                       // more after the list
    EXPECT_FALSE(DecodeHandoff(EncodeHandoff({})));
    EXPECT_FALSE(DecodeHandoff(EncodeHandoff({std::u16string(u"a\0b", 3)})));
    EXPECT_FALSE(DecodeHandoff(EncodeHandoff(Paths(kMaxHandoffPaths + 1, u"x"))));
    EXPECT_FALSE(DecodeHandoff(EncodeHandoff({std::u16string(kMaxHandoffPathUnits + 1, u'x')})));
    // A count or a length that claims more than the data holds allocates nothing.
    std::string huge = good;
    huge[8] = '\xff';
    huge[9] = '\xff';
    EXPECT_FALSE(DecodeHandoff(huge));
}
