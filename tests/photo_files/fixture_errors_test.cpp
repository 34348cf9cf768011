// A fixture libjpeg refuses must fail the test that made it, in libjpeg's words,
// rather than end the whole test binary in libjpeg's own exit() before its summary.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>

#include "tests/photo_files/jpeg_fixtures.h"

namespace {

using testing::HasSubstr;
using testing::ThrowsMessage;

TEST(FixtureErrors, LibjpegRefusalsReachTheTestAsExceptionsAndTheNextFixtureStillWorks)
{
    EncodeOptions bogus;
    bogus.sampling = {{5, 5}};  // libjpeg allows sampling factors of 1 to 4
    EXPECT_THAT([&] { encode_test_jpeg(colour_image(8, 8), bogus); },
                ThrowsMessage<std::runtime_error>(HasSubstr("Bogus sampling factors")));
    const Bytes text{'n', 'o', 't', ' ', 'a', ' ', 'J', 'P', 'E', 'G'};
    EXPECT_THAT([&] { decode_reference(text); },
                ThrowsMessage<std::runtime_error>(HasSubstr("Not a JPEG file")));

    const TestImage decoded = decode_reference(encode_test_jpeg(colour_image(8, 8)));
    EXPECT_EQ(decoded.width, 8);
    EXPECT_EQ(decoded.height, 8);
}

}  // namespace
