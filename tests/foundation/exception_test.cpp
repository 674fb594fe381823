#include <gtest/gtest.h>

#include <cerrno>

#include "foundation/exception.h"

using namespace omni;

TEST(Exceptions, ReportCaptionsAndTexts) {
    foundation::KesException canceled(KES_STATE_CANCELED);
    EXPECT_EQ(canceled.caption(), u"KesException");
    EXPECT_EQ(canceled.text(), u"KES_STATE_CANCELED");
    EXPECT_EQ(foundation::KesException(17).text(), u"KES_STATE_NOT_SUPPORTED_BY_THIS_HANDLE");
    EXPECT_EQ(foundation::KesException(18).text(), u"");
    EXPECT_EQ(foundation::KesException(-1).text(), u"");

    foundation::UserException timeout(foundation::UserException::ThreadEndTimeout);
    EXPECT_EQ(timeout.caption(), u"UserException");
    EXPECT_EQ(timeout.text(), u"THREAD_END_TIMEOUT");
    EXPECT_EQ(foundation::UserException(foundation::UserException::BadInput, u"Bad file").text(),
              u"Bad file");

    foundation::SystemException missing(ENOENT, u"open /dev/ttyX");
    EXPECT_EQ(missing.caption(), u"SystemException");
    EXPECT_EQ(missing.text().rfind(u"open /dev/ttyX: ", 0), 0u);
    EXPECT_STREQ(missing.what(), "open /dev/ttyX: No such file or directory");
}
